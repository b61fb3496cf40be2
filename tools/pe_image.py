"""Minimal Windows PE DLL writer (Python 3, standard library only).

build_pe_dll() returns the bytes of a small but valid DLL: DOS header and stub, PE
headers (PE32+ for machine "x64", PE32 for "x86"), a .text section with a DllMain
that returns TRUE, an optional .rdata section of filler, a .rsrc section holding an
RT_VERSION resource (VS_VERSIONINFO with VS_FIXEDFILEINFO, StringFileInfo and
VarFileInfo) and a .reloc section. The PE checksum is set. Output is deterministic.

Used at build time for the stand-in plug-in modules and by tests as a fixture maker:

    from pe_image import build_pe_dll
    dll = build_pe_dll((1, 2, 0, 0))                      # 64-bit, version 1.2.0.0
    old = build_pe_dll((1, 1, 3, 7), machine="x86")        # 32-bit
    bare = build_pe_dll(with_version=False)                # no .rsrc at all
    big = build_pe_dll(size=18_000_000, seed=1)            # padded to exactly that size

`size` pads the file to exactly `size` bytes (when that is more than the minimal image)
with deterministic filler of mixed compressibility: deflate shrinks it to about 57 %,
like a real plug-in module. The filler fills a .rdata section; a remainder smaller than
the file alignment is appended as an overlay.
"""

import random
import struct

__all__ = ["build_pe_dll", "version_info_resource", "filler_bytes", "FILE_ALIGNMENT"]

FILE_ALIGNMENT = 0x200
SECTION_ALIGNMENT = 0x1000
PE_OFFSET = 0x80

# Filler blocks per group: random, code-like and mostly-zero ones.
RANDOM_BLOCKS, LOW_ENTROPY_BLOCKS, SPARSE_BLOCKS = 15, 19, 6

_MACHINES = {
    # name: (machine, optional header magic, image base, DllMain code)
    "x64": (0x8664, 0x20B, 0x180000000, bytes.fromhex("b801000000c3")),  # mov eax,1; ret
    "x86": (0x014C, 0x10B, 0x10000000, bytes.fromhex("b801000000c20c00")),  # mov eax,1; ret 12
}

_DOS_STUB = bytes.fromhex("0e1fba0e00b409cd21b8014ccd21") + b"This program cannot be run in DOS mode.\r\r\n$"

_DEFAULT_STRINGS = {
    "CompanyName": "Audio Tarvosk",
    "FileDescription": "Ostrand",
    "InternalName": "Ostrand",
    "LegalCopyright": "Copyright (C) Audio Tarvosk",
    "OriginalFilename": "Ostrand.dll",
    "ProductName": "Ostrand",
}


def _align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def _pad4(buffer):
    buffer.extend(b"\0" * (-len(buffer) % 4))


def _version_block(key, value=b"", value_length=0, value_type=1, children=()):
    """One node of a version resource: wLength, wValueLength, wType, szKey, Value, Children."""
    block = bytearray(6)
    block += key.encode("utf-16-le") + b"\0\0"
    _pad4(block)
    block += value
    for child in children:
        _pad4(block)
        block += child
    struct.pack_into("<HHH", block, 0, len(block), value_length, value_type)
    return bytes(block)


def _string_entry(key, text):
    value = text.encode("utf-16-le") + b"\0\0"
    return _version_block(key, value, value_length=len(text) + 1, value_type=1)


def version_info_resource(file_version, product_version=None, strings=None):
    """The bytes of an RT_VERSION resource (VS_VERSIONINFO) for the given 4-part versions."""
    product_version = tuple(product_version or file_version)
    file_version = tuple(file_version)
    if len(file_version) != 4 or len(product_version) != 4:
        raise ValueError("versions have four parts")

    def ms_ls(v):
        return (v[0] << 16) | v[1], (v[2] << 16) | v[3]

    fixed = struct.pack(
        "<13I",
        0xFEEF04BD,  # dwSignature
        0x00010000,  # dwStrucVersion
        *ms_ls(file_version),
        *ms_ls(product_version),
        0x3F,  # dwFileFlagsMask
        0,  # dwFileFlags
        0x00040004,  # dwFileOS: VOS_NT_WINDOWS32
        2,  # dwFileType: VFT_DLL
        0,  # dwFileSubtype
        0,  # dwFileDateMS
        0,  # dwFileDateLS
    )
    table = dict(_DEFAULT_STRINGS)
    table["FileVersion"] = ".".join(str(p) for p in file_version)
    table["ProductVersion"] = ".".join(str(p) for p in product_version)
    table.update(strings or {})

    string_table = _version_block(
        "040904b0", children=[_string_entry(k, v) for k, v in sorted(table.items())]
    )
    string_file_info = _version_block("StringFileInfo", children=[string_table])
    translation = _version_block("Translation", struct.pack("<HH", 0x0409, 0x04B0), 4, 0)
    var_file_info = _version_block("VarFileInfo", children=[translation])
    return _version_block(
        "VS_VERSION_INFO", fixed, len(fixed), 0, children=[string_file_info, var_file_info]
    )


