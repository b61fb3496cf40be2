#!/usr/bin/env bash
# Builds the PE version reader's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds (default 60),
# starting from the stand-in modules of tools/pe_image.py and, when MinGW-w64 is there, a
# MinGW-built DLL. A crash stops the run and leaves the input in build-fuzz/.
#   tools/fuzz-pe-reader.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=${VX_FUZZ_BUILD_DIR:-build-fuzz}
clang=${CLANGXX:-clang++-14}
# shellcheck source=fuzz-common.sh
source tools/fuzz-common.sh
mkdir -p "$out/corpus"

build_fuzzer pe_version_reader_fuzz tests/fuzz/pe_version_reader_fuzz.cpp

PYTHONPATH=tools python3 - "$out/seeds" <<'PY'
import pathlib, sys
from pe_image import build_pe_dll
seeds = pathlib.Path(sys.argv[1])
seeds.mkdir(parents=True, exist_ok=True)
(seeds / "x64.dll").write_bytes(build_pe_dll((1, 2, 0, 0)))
(seeds / "x86.dll").write_bytes(build_pe_dll((1, 1, 3, 7), machine="x86"))
(seeds / "no_version.dll").write_bytes(build_pe_dll(with_version=False))
PY
if command -v x86_64-w64-mingw32-g++-posix >/dev/null && command -v x86_64-w64-mingw32-windres >/dev/null; then
    x86_64-w64-mingw32-windres -O coff -i tests/fixtures/mingw_module.rc -o "$out/mingw_module_res.o"
    x86_64-w64-mingw32-g++-posix -shared -static-libgcc -o "$out/seeds/mingw.dll" \
        tests/fixtures/mingw_module.cpp "$out/mingw_module_res.o"
fi

run_fuzzer "the PE version reader" pe_version_reader_fuzz 131072
