#!/usr/bin/env python3
"""Fills the expected columns of the golden files from PROJ.

Each *.golden file names its PROJ operation in a "proj = ..." line (run with
`proj -f %.9f`) or a "cct = ..." line (run with `cct -d 9`); every data line
starts with a longitude and a latitude in degrees, and this script rewrites it
as "longitude latitude x y" with x and y from PROJ. Run it from this directory
after changing a file's points or operation:

    python3 generate_golden.py *.golden
"""
import subprocess
import sys


def expected(operation, tool, points):
    text = "".join(f"{lon} {lat} 0 0\n" for lon, lat in points)
    if tool == "proj":
        args = ["proj", "-f", "%.9f"] + operation.split()
    else:
        args = ["cct", "-d", "9"] + operation.split()
    out = subprocess.run(args, input=text, capture_output=True, text=True, check=True).stdout
    rows = [line.split() for line in out.splitlines() if line.strip()]
    return [(row[0], row[1]) for row in rows]


def regenerate(path):
    lines = open(path).read().splitlines()
    operation = tool = None
    data = []
    for i, line in enumerate(lines):
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        if "=" in stripped:
            name, value = (s.strip() for s in stripped.split("=", 1))
            if name in ("proj", "cct"):
                tool, operation = name, value
            continue
        fields = stripped.split()
        data.append((i, fields[0], fields[1]))
    results = expected(operation, tool, [(lon, lat) for _, lon, lat in data])
    for (i, lon, lat), (x, y) in zip(data, results):
        lines[i] = f"{lon} {lat} {x} {y}"
    open(path, "w").write("\n".join(lines) + "\n")


if __name__ == "__main__":
    for name in sys.argv[1:]:
        regenerate(name)
