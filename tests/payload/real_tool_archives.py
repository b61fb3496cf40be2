#!/usr/bin/env python3
"""Writes the stand-in plug-in archives again with the archivers a maker's pipeline may
use, into a folder, and lists them; nothing here is kept in the repository.

    real_tool_archives.py FOLDER

Each format's small stand-in bundle (tools/make_payload.py --small) is unpacked into
FOLDER/tree/<format>/ and archived by Info-ZIP zip, 7-Zip, bsdtar to a file and to a pipe
(zero padding after the end record), Python's zipfile on a stream that cannot seek (data
descriptors) and a Windows-style repack (backslashes, MS-DOS attributes, a comment).
Prints one line per archive: LABEL FORMAT PATH. A tool that is not installed is an error.
"""

import os
import shutil
import subprocess
import sys
import zipfile

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
sys.path.insert(0, TOOLS)

from make_payload import archive_entries  # noqa: E402
from payload_layout import FORMAT_KEYS, bundle_name  # noqa: E402

TIMESTAMP = (2024, 5, 14, 12, 0, 0)


class ForwardOnly:
    """A write-only stream without seek or tell, as a pipe is."""

    def __init__(self, stream):
        self.stream = stream

    def write(self, data):
        return self.stream.write(data)

    def flush(self):
        self.stream.flush()


def write_tree(folder, format_key):
    """Unpacks the stand-in bundle as real files and folders; returns the bundle's name."""
    for name, data in archive_entries(format_key, small=True):
        path = os.path.join(folder, *name.rstrip("\\").split("\\"))
        if data is None:
            os.makedirs(path, exist_ok=True)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as stream:
                stream.write(data)
    return bundle_name(format_key)


def tree_entries(folder, bundle):
    """(name with forward slashes, bytes or None for a folder), folders first, sorted."""
    root = os.path.join(folder, bundle)
    if os.path.isfile(root):
        with open(root, "rb") as stream:
            return [(bundle, stream.read())]
    entries = []
    for current, folders, files in os.walk(root):
        folders.sort()
        relative = os.path.relpath(current, folder).replace(os.sep, "/")
        entries.append((relative + "/", None))
        for name in sorted(files):
            with open(os.path.join(current, name), "rb") as stream:
                entries.append((relative + "/" + name, stream.read()))
    return entries


def run(arguments, cwd, stdout=None):
    subprocess.run(arguments, cwd=cwd, check=True, stdout=stdout or subprocess.DEVNULL)


def python_forward_only(path, entries):
    with open(path, "wb") as raw, zipfile.ZipFile(ForwardOnly(raw), "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=TIMESTAMP)
            info.compress_type = zipfile.ZIP_STORED if data is None else zipfile.ZIP_DEFLATED
            info.external_attr = (0o40755 if data is None else 0o100644) << 16
            # Sizes are unknown up front: zip64 extra fields and data descriptors.
            with archive.open(info, "w", force_zip64=True) as stream:
                stream.write(data or b"")


def windows_repack(path, entries):
    with zipfile.ZipFile(path, "w") as archive:
        archive.comment = b"Ostrand 1.2.0 for Windows"
        for name, data in entries:
            info = zipfile.ZipInfo(name.replace("/", "\\"), date_time=TIMESTAMP)
            info.create_system = 0
            info.external_attr = 0x10 if data is None else 0x20
            info.compress_type = zipfile.ZIP_STORED if data is None else zipfile.ZIP_DEFLATED
            archive.writestr(info, data or b"")


def make_corpus(folder):
    """[(label, format, path)] of every archive written."""
    for tool in ("zip", "7z", "bsdtar"):
        if shutil.which(tool) is None:
            raise SystemExit("%s is not installed (tools/install-deps.sh test installs it)" % tool)
    corpus = []
    for format_key in FORMAT_KEYS:
        tree = os.path.join(folder, "tree", format_key)
        os.makedirs(tree, exist_ok=True)
        bundle = write_tree(tree, format_key)
        entries = tree_entries(tree, bundle)

        def out(label):
            path = os.path.join(folder, "%s-%s.zip" % (label, format_key))
            corpus.append((label, format_key, path))
            return path

        run(["zip", "-r", "-q", out("infozip"), bundle], tree)
        run(["7z", "a", "-tzip", "-bd", out("7zip"), bundle], tree)
        run(["bsdtar", "--format", "zip", "-cf", out("bsdtar-file"), bundle], tree)
        with open(out("bsdtar-pipe"), "wb") as stream:
            writer = subprocess.Popen(["bsdtar", "--format", "zip", "-cf", "-", bundle], cwd=tree,
                                      stdout=subprocess.PIPE)
            subprocess.run(["cat"], stdin=writer.stdout, stdout=stream, check=True)
            writer.stdout.close()
            if writer.wait() != 0:
                raise SystemExit("bsdtar failed")
        python_forward_only(out("python-stream"), entries)
        windows_repack(out("windows-repack"), entries)
    return corpus


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    for label, format_key, path in make_corpus(argv[1]):
        print(label, format_key, path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
