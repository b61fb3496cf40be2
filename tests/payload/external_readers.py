"""What tools that are not ours (icoutils, binutils, unzip) read from PE files and zips."""

import shutil
import struct
import subprocess

FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def have(tool):
    return shutil.which(tool) is not None


def listed_resources(path):
    """The lines of `wrestool -l`: one per resource."""
    result = subprocess.run(["wrestool", "-l", path], capture_output=True, text=True)
    return result.stdout.splitlines()


def fixed_file_version(path):
    """The file version in the VS_FIXEDFILEINFO of the version resource that wrestool
    extracts, as a 4-tuple; None when there is no version resource."""
    result = subprocess.run(["wrestool", "-x", "--raw", "--type=16", path], capture_output=True)
    position = result.stdout.find(FIXED_FILE_INFO_SIGNATURE)
    if result.returncode != 0 or position < 0:
        return None
    version_ms, version_ls = struct.unpack_from("<II", result.stdout, position + 8)
    return (version_ms >> 16, version_ms & 0xFFFF, version_ls >> 16, version_ls & 0xFFFF)


def version_strings(path):
    """The raw version resource as wrestool extracts it (StringFileInfo is UTF-16)."""
    return subprocess.run(["wrestool", "-x", "--raw", "--type=16", path], capture_output=True).stdout


def objdump_file_format(path):
    """The file format binutils recognises, e.g. "pei-x86-64" or "pei-i386"."""
    result = subprocess.run(["objdump", "-f", path], capture_output=True, text=True)
    for line in result.stdout.splitlines():
        if "file format" in line:
            return line.split("file format")[1].strip()
    return None


def unzip_listing(path):
    """Entry names as `unzip -l` lists them."""
    result = subprocess.run(["unzip", "-l", path], capture_output=True, text=True, check=True)
    lines = result.stdout.splitlines()
    dashes = [i for i, line in enumerate(lines) if line.startswith("---------")]
    return [line.split(None, 3)[3] for line in lines[dashes[0] + 1 : dashes[1]]]
