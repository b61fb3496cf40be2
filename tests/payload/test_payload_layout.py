"""The archives a build embedded, as readers that are not ours see them.

The build passes, in format order VST3, CLAP, AAX (':'-separated lists, like PATH):
  VX_EMBEDDED_ARCHIVES   the three archive files
  VX_PAYLOAD_STAND_INS   ON for a generated stand-in, OFF for an archive the maker supplied
  VX_SMALL_PAYLOAD       ON when the stand-ins were made small
Stand-ins must have exactly the product's entry layout; supplied archives are the
maker's to define and are only checked at build time.
"""

import json
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")

from external_readers import (  # noqa: E402
    fixed_file_version,
    have,
    listed_resources,
    objdump_file_format,
    unzip_listing,
    version_strings,
)

FORMATS = ("vst3", "clap", "aax")

# Entry names in archive order; a trailing backslash marks a directory entry.
LAYOUTS = {
    "vst3": [
        "Ostrand.vst3\\Contents\\",
        "Ostrand.vst3\\desktop.ini",
        "Ostrand.vst3\\Plugin.ico",
        "Ostrand.vst3\\Contents\\Resources\\moduleinfo.json",
        "Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3",
    ],
    "clap": ["Ostrand.clap"],
    "aax": [
        "Ostrand.aaxplugin\\Contents\\",
        "Ostrand.aaxplugin\\desktop.ini",
        "Ostrand.aaxplugin\\Plugin.ico",
        "Ostrand.aaxplugin\\Contents\\x64\\Ostrand.aaxplugin",
    ],
}
MODULES = {format_key: LAYOUTS[format_key][-1] for format_key in FORMATS}
REAL_MODULE_SIZES = {"vst3": 18146944, "clap": 17773184, "aax": 17922656}


def _cmake_list(name, default=""):
    value = os.environ.get(name, default)
    return value.split(os.pathsep) if value else []


def _is_on(flag):
    return flag.upper() in ("ON", "1", "TRUE", "YES", "Y")


ARCHIVES = dict(zip(FORMATS, _cmake_list("VX_EMBEDDED_ARCHIVES")))
STAND_INS = dict(zip(FORMATS, (_is_on(flag) for flag in _cmake_list("VX_PAYLOAD_STAND_INS"))))
SMALL = _is_on(os.environ.get("VX_SMALL_PAYLOAD", "OFF"))


class StandInLayoutTest(unittest.TestCase):
    def setUp(self):
        if len(ARCHIVES) != 3 or len(STAND_INS) != 3:
            self.fail("VX_EMBEDDED_ARCHIVES and VX_PAYLOAD_STAND_INS must name the three archives")
        self.stand_ins = [f for f in FORMATS if STAND_INS[f]]
        if not self.stand_ins:
            self.skipTest("every archive was supplied by the maker")
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def extract(self, format_key, name):
        with zipfile.ZipFile(ARCHIVES[format_key]) as archive:
            data = archive.read(name)
        path = os.path.join(self.folder.name, format_key + "-" + name.replace("\\", "_"))
        with open(path, "wb") as stream:
            stream.write(data)
        return path

    def test_python_zipfile_lists_exactly_the_layout(self):
        for format_key in self.stand_ins:
            with self.subTest(format_key), zipfile.ZipFile(ARCHIVES[format_key]) as archive:
                self.assertEqual([info.filename for info in archive.infolist()], LAYOUTS[format_key])
                self.assertEqual(archive.comment, b"")
                for info in archive.infolist():
                    if info.filename.endswith("\\"):
                        self.assertEqual((info.compress_type, info.file_size), (zipfile.ZIP_STORED, 0))
                    else:
                        self.assertEqual(info.compress_type, zipfile.ZIP_DEFLATED, info.filename)
                self.assertIsNone(archive.testzip())

    @unittest.skipUnless(have("unzip"), "unzip is not installed")
    def test_unzip_lists_exactly_the_layout_and_finds_no_error(self):
        for format_key in self.stand_ins:
            with self.subTest(format_key):
                self.assertEqual(unzip_listing(ARCHIVES[format_key]), LAYOUTS[format_key])
                test = subprocess.run(["unzip", "-tq", ARCHIVES[format_key]], capture_output=True, text=True)
                self.assertEqual(test.returncode, 0, test.stdout + test.stderr)

    @unittest.skipUnless(have("wrestool"), "icoutils is not installed")
    def test_each_module_carries_version_1_2_0_0(self):
        for format_key in self.stand_ins:
            with self.subTest(format_key):
                module = self.extract(format_key, MODULES[format_key])
                self.assertTrue(any("type=version" in line for line in listed_resources(module)))
                self.assertEqual(fixed_file_version(module), (1, 2, 0, 0))
                self.assertIn("1.2.0.0".encode("utf-16-le"), version_strings(module))
                if have("objdump"):
                    self.assertEqual(objdump_file_format(module), "pei-x86-64")

    def test_modules_and_archives_have_the_product_sizes_unless_small(self):
        for format_key in self.stand_ins:
            with self.subTest(format_key), zipfile.ZipFile(ARCHIVES[format_key]) as archive:
                module = archive.getinfo(MODULES[format_key])
                archive_size = os.path.getsize(ARCHIVES[format_key])
                if SMALL:
                    self.assertLess(archive_size, 1000000)
                else:
                    self.assertEqual(module.file_size, REAL_MODULE_SIZES[format_key])
                    self.assertTrue(9500000 < archive_size < 11000000, archive_size)

    def test_bundle_files_are_what_they_claim_to_be(self):
        for format_key in set(self.stand_ins) - {"clap"}:
            with self.subTest(format_key), zipfile.ZipFile(ARCHIVES[format_key]) as archive:
                bundle = LAYOUTS[format_key][0].split("\\")[0]
                ini = archive.read(bundle + "\\desktop.ini")
                self.assertEqual(len(ini), 80)
                self.assertTrue(ini.startswith(b"[.ShellClassInfo]\r\n"))
                self.assertIn(b"IconResource=Plugin.ico,0\r\n", ini)

                icon = archive.read(bundle + "\\Plugin.ico")
                reserved, kind, count = struct.unpack_from("<HHH", icon)
                self.assertEqual((reserved, kind), (0, 1))
                self.assertGreater(count, 0)
                for i in range(count):
                    size, offset = struct.unpack_from("<II", icon, 6 + 16 * i + 8)
                    self.assertLessEqual(offset + size, len(icon))
                if have("identify"):
                    path = self.extract(format_key, bundle + "\\Plugin.ico")
                    result = subprocess.run(["identify", path], capture_output=True, text=True)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertEqual(len(result.stdout.splitlines()), count)

                if format_key == "vst3":
                    info = json.loads(archive.read(bundle + "\\Contents\\Resources\\moduleinfo.json"))
                    self.assertEqual((info["Name"], info["Version"]), ("Ostrand", "1.2.0"))
                    self.assertTrue(info["Classes"])

    def test_generation_is_byte_identical(self):
        format_key = "clap" if "clap" in self.stand_ins else self.stand_ins[0]
        again = os.path.join(self.folder.name, "again.zip")
        generator = os.path.join(TOOLS, "make_payload.py")
        arguments = [sys.executable, "-B", generator, "--format", format_key, "--output", again]
        subprocess.run(arguments + (["--small"] if SMALL else []), check=True)
        with open(again, "rb") as a, open(ARCHIVES[format_key], "rb") as b:
            self.assertTrue(a.read() == b.read(), "a second generation differs from the build's archive")


if __name__ == "__main__":
    unittest.main()