def _resource_section(version_resource, section_rva):
    """A resource tree type 16 / name 1 / language 0x0409 pointing at the version data."""

    def directory(entry_id, target):
        return struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", entry_id, target)

    data_offset = 96
    tree = (
        directory(16, 0x80000000 | 24)
        + directory(1, 0x80000000 | 48)
        + directory(0x0409, 72)
        + struct.pack("<IIII", section_rva + data_offset, len(version_resource), 0, 0)
    )
    return tree.ljust(data_offset, b"\0") + version_resource


def filler_bytes(size, seed=0):
    """Deterministic bytes that deflate to about 57 % of their size.

    Blocks of 16 KiB are either random (incompressible), low-entropy bytes from a skewed
    16-symbol alphabet (compressible like code) or mostly zeros (like tables and padding).
    """
    rng = random.Random(seed)
    symbols = bytes(rng.sample(range(256), 16))
    # Skewed mapping: the first symbols are far more frequent than the last ones.
    weights = [2 ** (15 - i) for i in range(16)]
    cumulative, total = [], 0
    for w in weights:
        total += w
        cumulative.append(total)
    low_entropy = bytes(
        symbols[next(i for i, c in enumerate(cumulative) if v * total < c * 256)] for v in range(256)
    )
    sparse = bytes(v if v >= 240 else 0 for v in range(256))

    # A fixed share of each kind per group of blocks keeps the ratio steady across seeds.
    kinds = [None] * RANDOM_BLOCKS + [low_entropy] * LOW_ENTROPY_BLOCKS + [sparse] * SPARSE_BLOCKS
    block = 16384
    out = bytearray()
    while len(out) < size:
        rng.shuffle(kinds)
        for table in kinds:
            chunk = rng.randbytes(block)
            out += chunk if table is None else chunk.translate(table)
    del out[size:]
    return bytes(out)


