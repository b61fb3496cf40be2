#!/usr/bin/env bash
# Prints the seconds it takes to embed the plug-in archives (their generation excluded):
# assembling resources/EmbeddedArchives.S with the build's list of archives and linking a
# small program with it, which then checks that it holds the archives' bytes.
#
#   bench/embed_time.sh CC EmbeddedArchives.S LIST_FOLDER ZIP...
#   cmake --build build --target bench_embed      (the same, with the build's archives)
#
# LIST_FOLDER holds the EmbeddedArchiveList.inc the build wrote; the ZIPs are the archives
# it names, in its order.
set -euo pipefail
if [ $# -lt 4 ]; then
    echo "usage: $0 CC EmbeddedArchives.S LIST_FOLDER ZIP..." >&2
    exit 2
fi
cc=$1 assembly=$2 list_folder=$3
shift 3
archives=("$@")
runs=3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cc" -O1 -c "$(dirname "$0")/check_embedded.c" -o "$work/main.o"

now() { date +%s.%N; }
results=()
for run in $(seq "$runs"); do
    start=$(now)
    "$cc" -c "$assembly" -o "$work/archives.o" -I "$list_folder"
    assembled=$(now)
    "$cc" "$work/main.o" "$work/archives.o" -o "$work/embedded"
    linked=$(now)
    if ! sizes=$("$work/embedded" "${archives[@]}"); then
        echo "embed_time: the linked program does not hold the archives' bytes" >&2
        exit 1
    fi
    line=$(awk -v s="$start" -v a="$assembled" -v l="$linked" \
        'BEGIN { printf "%.3f %.3f %.3f", a - s, l - a, l - s }')
    results+=("$line")
    read -r assemble link total <<<"$line"
    megabytes=$(awk '{ for (i = 1; i <= NF; ++i) total += $i; printf "%.1f", total / 1e6 }' <<<"$sizes")
    echo "run $run: assemble ${assemble} s, link ${link} s, embed ${total} s ($megabytes MB)"
done
median=$(printf '%s\n' "${results[@]}" | sort -n -k3 | sed -n "$(((runs + 1) / 2))p" | cut -d' ' -f3)
echo "embed_seconds: $median (median of $runs runs; budget under 5 s, so that a rebuild after an archive change stays quick)"
