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
mkdir -p "$out/corpus"

"$clang" -std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    tests/fuzz/pe_version_reader_fuzz.cpp platform/PeVersionReader.cpp -o "$out/pe_version_reader_fuzz"

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

cd "$out"
echo "Fuzzing the PE version reader for $seconds s (log: $out/fuzz.log)"
if ./pe_version_reader_fuzz -max_total_time="$seconds" -max_len=131072 -print_final_stats=1 corpus seeds \
    >fuzz.log 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' fuzz.log
else
    tail -n 60 fuzz.log
    echo "the fuzzer found a failing input (see $out/crash-* and $out/fuzz.log)" >&2
    exit 1
fi
