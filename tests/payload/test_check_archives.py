"""The build-time archive check (vx_check_archives, the installer's own reader), run as the
build runs it, on small good and bad archives. The tool's path comes in VX_CHECK_ARCHIVES."""

import io
import os
import subprocess
import tempfile
import unittest
import zipfile

CHECK = os.environ.get("VX_CHECK_ARCHIVES", "")


def make_zip(entries, method=zipfile.ZIP_DEFLATED):
    """Zip bytes from (name, data) pairs; data None makes a stored directory entry. An entry
    may also be a ready zipfile.ZipInfo with its data."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data in entries:
            info = name if isinstance(name, zipfile.ZipInfo) else zipfile.ZipInfo(name)
            if data is None:
                info.compress_type = zipfile.ZIP_STORED
                info.external_attr = 0x10
                archive.writestr(info, b"")
            else:
                if not isinstance(name, zipfile.ZipInfo):
                    info.compress_type = method
                archive.writestr(info, data)
    return buffer.getvalue()


def symlink_entry(name):
    info = zipfile.ZipInfo(name)
    info.create_system = 3
    info.external_attr = 0o120777 << 16
    return info


def bzip2_entry(name):
    info = zipfile.ZipInfo(name)
    info.compress_type = zipfile.ZIP_BZIP2
    return info


def mark_encrypted(data):
    """Sets the "encrypted" flag of every entry in its local header and directory record."""
    data = bytearray(data)
    for signature, flag_offset in ((b"PK\x03\x04", 6), (b"PK\x01\x02", 8)):
        position = data.find(signature)
        while position >= 0:
            data[position + flag_offset] |= 0x1
            position = data.find(signature, position + 4)
    return bytes(data)


GOOD_VST3 = [
    ("Ostrand.vst3\\Contents\\", None),
    ("Ostrand.vst3\\desktop.ini", b"[.ShellClassInfo]\r\n"),
    ("Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3", b"MZ" + bytes(3000)),
]


def corrupt_stored_data(data):
    """Flips one byte of the stored payload "abcdefgh" so that its CRC-32 no longer matches."""
    position = data.index(b"abcdefgh")
    return data[:position] + b"X" + data[position + 1 :]


def rename_in_local_header(data):
    """Gives the entry another name in its local header than in the central directory."""
    return data.replace(b"Ostrand.vst3\\a.txt", b"Ostrand.vst3\\b.txt", 1)


class CheckArchivesTest(unittest.TestCase):
    def setUp(self):
        self.assertTrue(os.path.isfile(CHECK), "VX_CHECK_ARCHIVES must name the built vx_check_archives")
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, name, data):
        path = os.path.join(self.folder.name, name)
        with open(path, "wb") as stream:
            stream.write(data)
        return path

    def run_check(self, *archives, stamp=None):
        arguments = [CHECK]
        if stamp:
            arguments += ["--stamp", stamp]
        arguments += ["%s=%s" % pair for pair in archives]
        return subprocess.run(arguments, capture_output=True, text=True)

    def test_good_archives_pass_and_write_the_stamp(self):
        vst3 = self.write("vst3.zip", make_zip(GOOD_VST3))
        clap = self.write("clap.zip", make_zip([("Ostrand.clap", b"MZ" + bytes(100))]))
        # Forward slashes are as good as backslashes; a stored file is fine too.
        aax = self.write(
            "aax.zip",
            make_zip([("Ostrand.aaxplugin/Contents/x64/Ostrand.aaxplugin", b"MZ")], zipfile.ZIP_STORED),
        )
        stamp = os.path.join(self.folder.name, "checked.stamp")
        result = self.run_check(("vst3", vst3), ("clap", clap), ("aax", aax), stamp=stamp)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, "")
        self.assertTrue(os.path.exists(stamp))

    def test_bad_archives_fail_with_the_archive_and_the_entry_named(self):
        vst3_file = "Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3"
        cases = [
            # (format, archive bytes, entry named in the message, words of the reason)
            ("vst3", make_zip(GOOD_VST3 + [("Ostrand.vst3\\..\\..\\evil.dll", b"x")]),
             "Ostrand.vst3\\..\\..\\evil.dll", "'..'"),
            ("vst3", make_zip([("Ostrand.vst3/../evil.dll", b"x")]), "Ostrand.vst3/../evil.dll", "'..'"),
            ("vst3", make_zip(GOOD_VST3 + [("readme.txt", b"x")]), "readme.txt", "does not lie under"),
            ("vst3", make_zip([("Ostrand.vst3", b"MZ")]), "Ostrand.vst3", "does not lie under"),
            ("vst3", make_zip([("ostrand.vst3\\x.dll", b"MZ")]), "ostrand.vst3\\x.dll", "does not lie under"),
            ("aax", make_zip([("Ostrand.vst3\\x.dll", b"MZ")]), "Ostrand.vst3\\x.dll", "Ostrand.aaxplugin"),
            ("clap", make_zip([("Ostrand.clap", b"MZ"), ("Ostrand.clap\\extra.txt", b"x")]),
             "Ostrand.clap\\extra.txt", "only entry"),
            ("clap", make_zip([("Other.clap", b"MZ")]), "Other.clap", "only entry"),
            ("vst3", make_zip([("\\Windows\\System32\\evil.dll", b"x")]), "\\Windows\\System32\\evil.dll",
             "absolute"),
            ("vst3", make_zip([("/etc/evil", b"x")]), "/etc/evil", "absolute"),
            ("vst3", make_zip([("C:\\Windows\\evil.dll", b"x")]), "C:\\Windows\\evil.dll", "drive letter"),
            ("vst3", make_zip([("C:Ostrand.vst3\\evil.dll", b"x")]), "C:Ostrand.vst3\\evil.dll",
             "drive letter"),
            ("vst3", make_zip([("Ostrand.vst3\\x.dll:hidden", b"x")]), "Ostrand.vst3\\x.dll:hidden", "':'"),
            ("vst3", make_zip([("Ostrand.vst3\\.. \\evil.dll", b"x")]), "Ostrand.vst3\\.. \\evil.dll",
             "dot or space"),
            ("vst3", corrupt_stored_data(make_zip([(vst3_file, b"abcdefgh" * 4)], zipfile.ZIP_STORED)),
             vst3_file, "CRC-32"),
            ("vst3", rename_in_local_header(make_zip([("Ostrand.vst3\\a.txt", b"x")])), "Ostrand.vst3\\a.txt",
             "damaged"),
            ("vst3", make_zip([(symlink_entry("Ostrand.vst3\\link"), b"/etc")]), "Ostrand.vst3\\link",
             "symbolic link"),
            ("vst3", make_zip([(bzip2_entry("Ostrand.vst3\\x.dll"), b"MZ" * 100)]), "Ostrand.vst3\\x.dll",
             "compression method 12"),
            ("vst3", mark_encrypted(make_zip([("Ostrand.vst3\\x.dll", b"MZ")])), "Ostrand.vst3\\x.dll",
             "encrypted"),
        ]
        for format_key, data, entry, reason in cases:
            with self.subTest(entry=entry, reason=reason):
                path = self.write("%s.zip" % format_key, data)
                result = self.run_check((format_key, path))
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn("archive %s: entry '%s'" % (path, entry), result.stderr)
                self.assertIn(reason, result.stderr)

    def test_unreadable_archives_fail_with_the_archive_named(self):
        good = make_zip(GOOD_VST3)
        cases = [
            ("truncated", good[: len(good) // 2], "is not a readable zip"),
            ("truncated directory", good[:-10], "is not a readable zip"),
            ("empty", make_zip([]), "has no entries"),
            ("not a zip", b"This is not a zip archive.\n" * 10, "is not a readable zip"),
            ("empty file", b"", "is not a readable zip"),
        ]
        for label, data, reason in cases:
            with self.subTest(label):
                path = self.write("vst3.zip", data)
                result = self.run_check(("vst3", path))
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn("archive %s: %s" % (path, reason), result.stderr)
        missing = os.path.join(self.folder.name, "missing.zip")
        result = self.run_check(("vst3", missing))
        self.assertEqual(result.returncode, 1)
        self.assertIn("archive %s: is not a readable zip" % missing, result.stderr)

    def test_one_bad_archive_fails_the_check_and_removes_an_old_stamp(self):
        vst3 = self.write("vst3.zip", make_zip(GOOD_VST3))
        clap = self.write("clap.zip", make_zip([("Ostrand.clap", b"MZ"), ("stray.txt", b"x")]))
        stamp = self.write("checked.stamp", b"from an earlier build\n")
        result = self.run_check(("vst3", vst3), ("clap", clap), stamp=stamp)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr.count("error:"), 1, result.stderr)
        self.assertIn("CLAP archive %s: entry 'stray.txt'" % clap, result.stderr)
        self.assertFalse(os.path.exists(stamp))


if __name__ == "__main__":
    unittest.main()
