#!/usr/bin/env bash
# Builds the program twice from clean, from two copies of the source tree in two
# different folders, without ccache, and checks that both builds give the same bytes.
#
#   tools/check-reproducible.sh [windows|linux]...    # default: windows linux
#
# windows: vx_installer.exe with cmake/mingw-w64.cmake, as tools/build-windows.sh builds it
# linux:   the Linux vx_installer, as tools/run-installer.sh builds it
#
# Both builds get the same SOURCE_DATE_EPOCH (the environment's, else the time of the
# last commit), as two builds of one commit would. ccache is off: a cache hit gives
# the same object by construction and would prove nothing about the compiler.
# The libpng/libjpeg for Windows come from the one cached prefix of
# tools/build-windows-deps.sh for both builds.
#
# Environment: VX_REPRO_WORK   scratch folder (default: mktemp, removed at the end)
#              VX_REPRO_KEEP=1 keep the scratch folder
#
# Prints one line per platform with both builds' times and the size; on a difference
# the first differing offsets and the sections holding them. Exits non-zero when the
# builds differ or one fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
platforms=("$@")
[[ ${#platforms[@]} -gt 0 ]] || platforms=(windows linux)
for platform in "${platforms[@]}"; do
    [[ "$platform" == windows || "$platform" == linux ]] ||
        { echo "usage: $0 [windows|linux]..." >&2; exit 2; }
done

export CCACHE_DISABLE=1
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
    SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)"
fi
export SOURCE_DATE_EPOCH

work="${VX_REPRO_WORK:-$(mktemp -d "${TMPDIR:-/tmp}/vx-repro.XXXXXX")}"
mkdir -p "$work"
work="$(cd "$work" && pwd)"
[[ "${VX_REPRO_KEEP:-0}" == 1 ]] || trap 'rm -rf "$work"' EXIT

# copy_sources DEST: the source tree as the repository holds it, build folders left out.
copy_sources() {
    mkdir -p "$1"
    if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        # Files deleted but not yet committed are skipped.
        (cd "$root" && git ls-files -z --cached --others --exclude-standard |
            tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -xf - -C "$1"
    else
        tar -C "$root" --exclude='./build*' -cf - . | tar -xf - -C "$1"
    fi
}

# build PLATFORM SOURCE BUILD: configures and builds vx_installer; prints the program's path.
build() {
    local platform="$1" source="$2" build="$3" options=()
    if [[ "$platform" == windows ]]; then
        options=(-DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64.cmake"
            -DVX_WINDOWS_DEPS_PREFIX="$windows_deps" -DCMAKE_BUILD_TYPE=Release)
    else
        options=(-DVX_BUILD_TESTS=OFF -DVX_BUILD_BENCH=OFF)
    fi
    cmake -S "$source" -B "$build" -G Ninja "${options[@]}" >"$build.log" 2>&1 &&
        cmake --build "$build" --target vx_installer >>"$build.log" 2>&1 || {
        echo "check-reproducible: the $platform build in $build failed; its last lines:" >&2
        tail -n 30 "$build.log" >&2
        return 1
    }
    if [[ "$platform" == windows ]]; then echo "$build/vx_installer.exe"; else echo "$build/vx_installer"; fi
}

# explain A B: where two programs differ, as byte ranges and the sections holding them.
explain() {
    local dump=objdump
    [[ "$(head -c 2 "$1")" == MZ ]] && dump=x86_64-w64-mingw32-objdump
    "$dump" -h "$1" | python3 -c '
import sys

a = open(sys.argv[1], "rb").read()
b = open(sys.argv[2], "rb").read()
sections = []
for line in sys.stdin:
    f = line.split()
    if len(f) >= 6 and f[0].isdigit() and int(f[5], 16) > 0:  # .bss has no bytes in the file
        sections.append((f[1], int(f[5], 16), int(f[2], 16)))
def where(at):
    return next((n for n, off, size in sections if off <= at < off + size), "headers or no section")
ranges = []
for i in range(min(len(a), len(b))):
    if a[i] != b[i]:
        if ranges and ranges[-1][1] == i:
            ranges[-1][1] = i + 1
        else:
            ranges.append([i, i + 1])
print(f"check-reproducible: {sum(e - s for s, e in ranges)} bytes differ in {len(ranges)} ranges"
      + (f", and the sizes ({len(a)}, {len(b)})" if len(a) != len(b) else ""))
for start, end in ranges[:8]:
    print(f"  {start:#x}..{end:#x} in {where(start)}")
' "$1" "$2"
}

windows_deps=""
if [[ " ${platforms[*]} " == *" windows "* ]]; then
    windows_deps="$("$root/tools/build-windows-deps.sh" | tail -n 1)"
fi

# Different folder names and depths, so that any recorded path would show.
copy_sources "$work/a/src"
copy_sources "$work/second-tree/nested/source"
status=0
for platform in "${platforms[@]}"; do
    start=$SECONDS
    first="$(build "$platform" "$work/a/src" "$work/a/build-$platform")" || exit 1
    first_time=$((SECONDS - start))
    start=$SECONDS
    second="$(build "$platform" "$work/second-tree/nested/source" "$work/second-tree/out-$platform")" || exit 1
    second_time=$((SECONDS - start))
    line="$platform: clean builds ${first_time} s and ${second_time} s, $(stat -c %s "$first") bytes"
    if cmp -s "$first" "$second"; then
        echo "check-reproducible: $line, identical (sha256 $(sha256sum <"$first" | cut -c 1-16))"
    else
        echo "check-reproducible: $line, DIFFERENT: $first and $second"
        explain "$first" "$second"
        status=1
    fi
done
exit $status
