#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything (the Linux build and the
# Windows executable) and runs the whole test suite, the Windows executable's tests under
# Wine included. Build folders: build-tests (or $VX_TEST_BUILD_DIR) and build-win (or
# $VX_WINDOWS_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VX_TEST_BUILD_DIR:-build-tests}
windows_build=${VX_WINDOWS_BUILD_DIR:-build-win}
# Two compile jobs at most: the build machines have two cores, shared.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
tools/install-deps.sh test
VX_WINDOWS_BUILD_DIR="$windows_build" tools/build-windows.sh
windows_exe="$(realpath "$windows_build")/vx_installer.exe"
cmake -S . -B "$build" -G Ninja -DVX_BUILD_TESTS=ON -DVX_WINDOWS_EXE="$windows_exe" \
    -DVX_TEST_REPRODUCIBLE=ON -DVX_WARNINGS_AS_ERRORS=ON
cmake --build "$build"
# The suite reads the program's English texts unless a test names another language: the
# program follows these variables (and Wine its display language).
unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=C.UTF-8
ctest --test-dir "$build" --output-on-failure
