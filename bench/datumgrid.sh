#!/usr/bin/env bash
# Times 1,000,000 points shifted through a national NTv2 grid (France's
# ntf_r93.gsb from PROJ's data by default) by the library, through its cell
# cache as a grid family shifts them, beside `cct +proj=hgridshift` on the same
# points, in rows and in scattered order (and `cct +proj=noop`, its reading and
# writing alone), and prints the largest difference of the two results.
#
#   bench/datumgrid.sh [build dir] [grid]
set -euo pipefail
build=${1:-build}
grid=${2:-/usr/share/proj/ntf_r93.gsb}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for order in rows scattered; do
    "$bin/shift_grid_points" make "$grid" 1000000 "$order" "$work/points.txt"
    echo "$order: library: $("$bin/shift_grid_points" shift "$grid" "$work/points.txt" "$work/ours.txt")"
    if command -v cct >/dev/null; then
        for operation in hgridshift noop; do
            start=$(date +%s%N)
            cct -d 12 +proj=$operation +grids="$grid" "$work/points.txt" >"$work/cct-$operation.txt"
            end=$(date +%s%N)
            ms=$(((end - start) / 1000000))
            printf '%s: cct +proj=%s: %d.%03d s, reading and writing the text included\n' \
                "$order" "$operation" $((ms / 1000)) $((ms % 1000))
        done
        mv "$work/cct-hgridshift.txt" "$work/cct.txt"
        paste "$work/ours.txt" "$work/cct.txt" | awk '
            { d = $1 - $3; if (d < 0) d = -d; if (d > m) m = d;
              d = $2 - $4; if (d < 0) d = -d; if (d > m) m = d }
            END { printf "%s: largest difference %.3g degree\n", "'"$order"'", m }'
    fi
done