def _checksum(image, checksum_offset):
    """The PE image checksum (as computed by the Windows image help library)."""
    data = image + b"\0" * (len(image) % 2)
    words = memoryview(data).cast("H")
    total = sum(words) - words[checksum_offset // 2] - words[checksum_offset // 2 + 1]
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def build_pe_dll(
    file_version=(1, 2, 0, 0),
    *,
    machine="x64",
    with_version=True,
    size=None,
    seed=0,
    product_version=None,
    strings=None,
):
    """Bytes of a minimal valid Windows DLL; see the module docstring."""
    if machine not in _MACHINES:
        raise ValueError("machine is 'x64' or 'x86'")
    machine_id, magic, image_base, code = _MACHINES[machine]
    pe32_plus = magic == 0x20B
    optional_size = 240 if pe32_plus else 224

    # (name, raw data, characteristics); the filler section is sized once the rest is known.
    version_resource = version_info_resource(file_version, product_version, strings) if with_version else b""
    sections = [(b".text", code, 0x60000020)]
    resource_index = None
    if with_version:
        resource_index = len(sections)
        sections.append((b".rsrc", None, 0x40000040))
    # One empty relocation block: the image can be rebased, it has nothing to fix up.
    sections.append((b".reloc", struct.pack("<IIHH", 0x1000, 12, 0, 0), 0x42000040))

    def headers_size(count):
        return _align(PE_OFFSET + 4 + 20 + optional_size + 40 * count, FILE_ALIGNMENT)

    filler = b""
    overlay = b""
    if size is not None:
        version_size = len(_resource_section(version_resource, 0))
        sections_part = sum(
            _align(version_size if data is None else len(data), FILE_ALIGNMENT) for _, data, _ in sections
        )
        # With a filler section the headers may grow by one alignment unit.
        spare = size - headers_size(len(sections) + 1) - sections_part
        if spare >= FILE_ALIGNMENT:
            filler_length = spare // FILE_ALIGNMENT * FILE_ALIGNMENT
        else:
            spare = size - headers_size(len(sections)) - sections_part
            filler_length = 0
        if spare > 0:
            filler_all = filler_bytes(spare, seed)
            filler, overlay = filler_all[:filler_length], filler_all[filler_length:]
    if filler:
        sections.insert(1, (b".rdata", filler, 0x40000040))
        if resource_index is not None:
            resource_index += 1

    header_bytes = headers_size(len(sections))
    rva = SECTION_ALIGNMENT
    raw = header_bytes
    table = []
    for index, (name, data, characteristics) in enumerate(sections):
        if index == resource_index:
            data = _resource_section(version_resource, rva)
            sections[index] = (name, data, characteristics)
        raw_size = _align(len(data), FILE_ALIGNMENT)
        table.append((name, len(data), rva, raw_size, raw, characteristics))
        rva += _align(len(data), SECTION_ALIGNMENT)
        raw += raw_size
    image_size = rva

    directories = [(0, 0)] * 16
    for name, virtual_size, section_rva, *_ in table:
        if name == b".rsrc":
            directories[2] = (section_rva, virtual_size)
        elif name == b".reloc":
            directories[5] = (section_rva, virtual_size)

    code_size = sum(t[3] for t in table if t[5] & 0x20)
    data_size = sum(t[3] for t in table if t[5] & 0x40)
    text_rva = table[0][2]

    image = bytearray(header_bytes)
    struct.pack_into("<2s58xI", image, 0, b"MZ", PE_OFFSET)
    struct.pack_into("<HHHHHHHHH", image, 2, 0x90, 3, 0, 4, 0, 0xFFFF, 0, 0xB8, 0)
    struct.pack_into("<H", image, 0x18, 0x40)  # e_lfarlc
    image[0x40 : 0x40 + len(_DOS_STUB)] = _DOS_STUB

    characteristics = 0x2002 | (0x20 if pe32_plus else 0x100)  # EXECUTABLE_IMAGE | DLL | ...
    struct.pack_into("<4sHHIIIHH", image, PE_OFFSET, b"PE\0\0", machine_id, len(table), 0, 0, 0,
                     optional_size, characteristics)

    optional = PE_OFFSET + 24
    dll_characteristics = 0x0140 | (0x0020 if pe32_plus else 0)  # DYNAMIC_BASE | NX_COMPAT | HIGH_ENTROPY_VA
    version_major, version_minor = file_version[0], file_version[1]
    head = struct.pack("<HBBIIIII", magic, 14, 0, code_size, data_size, 0, text_rva, text_rva)
    if pe32_plus:
        head += struct.pack("<Q", image_base)
    else:
        head += struct.pack("<II", text_rva + _align(len(code), SECTION_ALIGNMENT), image_base)
    head += struct.pack("<IIHHHHHHIIIIHH", SECTION_ALIGNMENT, FILE_ALIGNMENT, 6, 0, version_major,
                        version_minor, 6, 0, 0, image_size, header_bytes, 0, 2, dll_characteristics)
    stack_heap = (0x100000, 0x1000, 0x100000, 0x1000)
    head += struct.pack("<4Q" if pe32_plus else "<4I", *stack_heap)
    head += struct.pack("<II", 0, 16)
    head += b"".join(struct.pack("<II", *d) for d in directories)
    assert len(head) == optional_size
    image[optional : optional + optional_size] = head
    checksum_offset = optional + 64

    section_table = optional + optional_size
    for i, (name, virtual_size, section_rva, raw_size, raw_offset, flags) in enumerate(table):
        struct.pack_into("<8sIIIIIIHHI", image, section_table + 40 * i, name, virtual_size, section_rva,
                         raw_size, raw_offset, 0, 0, 0, 0, flags)

    for _, data, _ in sections:
        image += data
        image += b"\0" * (-len(data) % FILE_ALIGNMENT)
    image += overlay

    struct.pack_into("<I", image, checksum_offset, _checksum(bytes(image), checksum_offset))
    return bytes(image)


if __name__ == "__main__":
    import sys

    sys.stdout.buffer.write(build_pe_dll())
