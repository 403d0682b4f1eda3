#!/usr/bin/env python3
"""Fills the expected columns of the datum-shift golden files from PROJ and GDAL.

Each *.golden file names its oracle in one line:
  cct = <operation>        run as `cct -d 12 <operation>` (and `cct -I` when the
                           file says "inverse = cct"); rows become
                           "lon lat lon' lat'" (and "lon' lat'" of the inverse),
                           "outside" in place of a pair where PROJ finds no grid;
  gdal = <los> <las>       run as `gdallocationinfo -valonly -geoloc` on both
                           files; rows become "lon lat los las".
Paths in the operation are taken from this directory, grids without a
directory from PROJ's data directory. Every data line starts with a longitude
and a latitude in degrees. Run it from this directory after changing a file's
points or oracle:

    python3 generate_golden.py *.golden
"""
import subprocess
import sys


def run(args, text):
    return subprocess.run(args, input=text, capture_output=True, text=True, check=True).stdout


def cct(operation, points, inverse):
    text = "".join(f"{lon} {lat} 0 0\n" for lon, lat in points)
    args = ["cct", "-d", "12"] + (["-I"] if inverse else []) + operation.split()
    rows = []
    for line in run(args, text).splitlines():
        if line.startswith("#"):
            rows.append(None)  # "# Record n TRANSFORMATION ERROR"
        elif line.strip() and not line.startswith(" ("):
            rows.append(tuple(line.split()[:2]))
    return rows


def gdal(files, points):
    rows = []
    for lon, lat in points:
        values = []
        for name in files:
            out = run(["gdallocationinfo", "-valonly", "-geoloc", name, lon, lat], "")
            values.append(f"{float(out.strip()):.9f}")
        rows.append(tuple(values))
    return rows


def regenerate(path):
    lines = open(path).read().splitlines()
    fields = {}
    data = []
    for i, line in enumerate(lines):
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        if "=" in stripped:
            name, value = (s.strip() for s in stripped.split("=", 1))
            fields[name] = value
            continue
        lon, lat = stripped.split()[:2]
        data.append((i, lon, lat))
    points = [(lon, lat) for _, lon, lat in data]
    if "gdal" in fields:
        results = [gdal(fields["gdal"].split(), points)]
    else:
        results = [cct(fields["cct"], points, False)]
        if fields.get("inverse") == "cct":
            results.append(cct(fields["cct"], points, True))
    for n, (i, lon, lat) in enumerate(data):
        columns = [lon, lat]
        for result in results:
            columns += ["outside"] if result[n] is None else list(result[n])
        lines[i] = " ".join(columns)
    open(path, "w").write("\n".join(lines) + "\n")


if __name__ == "__main__":
    for name in sys.argv[1:]:
        regenerate(name)
