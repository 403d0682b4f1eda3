#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages) and builds the
# tree into build/. Safe to run again: installed packages are skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build libgtest-dev
  # The clang build: warnings, the format check and the libFuzzer programs.
  clang clang-format libclang-rt-14-dev
  # Outside tools the tests compare against.
  gdal-bin gdal-data proj-bin proj-data python3 python3-shapely python3-gdal emf2svg shapelib sqlite3 avce00 python3-ezdxf
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build_dir=${WLX_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWLX_WERROR=ON "$@"
cmake --build "$build_dir" -j "$(nproc)"
