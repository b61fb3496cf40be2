#!/usr/bin/env bash
# Builds static libpng and libjpeg-turbo for x86_64-w64-mingw32 (posix threads)
# from Debian's source packages and installs them into a cache folder outside
# the repository. A second run with the same versions does nothing.
#
#   tools/build-windows-deps.sh            # prints the install prefix last
#
# Environment:
#   VX_WINDOWS_DEPS_CACHE   folder holding one prefix per version set
#                           (default ${XDG_CACHE_HOME:-$HOME/.cache}/vx_installer/windows-deps)
#   VX_WINDOWS_DEPS_WORK    scratch folder for sources and build trees (default: mktemp, removed)
#
# Fetching sources needs a deb-src entry. When apt offers none for the pinned
# versions, one is derived from the machine's own Debian entries (root only).
set -euo pipefail

# Pinned source package versions. Debian keeps only the newest version of a
# package per suite, so a point release may retire one of these: the script
# then stops and lists what apt offers.
LIBPNG_SRC=libpng1.6
LIBPNG_VERSION=1.6.39-2+deb12u5
LIBJPEG_SRC=libjpeg-turbo
LIBJPEG_VERSION=1:2.1.5-2
# Bump when the build recipe below changes, so older caches are not reused.
RECIPE=1

REPO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TOOLCHAIN_FILE="$REPO_ROOT/cmake/mingw-w64.cmake"
CACHE_ROOT="${VX_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vx_installer/windows-deps}"
TAG="libpng-${LIBPNG_VERSION#*:}_libjpeg-turbo-${LIBJPEG_VERSION#*:}_r${RECIPE}"
PREFIX="$CACHE_ROOT/$TAG"
STAMP="$PREFIX/.vx-windows-deps-complete"
DEB_SRC_FILE=/etc/apt/sources.list.d/vx-installer-deb-src

STEP="start"
fail() {
    echo "build-windows-deps: FAILED in step '$STEP': $*" >&2
    exit 1
}
# Runs a command; on failure names the step and the command, then exits.
run() {
    local log
    log="$WORK/log-$(echo "$STEP" | tr -c 'A-Za-z0-9\n' '_').txt"
    echo "+ $*" >>"$log"
    if ! "$@" >>"$log" 2>&1; then
        echo "build-windows-deps: FAILED in step '$STEP'" >&2
        echo "  command: $*" >&2
        echo "  last lines of $log (kept only when VX_WINDOWS_DEPS_WORK is set):" >&2
        tail -n 25 "$log" | sed 's/^/    /' >&2
        exit 1
    fi
}
step() {
    STEP="$1"
    echo "build-windows-deps: [$(date +%H:%M:%S)] $STEP" >&2
}

if [[ -f "$STAMP" ]]; then
    echo "build-windows-deps: up to date ($TAG)" >&2
    echo "$PREFIX"
    exit 0
fi

T0=$SECONDS

step "check tools"
for tool in cmake x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres \
    apt-get apt-cache dpkg-source; do
    command -v "$tool" >/dev/null || fail "'$tool' not found (packages: cmake g++-mingw-w64-x86-64-posix dpkg-dev)"
done
[[ -f /usr/x86_64-w64-mingw32/lib/libz.a ]] || fail "static zlib for MinGW missing (package libz-mingw-w64-dev)"
GENERATOR=()
if command -v ninja >/dev/null; then GENERATOR=(-G Ninja); fi

if [[ -n "${VX_WINDOWS_DEPS_WORK:-}" ]]; then
    WORK="$VX_WINDOWS_DEPS_WORK"
    mkdir -p "$WORK"
else
    WORK="$(mktemp -d "${TMPDIR:-/tmp}/vx-windows-deps.XXXXXX")"
    trap 'rm -rf "$WORK"' EXIT
fi
# apt-get source drops privileges to _apt for downloading where it can.
chmod 755 "$WORK"

# Does apt offer source package $1 at version $2?
source_offered() {
    apt-cache showsrc --only-source "$1" 2>/dev/null | grep -Fx "Version: $2" >/dev/null
}

