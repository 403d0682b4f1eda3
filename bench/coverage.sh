#!/usr/bin/env bash
# Times wlxconv /IV on generated covers of 10,000, 100,000 and 1,000,000
# arcs with their AAT, exported with /TABLE:CSV, and prints each run's
# wall-clock time (the median of `runs`), its time per arc and its peak memory.
#
#   bench/coverage.sh [build dir] [runs]
set -euo pipefail
build=${1:-build}
runs=${2:-3}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

for arcs in 10000 100000 1000000; do
    ws="$work/ws$arcs"
    "$bin/make_cover" "$ws" big "$arcs"
    times=()
    kib=0
    for ((i = 0; i < runs; ++i)); do
        rm -f "$work"/out*
        start=$(date +%s%N)
        /usr/bin/time -f "%M" -o "$work/rss" env WLXCONV_REGISTRY="$work/none.reg" \
            "$bin/wlxconv" /IV /OO /COORDSYS:NONE /TABLE:CSV "$ws/big" "$work/out" >"$work/log" 2>&1 ||
            { cat "$work/log"; exit 1; }
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
        rss=$(tail -n 1 "$work/rss")
        ((rss > kib)) && kib=$rss
    done
    ms=$(median "${times[@]}")
    rows=$(($(wc -l <"$work/out_AAT.csv") - 1))
    awk -v a="$arcs" -v ms="$ms" -v kib="$kib" -v rows="$rows" 'BEGIN {
        printf "%9d arcs, %9d AAT rows exported: %8.3f s  %6.2f us/arc  %6.1f MiB\n",
               a, rows, ms / 1000, ms * 1000 / a, kib / 1024 }'
done
