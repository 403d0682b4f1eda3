#!/usr/bin/env bash
# Times wlxconv converting large generated shapefiles with output type O:
# 1,000,000 points and 100,000 polygons (two parts each), both with a DBF of
# three columns, once without and once with /TABLE:CSV.
#   bench/shapefile.sh [build dir]
set -euo pipefail
build=${1:-build}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/make_shapefile" points 1000000 "$work/points" >/dev/null
"$bin/make_shapefile" polygons 100000 "$work/polygons" >/dev/null

run() {
    local name=$1
    shift
    local start end
    start=$(date +%s%N)
    if command -v /usr/bin/time >/dev/null; then
        /usr/bin/time -f "%M" -o "$work/rss" "$bin/wlxconv" "$@" >"$work/log" || { cat "$work/log"; exit 1; }
        rss="$(cat "$work/rss") KiB peak"
    else
        "$bin/wlxconv" "$@" >"$work/log" || { cat "$work/log"; exit 1; }
        rss="peak memory not measured"
    fi
    end=$(date +%s%N)
    local ms=$(((end - start) / 1000000))
    printf '%-34s %4d.%03d s   %s\n' "$name" $((ms / 1000)) $((ms % 1000)) "$rss"
}

run "1,000,000 points /OO" /IH /OO "$work/points.shp" "$work/out1"
run "100,000 polygons /OO" /IH /OO "$work/polygons.shp" "$work/out2"
run "1,000,000 points /OO /TABLE:CSV" /IH /OO /TABLE:CSV "$work/points.shp" "$work/out3"
run "100,000 polygons /OO /TABLE:CSV" /IH /OO /TABLE:CSV "$work/polygons.shp" "$work/out4"
