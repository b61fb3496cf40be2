# Sourced by the fuzz scripts (tools/fuzz-*.sh), which set `out` (the build folder),
# `seconds` and `clang` first.

# build_fuzzer NAME SOURCE: the libFuzzer target $out/NAME from SOURCE and the readers'
# library (formats/, built here by clang with the same instrumentation), with
# AddressSanitizer and UndefinedBehaviorSanitizer, stopping at the first finding.
build_fuzzer() {
    local name=$1 source=$2
    local sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all"
    cmake -S formats -B "$out/formats" -DCMAKE_CXX_COMPILER="$clang" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-g -O1 -fsanitize=fuzzer-no-link $sanitizers" >"$out/formats.log"
    cmake --build "$out/formats" >>"$out/formats.log"
    "$clang" -std=c++17 -g -O1 -I. -fsanitize=fuzzer $sanitizers "$source" "$out/formats/libvx_formats.a" -lz \
        -o "$out/$name"
}

# run_fuzzer WHAT NAME MAX_LEN: runs out/NAME from out/corpus and out/seeds for `seconds`
# and prints its final figures; on a finding prints the log's tail and fails.
run_fuzzer() {
    local what=$1 name=$2 max_len=$3
    cd "$out"
    echo "Fuzzing $what for $seconds s (log: $out/fuzz.log)"
    if "./$name" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 corpus seeds \
        >fuzz.log 2>&1; then
        grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' fuzz.log
    else
        tail -n 60 fuzz.log
        echo "the fuzzer found a failing input (see $out/crash-* and $out/fuzz.log)" >&2
        return 1
    fi
}
