#!/usr/bin/env bash
# Times wlxconv on large generated shapefiles, printing the wall-clock time
# and the peak memory of each run.
#
#   bench/shapefile.sh [build dir] [table|native|all]
#
# table:  output type O on 1,000,000 points and 100,000 polygons (two parts
#         each), both with a DBF of three columns, without and with /TABLE:CSV.
# native: the WLX writer with its spatial and key indexes (/IH /OS /KIF) on
#         1,000,000 points (in row order and scattered) and 200,000 polygons of
#         20 to 200 vertices, beside ogr2ogr writing FlatGeobuf with its spatial
#         index from the same files.
set -euo pipefail
build=${1:-build}
which=${2:-all}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# wlxconv ends with 255 when it only warned (scattered points leave the
# latitude range early); anything else is a failure.
finished() {
    [[ $1 == 255 ]] && return 0
    cat "$work/log"
    exit 1
}

run() {
    local name=$1
    shift
    local start end rss
    start=$(date +%s%N)
    if command -v /usr/bin/time >/dev/null; then
        /usr/bin/time -f "%M" -o "$work/rss" "$@" >"$work/log" 2>&1 || finished $?
        rss="$(tail -n 1 "$work/rss") KiB peak"
    else
        "$@" >"$work/log" 2>&1 || finished $?
        rss="peak memory not measured"
    fi
    end=$(date +%s%N)
    local ms=$(((end - start) / 1000000))
    printf '%-48s %4d.%03d s   %s\n' "$name" $((ms / 1000)) $((ms % 1000)) "$rss"
}

if [[ $which == table || $which == all ]]; then
    "$bin/make_shapefile" points 1000000 "$work/points" >/dev/null
    "$bin/make_shapefile" polygons 100000 "$work/polygons" >/dev/null
    run "1,000,000 points /OO" "$bin/wlxconv" /IH /OO "$work/points.shp" "$work/out1"
    run "100,000 polygons /OO" "$bin/wlxconv" /IH /OO "$work/polygons.shp" "$work/out2"
    run "1,000,000 points /OO /TABLE:CSV" "$bin/wlxconv" /IH /OO /TABLE:CSV "$work/points.shp" "$work/out3"
    run "100,000 polygons /OO /TABLE:CSV" "$bin/wlxconv" /IH /OO /TABLE:CSV "$work/polygons.shp" "$work/out4"
    rm -f "$work"/points.* "$work"/polygons.* "$work"/out*
fi

if [[ $which == native || $which == all ]]; then
    command -v ogr2ogr >/dev/null || { echo "ogr2ogr is not installed"; exit 1; }
    "$bin/make_shapefile" points 1000000 "$work/points" >/dev/null
    "$bin/make_shapefile" scattered 1000000 "$work/scattered" >/dev/null
    "$bin/make_shapefile" varied 200000 "$work/varied" >/dev/null
    run "1,000,000 points: wlxconv /IH /OS /KIF" \
        "$bin/wlxconv" /IH /OS /KIF "$work/points.shp" "$work/points_out"
    run "1,000,000 points: ogr2ogr -f FlatGeobuf" \
        ogr2ogr -f FlatGeobuf -lco SPATIAL_INDEX=YES "$work/points_out.fgb" "$work/points.shp"
    run "1,000,000 scattered points: wlxconv" \
        "$bin/wlxconv" /IH /OS /KIF "$work/scattered.shp" "$work/scattered_out"
    run "1,000,000 scattered points: ogr2ogr" \
        ogr2ogr -f FlatGeobuf -lco SPATIAL_INDEX=YES "$work/scattered_out.fgb" "$work/scattered.shp"
    run "200,000 polygons of 20-200 vertices: wlxconv" \
        "$bin/wlxconv" /IH /OS /KIF "$work/varied.shp" "$work/varied_out"
    run "200,000 polygons of 20-200 vertices: ogr2ogr" \
        ogr2ogr -f FlatGeobuf -lco SPATIAL_INDEX=YES "$work/varied_out.fgb" "$work/varied.shp"
fi
