#!/usr/bin/env bash
# Cross-builds vx_installer.exe for 64-bit Windows: the Debian packages it needs
# (tools/install-deps.sh windows), static libpng/libjpeg (cached,
# tools/build-windows-deps.sh), then configure and build with cmake/mingw-w64.cmake.
# The compilers run through ccache when it is installed (see CMakeLists.txt).
#
#   tools/build-windows.sh                 # build folder build-win (or $VX_WINDOWS_BUILD_DIR)
#
# Fails when the executable imports anything but Windows system DLLs.
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

# Everything else (libstdc++, libgcc, winpthread, zlib, png, jpeg) must be linked in.
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|comctl32|winspool\.drv|wininet|version|ws2_32|wsock32|imm32|shlwapi|rpcrt4|winmm|dxgi|msvcrt|uxtheme|dwmapi|d2d1|dwrite|d3d11|setupapi|crypt32|msimg32|opengl32|rstrtmgr)\.dll$'
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
foreign=$(echo "$imports" | tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
if [[ -n "$foreign" ]]; then
    echo "build-windows: $exe imports non-system DLLs:" $foreign >&2
    exit 1
fi

echo "build-windows: $exe, $(stat -c %s "$exe") bytes, imports:" $imports
echo "build-windows: done in $((SECONDS - start)) s"
