#!/usr/bin/env bash
# Checks the Windows resources of a built executable with wrestool/icotool:
#   - manifest (RT_MANIFEST, id 1): requireAdministrator, uiAccess false,
#     Common Controls 6.0.0.0
#   - version resource: fixed file and product version <version>.0, string
#     table FileVersion/ProductVersion <version>, ProductName/FileDescription
#     vx_installer
#   - icon groups IDI_ICON1 and IDI_ICON2, each with 16/32/48 px 32-bit DIBs
#     and a 256 px PNG
#
#   tests/windows/check_exe_resources.sh [--version X.Y.Z] <exe>
#
# Prints one line per check and a closing "N passed, N failed" line; exits
# non-zero when any check fails.
set -uo pipefail

# The version the build gives the executable: the CMake project's own, unless named.
VERSION=$(sed -n 's/^project(vx_installer VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
if [[ "${1:-}" == "--version" ]]; then
    VERSION="${2:?--version needs a value}"
    shift 2
fi
EXE="${1:?usage: $0 [--version X.Y.Z] <exe>}"
[[ -f "$EXE" ]] || { echo "check_exe_resources: no such file: $EXE" >&2; exit 2; }
for tool in wrestool icotool python3; do
    command -v "$tool" >/dev/null || { echo "check_exe_resources: '$tool' not found (package icoutils / python3)" >&2; exit 2; }
done

TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
PASSED=0
FAILED=0

# check NAME FUNCTION: runs FUNCTION, which prints the reason on failure.
check() {
    local name="$1" out
    if out="$("$2" 2>&1)"; then
        echo "PASS $name"
        PASSED=$((PASSED + 1))
    else
        echo "FAIL $name: ${out:-no detail}"
        FAILED=$((FAILED + 1))
    fi
}

wrestool -l "$EXE" >"$TMP/list" 2>&1 || { echo "check_exe_resources: wrestool cannot read $EXE:" >&2; cat "$TMP/list" >&2; exit 2; }

check_manifest() {
    grep -E -- "--type=24 --name=1 " "$TMP/list" >/dev/null || { echo "no RT_MANIFEST resource with id 1"; return 1; }
    wrestool -x --raw --type=24 --name=1 "$EXE" >"$TMP/manifest.xml" && [[ -s "$TMP/manifest.xml" ]] || { echo "cannot extract the manifest"; return 1; }
    python3 - "$TMP/manifest.xml" <<'PY'
import sys
import xml.etree.ElementTree as ET

root = ET.parse(sys.argv[1]).getroot()
levels = [e.attrib for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
if len(levels) != 1:
    sys.exit(f"expected one requestedExecutionLevel, found {len(levels)}")
if levels[0].get("level") != "requireAdministrator" or levels[0].get("uiAccess") != "false":
    sys.exit(f"requestedExecutionLevel is {levels[0]}")
deps = [e.attrib for e in root.iter() if e.tag.endswith("}assemblyIdentity")
        and e.get("name") == "Microsoft.Windows.Common-Controls"]
want = {"type": "win32", "version": "6.0.0.0", "publicKeyToken": "6595b64144ccf1df", "language": "*"}
if len(deps) != 1 or any(deps[0].get(k) != v for k, v in want.items()):
    sys.exit(f"Common-Controls dependency is {deps}")
if deps[0].get("processorArchitecture") not in ("amd64", "*"):
    sys.exit(f"Common-Controls processorArchitecture is {deps[0].get('processorArchitecture')}")
PY
}

check_version() {
    local count
    count="$(grep -c -E -- "--type=16 " "$TMP/list")"
    [[ "$count" == 1 ]] || { echo "expected one version resource, found $count"; return 1; }
    wrestool -x --raw --type=16 "$EXE" >"$TMP/version.bin" && [[ -s "$TMP/version.bin" ]] || { echo "cannot extract the version resource"; return 1; }
    python3 - "$TMP/version.bin" "$VERSION" <<'PY'
import struct
import sys

data = open(sys.argv[1], "rb").read()
want = sys.argv[2]

# VS_VERSIONINFO is a tree of blocks: wLength, wValueLength, wType, key (UTF-16,
# NUL-terminated), padding to 4 bytes, value, padding, children.
def parse(offset, end):
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    if length == 0 or offset + length > end:
        sys.exit(f"malformed version block at {offset}")
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    size = value_length * 2 if kind == 1 else value_length
    value = data[pos:pos + size]
    pos = (pos + size + 3) & ~3
    children = []
    while pos < offset + length:
        child, child_length = parse(pos, offset + length)
        children.append(child)
        pos = (pos + child_length + 3) & ~3
    return (key, kind, value, children), length

(key, _, fixed, children), _ = parse(0, len(data))
if key != "VS_VERSION_INFO" or len(fixed) < 52:
    sys.exit("root block is not VS_VERSION_INFO with a fixed-info value")
sig, _, fms, fls, pms, pls = struct.unpack_from("<IIIIII", fixed)
if sig != 0xFEEF04BD:
    sys.exit("VS_FIXEDFILEINFO signature missing")
def quad(ms, ls):
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
errors = []
for name, ms, ls in (("FILEVERSION", fms, fls), ("PRODUCTVERSION", pms, pls)):
    if quad(ms, ls) != want + ".0":
        errors.append(f"{name} is {quad(ms, ls)}, expected {want}.0")

strings = {}
for block_key, _, _, tables in children:
    if block_key == "StringFileInfo":
        for _, _, _, entries in tables:
            for name, _, value, _ in entries:
                strings[name] = value.decode("utf-16-le").rstrip("\0")
expected = {"FileVersion": want, "ProductVersion": want,
            "ProductName": "vx_installer", "FileDescription": "vx_installer"}
for name, value in expected.items():
    if strings.get(name) != value:
        errors.append(f"string {name} is {strings.get(name)!r}, expected {value!r}")
if errors:
    sys.exit("; ".join(errors))
PY
}

# Icon group NAME: present, and its images are 16/32/48 px DIBs at 32 bpp
# plus a 256 px PNG.
check_icon_group() {
    local name="$1"
    grep -E -- "--type=14 --name='$name' " "$TMP/list" >/dev/null || { echo "no icon group $name"; return 1; }
    wrestool -x --type=14 --name="$name" "$EXE" >"$TMP/$name.ico" && [[ -s "$TMP/$name.ico" ]] || { echo "cannot extract $name"; return 1; }
    icotool -l "$TMP/$name.ico" >"$TMP/$name.txt" || return 1
    local sizes
    sizes="$(sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\) --bit-depth=32 .*/\1x\2/p' "$TMP/$name.txt" | sort -n | tr '\n' ' ')"
    [[ "$sizes" == "16x16 32x32 48x48 256x256 " ]] || { echo "$name holds 32-bit images '$sizes'; listing: $(tr '\n' ' ' <"$TMP/$name.txt")"; return 1; }
    python3 - "$TMP/$name.ico" <<'PY'
import struct
import sys

data = open(sys.argv[1], "rb").read()
_, kind, count = struct.unpack_from("<HHH", data)
for i in range(count):
    w, h, _, _, _, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
    w = w or 256
    is_png = data[offset:offset + 8] == b"\x89PNG\r\n\x1a\n"
    if is_png != (w == 256):
        sys.exit(f"{w} px image is {'PNG' if is_png else 'DIB'}")
PY
}
check_icon1() { check_icon_group IDI_ICON1; }
check_icon2() { check_icon_group IDI_ICON2; }

check "manifest requests requireAdministrator and Common Controls 6" check_manifest
check "version resource says $VERSION" check_version
check "icon group IDI_ICON1" check_icon1
check "icon group IDI_ICON2" check_icon2

echo "check_exe_resources: $PASSED passed, $FAILED failed"
[[ $FAILED -eq 0 ]]
