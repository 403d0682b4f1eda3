#!/usr/bin/env bash
# Runs every libFuzzer program of a WLX_FUZZ build for a short while, several
# at once, each starting from its saved inputs in fuzz/corpus/<target>/.
# What a run finds stays in the build: new inputs in <build>/fuzz/<target>/,
# crashes in <build>/fuzz/crashes/; a crash fails the run.
#
#     tools/run_fuzzers.sh <build dir> [seconds per target] [target...]
#
# WLX_FUZZ_JOBS sets how many run at once (default: one per core).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-10}
shift $(($# < 2 ? $# : 2))
targets=("$@")
if ((${#targets[@]} == 0)); then
  for program in "$build"/bin/fuzz_*; do
    name=$(basename "$program")
    [[ $name == *_replay ]] || targets+=("${name#fuzz_}")
  done
fi
((${#targets[@]})) || { echo "no libFuzzer programs in $build/bin (configure with -DWLX_FUZZ=ON)"; exit 1; }

mkdir -p "$build/fuzz/crashes"
run_one() {
  local name=$1 log="$build/fuzz/$1.log"
  mkdir -p "$build/fuzz/$name"
  if WLXCONV_REGISTRY=/nonexistent LC_ALL=C "$build/bin/fuzz_$name" -max_total_time="$seconds" \
      -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/fuzz/crashes/$name-" \
      "$build/fuzz/$name" "$top/fuzz/corpus/$name" > "$log" 2>&1; then
    echo "$name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs," \
         "$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)"
  else
    echo "$name: FAILED"
    tail -n 60 "$log"
    return 1
  fi
}
export -f run_one
export build seconds top

if printf '%s\n' "${targets[@]}" | xargs -P "${WLX_FUZZ_JOBS:-$(nproc)}" -I{} bash -c 'run_one {}'; then
  echo "${#targets[@]} fuzz targets ran ${seconds} s each, no crash"
else
  echo "A fuzz target failed: minimise its input with"
  echo "  $build/bin/fuzz_<target> -minimize_crash=1 -runs=10000 <crash file>"
  echo "then save it in fuzz/corpus/<target>/ and mend the fault (see the README)."
  exit 1
fi
