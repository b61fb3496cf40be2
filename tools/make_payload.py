#!/usr/bin/env python3
"""Writes a stand-in plug-in archive (vst3.zip, clap.zip or aax.zip) with the entry layout
of the real product: backslash separators, stored directory entries, deflated files, no
comment, fixed timestamps. The plug-in modules are 64-bit PE DLLs with file version
1.2.0.0, padded to the real modules' sizes unless --small is given. The output is
byte-identical for the same arguments.

    make_payload.py --format vst3 --output build/payload/vst3.zip [--small]
"""

import argparse
import json
import os
import struct
import sys
import tempfile
import zipfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from pe_image import build_pe_dll  # noqa: E402
from payload_layout import FORMAT_KEYS, PRODUCT_NAME, bundle_name, format_facts, module_path  # noqa: E402

FILE_VERSION = (1, 2, 0, 0)
VENDOR = "Audio Tarvosk"
PRODUCT_URL = "https://www.audiotarvosk.com/products/ostrand"
TIMESTAMP = (2024, 5, 14, 12, 0, 0)

# Module sizes of the real release, and of the small stand-ins for quick test builds.
MODULE_SIZES = {"vst3": 18146944, "clap": 17773184, "aax": 17922656}
SMALL_MODULE_SIZES = {"vst3": 196608, "clap": 163840, "aax": 180224}
MODULE_SEEDS = {"vst3": 1, "clap": 2, "aax": 3}

FILE_ATTRIBUTE_DIRECTORY = 0x10
FILE_ATTRIBUTE_ARCHIVE = 0x20


def desktop_ini():
    """The folder-settings file that gives the bundle folder the icon Plugin.ico (80 bytes)."""
    return b"[.ShellClassInfo]\r\nIconResource=Plugin.ico,0\r\nIconFile=Plugin.ico\r\nIconIndex=0\r\n"


def _icon_pixel(x, y, size):
    """RGBA of the product icon at pixel (x, y): a blue ring on a dark rounded square."""
    u = (x + 0.5) / size * 2 - 1
    v = (y + 0.5) / size * 2 - 1
    corner = 0.35
    dx, dy = max(abs(u) - (1 - corner), 0), max(abs(v) - (1 - corner), 0)
    outside = (dx * dx + dy * dy) ** 0.5 - corner
    pixel = 2.0 / size
    square_alpha = min(max(0.5 - outside / pixel, 0), 1)
    ring = abs((u * u + v * v) ** 0.5 - 0.52) - 0.14
    ring_cover = min(max(0.5 - ring / pixel, 0), 1)
    background, accent = (0x11, 0x11, 0x11), (0x00, 0x94, 0xD8)
    rgb = tuple(round(b + (a - b) * ring_cover) for a, b in zip(accent, background))
    return rgb + (round(255 * square_alpha),)


def _bmp_icon_image(size):
    """A 32-bit BMP icon image: header, bottom-up BGRA rows, empty AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = _icon_pixel(x, y, size)
            rows += bytes((b, g, r, a))
    mask_row = (size + 31) // 32 * 4
    return header + bytes(rows) + bytes(mask_row * size)


def _png_image(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for x in range(size):
            raw += bytes(_icon_pixel(x, y, size))
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        + chunk(b"IEND", b"")
    )


def plugin_icon():
    """A Windows icon file with 16, 24, 32 and 48 pixel BMP images and a 256 pixel PNG."""
    images = [(s, _bmp_icon_image(s)) for s in (16, 24, 32, 48)] + [(256, _png_image(256))]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for size, image in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        data += image
    return directory + data


def module_info():
    """The VST3 module information file of the stand-in plug-in."""
    version = "1.2.0"
    info = {
        "Name": PRODUCT_NAME,
        "Version": version,
        "Factory Info": {
            "Vendor": VENDOR,
            "URL": PRODUCT_URL,
            "E-Mail": "mailto:support@audiotarvosk.com",
            "Flags": {"Unicode": True, "Classes Discardable": False, "Component Non Discardable": False},
        },
        "Compatibility": [],
        "Classes": [
            {
                "CID": "5A1E0C3B9D6F4E21A8B7C4D3E2F10987",
                "Category": "Audio Module Class",
                "Name": PRODUCT_NAME,
                "Vendor": VENDOR,
                "Version": version,
                "SDKVersion": "VST 3.7.7",
                "Sub Categories": ["Fx", "Delay"],
                "Class Flags": 1,
                "Cardinality": 2147483647,
                "Snapshots": [],
            },
            {
                "CID": "6B2F1D4CAE705F32B9C8D5E4F3021A98",
                "Category": "Component Controller Class",
                "Name": PRODUCT_NAME + "Controller",
                "Vendor": VENDOR,
                "Version": version,
                "SDKVersion": "VST 3.7.7",
                "Sub Categories": [],
                "Class Flags": 0,
                "Cardinality": 2147483647,
                "Snapshots": [],
            },
        ],
    }
    return (json.dumps(info, indent=2) + "\n").encode("utf-8")


def plugin_module(format_key, small):
    sizes = SMALL_MODULE_SIZES if small else MODULE_SIZES
    return build_pe_dll(
        FILE_VERSION,
        machine="x64",
        size=sizes[format_key],
        seed=MODULE_SEEDS[format_key],
        strings={"OriginalFilename": bundle_name(format_key), "FileDescription": PRODUCT_NAME},
    )


def archive_entries(format_key, small=False):
    """(entry name, bytes or None for a directory) in archive order."""
    bundle = bundle_name(format_key)
    if not format_facts(format_key).bundle_is_folder:
        return [(bundle, plugin_module(format_key, small))]
    entries = [
        (bundle + "\\Contents\\", None),
        (bundle + "\\desktop.ini", desktop_ini()),
        (bundle + "\\Plugin.ico", plugin_icon()),
    ]
    if format_key == "vst3":
        entries.append((bundle + "\\Contents\\Resources\\moduleinfo.json", module_info()))
    entries.append((module_path(format_key), plugin_module(format_key, small)))
    return entries


def write_archive(path, entries):
    """Writes the zip to a temporary file beside `path` and renames it, so a failed run
    never leaves a partial archive behind."""
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    handle, temporary = tempfile.mkstemp(prefix=".payload-", suffix=".zip", dir=folder)
    try:
        with os.fdopen(handle, "wb") as stream, zipfile.ZipFile(stream, "w") as archive:
            for name, data in entries:
                info = zipfile.ZipInfo(name, date_time=TIMESTAMP)
                info.create_system = 0  # made on Windows: DOS attributes
                if data is None:
                    info.compress_type = zipfile.ZIP_STORED
                    info.external_attr = FILE_ATTRIBUTE_DIRECTORY
                    archive.writestr(info, b"")
                else:
                    info.compress_type = zipfile.ZIP_DEFLATED
                    info.external_attr = FILE_ATTRIBUTE_ARCHIVE
                    archive.writestr(info, data, compresslevel=6)
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temporary, 0o666 & ~umask)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main(argv=None):
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    parser.add_argument("--format", required=True, choices=FORMAT_KEYS)
    parser.add_argument("--output", required=True)
    parser.add_argument("--small", action="store_true", help="small modules for quick test builds")
    args = parser.parse_args(argv)
    write_archive(args.output, archive_entries(args.format, args.small))
    return 0


if __name__ == "__main__":
    sys.exit(main())
