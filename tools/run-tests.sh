#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything and runs the whole test
# suite. Build folder: build-tests (or $VX_TEST_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VX_TEST_BUILD_DIR:-build-tests}
tools/install-deps.sh test
cmake -S . -B "$build" -G Ninja -DVX_BUILD_TESTS=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure
