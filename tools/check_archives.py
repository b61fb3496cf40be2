#!/usr/bin/env python3
"""Checks the plug-in archives before they are embedded; exits 1 with a message naming the
archive and the entry for every fault it finds.

    check_archives.py [--product Ostrand] [--stamp FILE] vst3=PATH clap=PATH aax=PATH

An archive passes when it is a readable zip with at least one entry, every entry's data
matches its CRC-32, and every entry would be unpacked inside the format's bundle: under
"Ostrand.vst3\\" or "Ostrand.aaxplugin\\", or exactly "Ostrand.clap". Uninstall removes
only the bundle, so anything unpacked elsewhere would stay behind forever. Entries the
installer's zip reader cannot unpack faithfully (encrypted, compression other than stored
or deflated, symbolic links) are refused too.
"""

import argparse
import os
import re
import sys
import zipfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from payload_layout import FORMAT_EXTENSIONS, PRODUCT_NAME, SINGLE_FILE_FORMATS, bundle_name  # noqa: E402

SUPPORTED_METHODS = {zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED}
SYMLINK_FILE_TYPE = 0xA
_DRIVE = re.compile(r"^[A-Za-z]:")


def entry_name_problem(name, format_key, product=PRODUCT_NAME):
    """Why an entry with this name would not land inside the bundle, or None."""
    bundle = bundle_name(format_key, product)
    if name == "":
        return "has an empty name"
    if "\0" in name:
        return "has a NUL character in its name"
    if _DRIVE.match(name):
        return "uses a drive letter"
    if name[0] in "/\\":
        return "is an absolute path"
    parts = re.split(r"[/\\]", name)
    if ".." in parts:
        return "has a '..' component and would be written outside the bundle"
    if any(":" in part for part in parts):
        return "has a ':' in its name, which Windows reads as a drive or a stream"
    if any(part not in ("", ".") and part[-1] in ". " for part in parts):
        # Windows drops these, so ".. " would become "..".
        return "has a name part ending in a dot or space, which Windows drops"
    if format_key in SINGLE_FILE_FORMATS:
        if name != bundle:
            return "is not the bundle file '%s', the only entry this archive may hold" % bundle
    elif parts[0] != bundle or len(parts) < 2:
        return "does not lie under the bundle folder '%s\\'" % bundle
    return None


def entry_kind_problem(info):
    """Why the installer's zip reader could not unpack this entry faithfully, or None."""
    if info.flag_bits & 0x1:
        return "is encrypted"
    if info.compress_type not in SUPPORTED_METHODS:
        return "uses compression method %d; only stored and deflated entries can be unpacked" % (
            info.compress_type
        )
    if (info.external_attr >> 28) & 0xF == SYMLINK_FILE_TYPE:
        return "is a symbolic link"
    return None


def check_archive(path, format_key, product=PRODUCT_NAME):
    """A list of problems with one archive; empty when it passes."""
    try:
        archive = zipfile.ZipFile(path)
    except (zipfile.BadZipFile, OSError, EOFError, ValueError) as error:
        return ["is not a readable zip archive (%s)" % error]
    problems = []
    with archive:
        entries = archive.infolist()
        if not entries:
            return ["has no entries"]
        for info in entries:
            name = info.orig_filename
            problem = entry_name_problem(name, format_key, product) or entry_kind_problem(info)
            if problem is None:
                problem = _data_problem(archive, info)
            if problem:
                problems.append("entry '%s' %s" % (name, problem))
    return problems


def _data_problem(archive, info):
    try:
        with archive.open(info) as stream:
            while stream.read(1 << 20):
                pass
    except zipfile.BadZipFile as error:
        if "CRC" in str(error):
            return "is damaged: its data fails the CRC-32 check"
        return "is damaged (%s)" % error
    except (zlib.error, EOFError, OSError, ValueError, NotImplementedError, RuntimeError) as error:
        return "is damaged (%s)" % (error or type(error).__name__)
    return None


def _format_and_path(argument):
    key, separator, path = argument.partition("=")
    if not separator or key not in FORMAT_EXTENSIONS or not path:
        choices = ", ".join(FORMAT_EXTENSIONS)
        raise argparse.ArgumentTypeError("expected FORMAT=PATH with FORMAT one of %s" % choices)
    return key, path


def main(argv=None):
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    parser.add_argument("--product", default=PRODUCT_NAME)
    parser.add_argument("--stamp", help="file touched when every archive passes")
    parser.add_argument("archives", nargs="+", type=_format_and_path, metavar="FORMAT=PATH")
    args = parser.parse_args(argv)

    failed = False
    for format_key, path in args.archives:
        for problem in check_archive(path, format_key, args.product):
            failed = True
            print("error: %s archive %s: %s" % (format_key.upper(), path, problem), file=sys.stderr)
    if failed:
        if args.stamp and os.path.exists(args.stamp):
            os.unlink(args.stamp)
        return 1
    if args.stamp:
        with open(args.stamp, "w") as stamp:
            stamp.write("".join("%s=%s\n" % pair for pair in args.archives))
    return 0


if __name__ == "__main__":
    sys.exit(main())
