#!/bin/sh
# Writes the fixtures that GDAL makes (run once; the files are committed).
set -e
cd "$(dirname "$0")"
ogr2ogr -f DXF ogr_features.dxf features.geojson
ogr2ogr -f DXF ogr_points.dxf points.csv -oo X_POSSIBLE_NAMES=x -oo Y_POSSIBLE_NAMES=y
