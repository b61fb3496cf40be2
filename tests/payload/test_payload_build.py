"""The payload build step in a project of its own: archives the maker supplies are
embedded, a changed archive is embedded again, and a bad archive fails the build with a
message naming the archive and the entry."""

import os
import shutil
import subprocess
import tempfile
import unittest
import zipfile

PROJECT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "embedding_project")
GENERATOR = os.environ.get("VX_CMAKE_GENERATOR", "Ninja")
CMAKE = os.environ.get("VX_CMAKE_COMMAND", "cmake")


def write_zip(path, entries):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries:
            archive.writestr(name, data)


@unittest.skipUnless(shutil.which(CMAKE), "cmake is not installed")
class PayloadBuildTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="vx_payload_build_")
        self.addCleanup(shutil.rmtree, self.folder)
        self.build = os.path.join(self.folder, "build")
        self.clap = os.path.join(self.folder, "maker", "clap.zip")
        os.makedirs(os.path.dirname(self.clap))

    def configure(self, **archives):
        arguments = [CMAKE, "-S", PROJECT, "-B", self.build, "-G", GENERATOR, "-DVX_SMALL_PAYLOAD=ON"]
        arguments += ["-DVX_%s_ARCHIVE=%s" % (key.upper(), path) for key, path in archives.items()]
        subprocess.run(arguments, check=True, capture_output=True)

    def build_project(self):
        return subprocess.run([CMAKE, "--build", self.build], capture_output=True, text=True)

    def embedded(self):
        """The sizes the built program holds, after checking its bytes against the files."""
        files = [os.path.join(self.build, "payload", f + ".zip") for f in ("vst3", "clap", "aax")]
        program = os.path.join(self.build, "check_embedded")
        result = subprocess.run([program] + files, capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, "embedded bytes differ from the archive files")
        return [int(size) for size in result.stdout.split()]

    def test_supplied_archive_is_embedded_and_embedded_again_when_it_changes(self):
        write_zip(self.clap, [("Ostrand.clap", b"MZ" + bytes(1000))])
        self.configure(clap=self.clap)
        result = self.build_project()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(self.embedded()[1], os.path.getsize(self.clap))

        write_zip(self.clap, [("Ostrand.clap", b"MZ" + os.urandom(5000))])
        result = self.build_project()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(self.embedded()[1], os.path.getsize(self.clap))

    def test_bad_archive_fails_the_build_until_it_is_mended(self):
        write_zip(self.clap, [("Ostrand.clap", b"MZ"), ("Ostrand.clap\\..\\..\\evil.dll", b"MZ")])
        self.configure(clap=self.clap)
        for attempt in range(2):
            with self.subTest(attempt=attempt):
                result = self.build_project()
                self.assertNotEqual(result.returncode, 0)
                message = "CLAP archive %s: entry 'Ostrand.clap\\..\\..\\evil.dll'" % self.clap
                self.assertIn(message, result.stdout + result.stderr)
                self.assertFalse(os.path.exists(os.path.join(self.build, "check_embedded")))

        write_zip(self.clap, [("Ostrand.clap", b"MZ")])
        result = self.build_project()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(self.embedded()[1], os.path.getsize(self.clap))


if __name__ == "__main__":
    unittest.main()
