"""The PE writer's DLLs as binutils and icoutils read them."""

import os
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))

from external_readers import fixed_file_version, have, listed_resources, objdump_file_format  # noqa: E402
from pe_image import build_pe_dll  # noqa: E402


class PeImageTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, data, name="module.dll"):
        path = os.path.join(self.folder.name, name)
        with open(path, "wb") as stream:
            stream.write(data)
        return path

    @unittest.skipUnless(have("wrestool"), "icoutils is not installed")
    def test_version_resource_carries_the_file_version(self):
        cases = [
            # (file version, machine, padded size)
            ((1, 2, 0, 0), "x64", None),
            ((3, 4, 5, 6), "x86", None),
            ((65535, 0, 7, 65534), "x64", 300000),
            ((0, 9, 1, 0), "x86", 300000),
        ]
        for version, machine, size in cases:
            with self.subTest(version=version, machine=machine, size=size):
                path = self.write(build_pe_dll(version, machine=machine, size=size))
                self.assertTrue(any("type=version" in line for line in listed_resources(path)))
                self.assertEqual(fixed_file_version(path), version)

    @unittest.skipUnless(have("wrestool"), "icoutils is not installed")
    def test_without_version_there_is_no_version_resource(self):
        path = self.write(build_pe_dll(with_version=False))
        self.assertFalse(any("type=version" in line for line in listed_resources(path)))
        self.assertIsNone(fixed_file_version(path))

    @unittest.skipUnless(have("objdump"), "binutils is not installed")
    def test_machine_selects_pe32_plus_or_pe32(self):
        for machine, expected in (("x64", "pei-x86-64"), ("x86", "pei-i386")):
            for with_version in (True, False):
                with self.subTest(machine=machine, with_version=with_version):
                    path = self.write(build_pe_dll(machine=machine, with_version=with_version, size=70000))
                    self.assertEqual(objdump_file_format(path), expected)

    def test_padding_gives_the_exact_size_and_compresses_like_a_real_module(self):
        for size in (4097, 100000, 2000000):
            with self.subTest(size=size):
                self.assertEqual(len(build_pe_dll(size=size)), size)
        image = build_pe_dll(size=2000000, seed=5)
        ratio = len(zlib.compress(image, 6)) / len(image)
        self.assertTrue(0.5 < ratio < 0.65, ratio)

    def test_output_depends_only_on_the_arguments(self):
        self.assertEqual(build_pe_dll(size=50000, seed=1), build_pe_dll(size=50000, seed=1))
        self.assertNotEqual(build_pe_dll(size=50000, seed=1), build_pe_dll(size=50000, seed=2))
        self.assertNotEqual(build_pe_dll((1, 2, 0, 0)), build_pe_dll((1, 2, 0, 1)))


if __name__ == "__main__":
    unittest.main()
