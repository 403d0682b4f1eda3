#!/usr/bin/env bash
# Times wlxconv on single objects of many parts: for each text reader (BNA,
# CSV, MIF, WLT) and the shapefile reader one polygon or polyline of 70,000
# parts of 5 points, and a BNA line of 2,097,153 points (one over the limit of
# points an object may hold; a line is cut to 65,535 points), each converted
# into WLX and into WLT. Prints the median wall-clock time of `runs` runs and
# the largest peak memory of each.
#
#   bench/largeobjects.sh [build dir] [runs]
set -euo pipefail
build=${1:-build}
runs=${2:-3}
bin=$(cd "$build/bin" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

python3 "$here/make_large_objects.py" "$work/in"

# One conversion `runs` times: sets ms (the median) and kib (the largest peak).
# wlxconv ends with 255 when it only warned: a WLX record holds at most 65,535
# parts, so the WLX writer refuses the objects of 70,000 with a warning.
measure() {
    local times=() rss start end status
    kib=0
    for ((i = 0; i < runs; ++i)); do
        rm -f "$work"/out*
        start=$(date +%s%N)
        status=0
        /usr/bin/time -f "%M" -o "$work/rss" env WLXCONV_REGISTRY="$work/none.reg" \
            nice "$bin/wlxconv" "$@" "$work/out" >"$work/log" 2>&1 || status=$?
        end=$(date +%s%N)
        if ((status != 0 && status != 255)); then
            cat "$work/log"
            exit 1
        fi
        times+=($(((end - start) / 1000000)))
        rss=$(tail -n 1 "$work/rss")
        ((rss > kib)) && kib=$rss
    done
    ms=$(median "${times[@]}")
}

# One case into WLX (the default output) and into WLT (/OL).
run() {
    local name=$1 wlx wlt
    shift
    measure "$@"
    wlx=$(awk -v ms="$ms" -v kib="$kib" 'BEGIN { printf "%7.3f s %6.1f MiB", ms / 1000, kib / 1024 }')
    measure /OL "$@"
    wlt=$(awk -v ms="$ms" -v kib="$kib" 'BEGIN { printf "%7.3f s %6.1f MiB", ms / 1000, kib / 1024 }')
    printf '%-36s %s   %s\n' "$name" "$wlx" "$wlt"
}

printf '%-36s %-20s   %s\n' "median of $runs runs" "into WLX" "into WLT (/OL)"
run "BNA polygon, 70,000 parts" /IB "$work/in/parts.bna"
run "BNA line, 2,097,153 points" /IB "$work/in/line.bna"
run "CSV polygon (/TP), 70,000 parts" /IC /TP "$work/in/parts.csv"
run "MIF pline, 70,000 sections" /IM "$work/in/parts.mif"
run "WLT polygon, 70,000 parts" /IL "$work/in/parts.wlt"
run "shapefile polygon, 70,000 parts" /IH "$work/in/parts.shp"
