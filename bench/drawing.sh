#!/usr/bin/env bash
# Times opening generated ASCII DXF files of 25, 50 and 100 MB in the drawing
# model beside ogr2ogr reading the same files (into a CSV file of its attributes),
# printing the wall-clock time and the peak memory of each run.
#
#   bench/drawing.sh [build dir]
set -euo pipefail
build=${1:-build}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {
    local name=$1
    shift
    local start end rss=""
    start=$(date +%s%N)
    if command -v /usr/bin/time >/dev/null; then
        /usr/bin/time -f "%M" -o "$work/rss" "$@" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
        rss="$(tail -n 1 "$work/rss") KiB peak"
    else
        "$@" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
    fi
    end=$(date +%s%N)
    local ms=$(((end - start) / 1000000))
    printf '%-40s %4d.%03d s   %s\n' "$name" $((ms / 1000)) $((ms % 1000)) "$rss"
}

for size in 25 50 100; do
    "$bin/make_dxf" "$size" "$work/drawing.dxf"
    run "$size MB: drawing model" "$bin/open_drawing" "$work/drawing.dxf"
    if command -v ogr2ogr >/dev/null; then
        rm -f "$work/out.csv"
        run "$size MB: ogr2ogr -f CSV" ogr2ogr -f CSV "$work/out.csv" "$work/drawing.dxf"
    fi
done
