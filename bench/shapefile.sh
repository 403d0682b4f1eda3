#!/usr/bin/env bash
# Times wlxconv on large generated shapefiles, printing the wall-clock time
# and the peak memory of each run.
#
#   bench/shapefile.sh [build dir] [table|native|large|all] [runs]
#
# table:  output type O on 1,000,000 points and 100,000 polygons (two parts
#         each), both with a DBF of three columns, without and with /TABLE:CSV.
# native: the WLX writer with its spatial and key indexes (/IH /OS /KIF) on
#         1,000,000 points (in row order and scattered) and 200,000 polygons of
#         20 to 200 vertices, each beside ogr2ogr writing FlatGeobuf with its
#         spatial index from the same file, with the ratio of the two times.
# large:  /IH /OS /KIF on 10,000,000 scattered points beside 1,000,000, with
#         the ratio of the two times.
# Each native and large case runs `runs` times (default 3), alternating with
# its peer; the median time and the largest peak memory are shown.
set -euo pipefail
build=${1:-build}
which=${2:-all}
runs=${3:-3}
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

# Runs a command once: sets ms and kib.
measure() {
    local start end
    rm -rf "$work"/out*
    start=$(date +%s%N)
    if command -v /usr/bin/time >/dev/null; then
        /usr/bin/time -f "%M" -o "$work/rss" "$@" >"$work/log" 2>&1 || finished $?
        kib=$(tail -n 1 "$work/rss")
    else
        "$@" >"$work/log" 2>&1 || finished $?
        kib=0
    fi
    end=$(date +%s%N)
    ms=$(((end - start) / 1000000))
}

seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }
memory() { (($1)) && awk "BEGIN { printf \"%5.1f MiB\", $1 / 1024 }" || printf 'not measured'; }

run() {
    local name=$1
    shift
    measure "$@"
    printf '%-44s %8s s   %s\n' "$name" "$(seconds $ms)" "$(memory $kib)"
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

# Two commands, separated by "--", `runs` times each in turn: sets the
# medians a_ms, b_ms and the peaks a_kib, b_kib.
pair() {
    local a=() b=() times_a=() times_b=()
    a_kib=0 b_kib=0
    while [[ $1 != -- ]]; do a+=("$1"); shift; done
    shift
    b=("$@")
    for ((i = 0; i < runs; ++i)); do
        measure "${a[@]}"; times_a+=("$ms"); ((kib > a_kib)) && a_kib=$kib
        measure "${b[@]}"; times_b+=("$ms"); ((kib > b_kib)) && b_kib=$kib
    done
    a_ms=$(median "${times_a[@]}")
    b_ms=$(median "${times_b[@]}")
}

ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

# One native case: wlxconv beside ogr2ogr on the same shapefile.
versus() {
    local name=$1 shp=$2
    pair nice "$bin/wlxconv" /IH /OS /KIF "$shp" "$work/out" -- \
        nice ogr2ogr -f FlatGeobuf -lco SPATIAL_INDEX=YES "$work/out.fgb" "$shp"
    printf '%-36s %8s s %s   %8s s %s   %5sx\n' "$name" "$(seconds $a_ms)" "$(memory $a_kib)" \
        "$(seconds $b_ms)" "$(memory $b_kib)" "$(ratio $b_ms $a_ms)"
}

if [[ $which == table || $which == all ]]; then
    "$bin/make_shapefile" points 1000000 "$work/points" >/dev/null
    "$bin/make_shapefile" polygons 100000 "$work/polygons" >/dev/null
    run "1,000,000 points /OO" "$bin/wlxconv" /IH /OO "$work/points.shp" "$work/out1"
    run "100,000 polygons /OO" "$bin/wlxconv" /IH /OO "$work/polygons.shp" "$work/out2"
    run "1,000,000 points /OO /TABLE:CSV" "$bin/wlxconv" /IH /OO /TABLE:CSV "$work/points.shp" "$work/out3"
    run "100,000 polygons /OO /TABLE:CSV" "$bin/wlxconv" /IH /OO /TABLE:CSV "$work/polygons.shp" "$work/out4"
    rm -f "$work"/points.* "$work"/polygons.*
fi

if [[ $which == native || $which == all ]]; then
    command -v ogr2ogr >/dev/null || { echo "ogr2ogr is not installed"; exit 1; }
    "$bin/make_shapefile" points 1000000 "$work/points" >/dev/null
    "$bin/make_shapefile" scattered 1000000 "$work/scattered" >/dev/null
    "$bin/make_shapefile" varied 200000 "$work/varied" >/dev/null
    printf '%-36s %-25s %-25s %s\n' "median of $runs runs" "wlxconv /IH /OS /KIF" \
        "ogr2ogr -f FlatGeobuf" "ogr2ogr/wlxconv"
    versus "1,000,000 points" "$work/points.shp"
    ordered=$a_ms
    versus "1,000,000 points, scattered" "$work/scattered.shp"
    echo "  scattered/in order: $(ratio $a_ms $ordered)x"
    versus "200,000 polygons of 20-200 vertices" "$work/varied.shp"
    rm -f "$work"/points.* "$work"/scattered.* "$work"/varied.*
fi

if [[ $which == large || $which == all ]]; then
    "$bin/make_shapefile" scattered 1000000 "$work/scattered" >/dev/null
    "$bin/make_shapefile" scattered 10000000 "$work/large" >/dev/null
    pair nice "$bin/wlxconv" /IH /OS /KIF "$work/large.shp" "$work/out" -- \
        nice "$bin/wlxconv" /IH /OS /KIF "$work/scattered.shp" "$work/out"
    printf '%-36s %8s s %s\n' "10,000,000 points, scattered" "$(seconds $a_ms)" "$(memory $a_kib)"
    printf '%-36s %8s s %s\n' "1,000,000 points, scattered" "$(seconds $b_ms)" "$(memory $b_kib)"
    echo "  10,000,000/1,000,000: $(ratio $a_ms $b_ms)x"
fi
