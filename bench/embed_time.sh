#!/usr/bin/env bash
# Prints the seconds it takes to embed the three plug-in archives (their generation
# excluded): assembling resources/EmbeddedArchives.S and linking a small program with it,
# which then checks that it holds the archives' bytes.
#
#   bench/embed_time.sh CC EmbeddedArchives.S VST3_ZIP CLAP_ZIP AAX_ZIP
#   cmake --build build --target bench_embed      (the same, with the build's archives)
set -euo pipefail
if [ $# -ne 5 ]; then
    echo "usage: $0 CC EmbeddedArchives.S VST3_ZIP CLAP_ZIP AAX_ZIP" >&2
    exit 2
fi
cc=$1 assembly=$2 vst3=$3 clap=$4 aax=$5
runs=3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cc" -O1 -c "$(dirname "$0")/check_embedded.c" -o "$work/main.o"

now() { date +%s.%N; }
results=()
for run in $(seq "$runs"); do
    start=$(now)
    "$cc" -c "$assembly" -o "$work/archives.o" \
        -DVX_VST3_ARCHIVE="\"$vst3\"" -DVX_CLAP_ARCHIVE="\"$clap\"" -DVX_AAX_ARCHIVE="\"$aax\""
    assembled=$(now)
    "$cc" "$work/main.o" "$work/archives.o" -o "$work/embedded"
    linked=$(now)
    if ! sizes=$("$work/embedded" "$vst3" "$clap" "$aax"); then
        echo "embed_time: the linked program does not hold the archives' bytes" >&2
        exit 1
    fi
    line=$(awk -v s="$start" -v a="$assembled" -v l="$linked" \
        'BEGIN { printf "%.3f %.3f %.3f", a - s, l - a, l - s }')
    results+=("$line")
    read -r assemble link total <<<"$line"
    megabytes=$(awk '{ printf "%.1f", ($1 + $2 + $3) / 1e6 }' <<<"$sizes")
    echo "run $run: assemble ${assemble} s, link ${link} s, embed ${total} s ($megabytes MB)"
done
median=$(printf '%s\n' "${results[@]}" | sort -n -k3 | sed -n "$(((runs + 1) / 2))p" | cut -d' ' -f3)
echo "embed_seconds: $median (median of $runs runs; target under 5 s)"
