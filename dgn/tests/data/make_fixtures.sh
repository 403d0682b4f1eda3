#!/usr/bin/env bash
# Makes the 2-D design fixtures with GDAL's DGN writer (ogr2ogr -f DGN) from
# the sources beside this script. Run it from anywhere; it rewrites the .dgn
# files in place.
set -euo pipefail
cd "$(dirname "$0")"

# Working units 10 x 100 = 1000 positional units per master unit, the global
# origin at (-5000, -5000): coordinates either side of zero.
ogr2ogr -f DGN -overwrite -dsco SUB_UNITS_PER_MASTER_UNIT=10 -dsco UOR_PER_SUB_UNIT=100 \
  -dsco ORIGIN=-5000,-5000,0 shapes.dgn shapes.csv 2>/dev/null

# Level, graphic group, colour index, weight, line style and MSLink from the
# features' properties (ogr2ogr maps them onto the DGN layer's fields by name);
# 100 x 10 units, origin (-1000, -1000).
ogr2ogr -f DGN -overwrite -dsco SUB_UNITS_PER_MASTER_UNIT=100 -dsco UOR_PER_SUB_UNIT=10 \
  -dsco ORIGIN=-1000,-1000,0 attributes.dgn attributes.geojson

# More than 101 vertices: ogr2ogr writes a complex chain and a complex shape of
# line strings; the shape is the square (0,0)-(10,10) traced by 150 vertices.
# The writer's -overwrite keeps an old design's header: start afresh.
rm -f complex.dgn
ogr2ogr -f DGN -dsco SUB_UNITS_PER_MASTER_UNIT=10 -dsco UOR_PER_SUB_UNIT=100 \
  -dsco ORIGIN=-1000,-1000,0 complex.dgn complex.csv 2>/dev/null

# A text element from a feature's OGR_STYLE label: "Hello", height 2, angle 30 at (5, 5).
rm -f text.dgn
ogr2ogr -f DGN -dsco SUB_UNITS_PER_MASTER_UNIT=10 -dsco UOR_PER_SUB_UNIT=100 \
  -dsco ORIGIN=-1000,-1000,0 text.dgn text.csv 2>/dev/null
