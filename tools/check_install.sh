#!/usr/bin/env bash
# Installs a build into a scratch prefix and converts a fixture with the
# installed program through its bin/ link: the program must find its server
# and dictionaries in the one install directory, with no registry.
#
#     tools/check_install.sh <build dir> [install dir below the prefix]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
dir=${2:-lib/wlxconv}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
for f in wlxconv libGeoweave.so libPathmend.so Coordsys.CSD Datums.CSD Elipsoid.CSD; do
  [ -e "$prefix/$dir/$f" ] || { echo "not installed: $dir/$f"; exit 1; }
done
for f in "$prefix/$dir"/lib*.so; do
  case $(basename "$f") in
    libFgn*) echo "a test plug-in was installed: $f"; exit 1 ;;
  esac
done

cd "$prefix"
# The WLT header's coordinate system comes from the dictionaries.
env -u CS_KORE_DIR WLXCONV_REGISTRY=/nonexistent LC_ALL=C "$prefix/bin/wlxconv" /IB /OL /LAYER:Wells \
  "$top/loader/bna/tests/data/bna_layers.bna" out > log.txt || { cat log.txt; exit 1; }
grep -q "GEOGCS" out.wlt || { echo "out.wlt has no coordinate system"; exit 1; }
echo "installed into $prefix/$dir; the conversion ran"
