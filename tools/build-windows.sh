#!/usr/bin/env bash
# Cross-builds vx_installer.exe for 64-bit Windows: the Debian packages it needs
# (tools/install-deps.sh windows), static libpng/libjpeg (cached,
# tools/build-windows-deps.sh), then configure and build with cmake/mingw-w64.cmake.
# The compilers run through ccache when it is installed (see CMakeLists.txt).
#
#   tools/build-windows.sh                 # build folder build-win (or $VX_WINDOWS_BUILD_DIR)
#
# Fails when the executable imports a DLL outside Windows' KnownDLLs list (tools/known-dlls.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VX_WINDOWS_BUILD_DIR:-build-win}
# Two compile jobs at most: the build machines have two cores, shared.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
start=$SECONDS

tools/install-deps.sh windows
prefix=$(tools/build-windows-deps.sh)

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S . -B "$build" "${generator[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
        -DVX_WINDOWS_DEPS_PREFIX="$prefix" \
        -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target vx_installer

exe="$build/vx_installer.exe"
[[ -f "$exe" ]] || { echo "build-windows: $exe was not produced" >&2; exit 1; }

# Everything else (libstdc++, libgcc, winpthread, zlib, png, jpeg) must be linked in, and
# the import table may name only DLLs that Windows never takes from beside the program:
# the program runs elevated, often from a Downloads folder anyone can drop a DLL into.
# Any other DLL is delay-imported (cmake/DelayImports.cmake).
known_dlls=$(grep -v '^#' tools/known-dlls.txt)
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
plantable=$(echo "$imports" | tr 'A-Z' 'a-z' | grep -vxF "$known_dlls" || true)
if [[ -n "$plantable" ]]; then
    echo "build-windows: $exe imports DLLs outside the KnownDLLs list (tools/known-dlls.txt)," \
        "which Windows would load from beside the program; delay-import them instead:" $plantable >&2
    exit 1
fi

echo "build-windows: $exe, $(stat -c %s "$exe") bytes, imports:" $imports
echo "build-windows: done in $((SECONDS - start)) s"