# Writes deb-src twins of the machine's Debian "deb" entries: deb822 stanzas
# from *.sources and one-line entries from *.list / sources.list. Only entries
# for this release's suites count (other vendors' repositories are skipped).
write_deb_src_entries() {
    local codename
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
    [[ -n "$codename" ]] || fail "no VERSION_CODENAME in /etc/os-release"
    local sources=() lists=()
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -f "$f" && "$f" != "$DEB_SRC_FILE.sources" ]] && sources+=("$f")
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f "$f" && "$f" != "$DEB_SRC_FILE.list" ]] && lists+=("$f")
    done
    if ((${#sources[@]})); then
        awk -v codename="$codename" '
            BEGIN { RS = ""; FS = "\n" }
            {
                types = ""; suites = ""; enabled = "yes"; out = ""
                for (i = 1; i <= NF; i++) {
                    line = $i
                    if (line ~ /^#/) continue
                    if (line ~ /^Types:/) { types = line; continue }
                    if (line ~ /^Suites:/) suites = line
                    if (line ~ /^Enabled:/) { enabled = tolower(line); sub(/^enabled:[ \t]*/, "", enabled) }
                    out = out line "\n"
                }
                if (enabled == "no") next
                if ((" " types " ") !~ /[ \t]deb[ \t]/) next
                if (suites !~ ("[ \t]" codename "([-\\/][^ \t]*)?([ \t]|$)")) next
                printf "Types: deb-src\n%s\n", out
            }' "${sources[@]}" >"$DEB_SRC_FILE.sources.new"
    else
        : >"$DEB_SRC_FILE.sources.new"
    fi
    if ((${#lists[@]})); then
        awk -v codename="$codename" '
            /^[ \t]*deb[ \t]/ {
                line = $0; sub(/^[ \t]*deb[ \t]+/, "", line)
                opts = ""
                if (line ~ /^\[/) { opts = substr(line, 1, index(line, "]")); line = substr(line, index(line, "]") + 1) }
                n = split(line, f, /[ \t]+/)
                k = (f[1] == "") ? 2 : 1
                if (f[k + 1] !~ ("^" codename "([-\\/].*)?$")) next
                print "deb-src " opts " " line
            }' "${lists[@]}" >"$DEB_SRC_FILE.list.new"
    else
        : >"$DEB_SRC_FILE.list.new"
    fi
    if [[ ! -s "$DEB_SRC_FILE.sources.new" && ! -s "$DEB_SRC_FILE.list.new" ]]; then
        rm -f "$DEB_SRC_FILE".*.new
        fail "found no Debian 'deb' entry for '$codename' in /etc/apt to derive a deb-src entry from"
    fi
    for kind in sources list; do
        if [[ -s "$DEB_SRC_FILE.$kind.new" ]]; then
            mv "$DEB_SRC_FILE.$kind.new" "$DEB_SRC_FILE.$kind"
            echo "build-windows-deps: wrote $DEB_SRC_FILE.$kind" >&2
        else
            rm -f "$DEB_SRC_FILE.$kind.new"
        fi
    done
}

step "find source packages"
if ! source_offered "$LIBPNG_SRC" "$LIBPNG_VERSION" || ! source_offered "$LIBJPEG_SRC" "$LIBJPEG_VERSION"; then
    [[ $EUID -eq 0 ]] || fail "apt offers no source for the pinned versions and adding a deb-src entry needs root"
    write_deb_src_entries
    run apt-get update
fi
for pkg in "$LIBPNG_SRC=$LIBPNG_VERSION" "$LIBJPEG_SRC=$LIBJPEG_VERSION"; do
    if ! source_offered "${pkg%%=*}" "${pkg#*=}"; then
        offered="$(apt-cache showsrc --only-source "${pkg%%=*}" 2>/dev/null | sed -n 's/^Version: //p' | tr '\n' ' ')"
        fail "apt offers no source of ${pkg%%=*} at ${pkg#*=} (offered: ${offered:-none}); update the pin in $0"
    fi
done

step "download and unpack $LIBPNG_SRC $LIBPNG_VERSION"
mkdir -p "$WORK/src"
cd "$WORK/src"
run apt-get source --only-source "$LIBPNG_SRC=$LIBPNG_VERSION"
step "download and unpack $LIBJPEG_SRC $LIBJPEG_VERSION"
run apt-get source --only-source "$LIBJPEG_SRC=$LIBJPEG_VERSION"
PNG_DIR="$(find "$WORK/src" -mindepth 1 -maxdepth 1 -type d -name 'libpng*' | head -n 1)"
JPEG_DIR="$(find "$WORK/src" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo*' | head -n 1)"
[[ -d "$PNG_DIR" && -d "$JPEG_DIR" ]] || fail "unpacked source folders not found in $WORK/src"

# Everything is installed under $STAGE$PREFIX and moved into place at the
# end, so an interrupted run never leaves a half-filled prefix behind.
STAGE="$WORK/stage"
rm -rf "$STAGE"
COMMON=("${GENERATOR[@]}" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$PREFIX")
JOBS="$(nproc 2>/dev/null || echo 2)"

step "configure libpng"
run cmake -S "$PNG_DIR" -B "$WORK/build-png" "${COMMON[@]}" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_FRAMEWORK=OFF -DSKIP_INSTALL_EXECUTABLES=ON
step "build libpng"
run cmake --build "$WORK/build-png" --parallel "$JOBS"
step "install libpng"
run env DESTDIR="$STAGE" cmake --install "$WORK/build-png"

step "configure libjpeg-turbo"
run cmake -S "$JPEG_DIR" -B "$WORK/build-jpeg" "${COMMON[@]}" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
step "build libjpeg-turbo"
run cmake --build "$WORK/build-jpeg" --parallel "$JOBS"
step "install libjpeg-turbo"
run env DESTDIR="$STAGE" cmake --install "$WORK/build-jpeg"

step "fix libjpeg headers for JUCE"
INC="$STAGE$PREFIX/include"
# JUCE's JPEG loader defines JPEG_INTERNALS, which makes jpeglib.h include the
# library's private jpegint.h.
run install -m 644 "$JPEG_DIR/jpegint.h" "$INC/jpegint.h"
# The Windows jconfig.h skips "typedef unsigned char boolean;" once rpcndr.h
# (which declares boolean itself) was read, and skips it in a way that leaves
# JUCE's own namespace without the type. rpcndr.h uses the same type, so
# declaring it unconditionally is safe.
JCONFIG="$INC/jconfig.h"
[[ -f "$JCONFIG" ]] || fail "$JCONFIG was not installed"
python3 - "$JCONFIG" <<'PY' || fail "could not patch $JCONFIG"
import re, sys
path = sys.argv[1]
text = open(path).read()
pattern = re.compile(r"#ifndef __RPCNDR_H__[^\n]*\n[ \t]*typedef unsigned char boolean;[^\n]*\n[ \t]*#endif[^\n]*\n")
if not pattern.search(text):
    sys.exit("expected '#ifndef __RPCNDR_H__ / typedef unsigned char boolean; / #endif' block not found")
text = pattern.sub("typedef unsigned char boolean;\n", text, count=1)
open(path, "w").write(text)
PY
grep -q '^typedef unsigned char boolean;' "$JCONFIG" || fail "boolean typedef missing from $JCONFIG after patching"

step "check installed files"
for f in lib/libpng16.a lib/libjpeg.a include/png.h include/pngconf.h include/pnglibconf.h \
    include/jpeglib.h include/jconfig.h include/jmorecfg.h include/jerror.h include/jpegint.h; do
    [[ -f "$STAGE$PREFIX/$f" ]] || fail "$f missing from the installed tree"
done
for lib in "$STAGE$PREFIX/lib/libpng16.a" "$STAGE$PREFIX/lib/libjpeg.a"; do
    x86_64-w64-mingw32-objdump -f "$lib" 2>/dev/null | grep -F 'pe-x86-64' >/dev/null ||
        fail "$lib does not hold x86-64 Windows objects"
done

step "move into $PREFIX"
mkdir -p "$CACHE_ROOT"
rm -rf "$PREFIX"
mv "$STAGE$PREFIX" "$PREFIX"
cat >"$STAMP" <<STAMPTEXT
libpng source: $LIBPNG_SRC $LIBPNG_VERSION
libjpeg-turbo source: $LIBJPEG_SRC $LIBJPEG_VERSION
recipe: $RECIPE
built: $(date -u +%Y-%m-%dT%H:%M:%SZ) in $((SECONDS - T0)) s
STAMPTEXT

echo "build-windows-deps: done in $((SECONDS - T0)) s" >&2
echo "$PREFIX"
