#!/usr/bin/env bash
# Installs what the build needs, builds the installer and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh app
cmake -S . -B build -G Ninja -DVX_BUILD_TESTS=OFF -DVX_BUILD_BENCH=OFF
cmake --build build --target vx_installer
exec build/vx_installer
