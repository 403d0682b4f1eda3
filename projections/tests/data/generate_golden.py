#!/usr/bin/env python3
"""Fills the expected columns of the golden files from PROJ.

Each *.golden file names its PROJ operation in a "proj = ..." line (run with
`proj -f %.9f`) or a "cct = ..." line (run with `cct -d 9`). Its rows hold the
columns its "columns = ..." line names (default: longitude latitude x y):

    longitude latitude   the point, degrees (written by hand)
    status               the forward's expected status (by hand; 0 when left out)
    x y                  the projected point, from PROJ
    k h convergence      scale along the parallel and the meridian and the
                         meridian convergence in degrees, from `proj -V`
                         (proj operations only)

A "-" cell has no value; where PROJ gives none (a point outside its domain)
the row keeps the values it has. A new row needs only its longitude and
latitude (and its status). Run this from this directory after adding rows or
changing an operation:

    python3 generate_golden.py *.golden
"""
import re
import subprocess
import sys

SCALE_COLUMNS = ["k", "h", "convergence"]


def run(args, points):
    text = "".join(f"{lon} {lat} 0 0\n" for lon, lat in points)
    return subprocess.run(args, input=text, capture_output=True, text=True, check=True).stdout


def positions(operation, tool, points):
    if tool == "proj":
        args = ["proj", "-f", "%.9f"] + operation.split()
    else:
        args = ["cct", "-d", "9"] + operation.split()
    rows = [line.split() for line in run(args, points).splitlines() if line.strip()]
    # proj marks a point it cannot project with "*", cct with a "# Record" line.
    return [(row[0], row[1]) if row[0] not in ("*", "#") else None for row in rows]


def scales(operation, points):
    """k, h and convergence per point; None where proj -V prints no block."""
    out = run(["proj", "-V", "-f", "%.9f"] + operation.split(), points)
    blocks = []
    for block in out.split("Longitude:")[1:]:
        values = {
            "lon": re.search(r"^[^\[]*\[\s*(\S+)\s*\]", block).group(1),
            "lat": re.search(r"Latitude:[^\[]*\[\s*(\S+)\s*\]", block).group(1),
            "h": re.search(r"Meridian scale \(h\)\s*:\s*(\S+)", block).group(1),
            "k": re.search(r"Parallel scale \(k\)\s*:\s*(\S+)", block).group(1),
            "convergence": re.search(r"Convergence\s*:[^\[]*\[\s*(\S+)\s*\]", block).group(1),
        }
        blocks.append(values)
    result = []
    for lon, lat in points:
        block = blocks[0] if blocks else None
        if (block and abs(float(block["lon"]) - float(lon)) < 1e-6
                and abs(float(block["lat"]) - float(lat)) < 1e-6):
            result.append([block[name] for name in SCALE_COLUMNS])
            blocks.pop(0)
        else:
            result.append(None)
    return result


def regenerate(path):
    lines = open(path).read().splitlines()
    operation = tool = None
    columns = ["longitude", "latitude", "x", "y"]
    columns_line = None
    data = []
    for i, line in enumerate(lines):
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        if "=" in stripped:
            name, value = (s.strip() for s in stripped.split("=", 1))
            if name in ("proj", "cct"):
                tool, operation = name, value
            elif name == "columns":
                columns, columns_line = value.split(), i
            continue
        cells = stripped.split()
        data.append((i, dict(zip(columns, cells))))

    out_columns = ["longitude", "latitude"]
    if "status" in columns:
        out_columns.append("status")
    out_columns += ["x", "y"] + (SCALE_COLUMNS if tool == "proj" else [])

    points = [(row["longitude"], row["latitude"]) for _, row in data]
    for (i, row), xy in zip(data, positions(operation, tool, points)):
        if xy is not None:
            row["x"], row["y"] = xy
    if tool == "proj":
        for (i, row), values in zip(data, scales(operation, points)):
            if values is not None:
                row.update(zip(SCALE_COLUMNS, values))
    for i, row in data:
        if "status" in out_columns and row.get("status", "-") == "-":
            row["status"] = "0"
        cells = [row.get(name, "-") for name in out_columns]
        while cells[-1] == "-" and len(cells) > 2:
            cells.pop()
        lines[i] = " ".join(cells)

    header = "columns = " + " ".join(out_columns)
    if columns_line is not None:
        lines[columns_line] = header
    else:
        lines.insert(data[0][0], header)
    open(path, "w").write("\n".join(lines) + "\n")


if __name__ == "__main__":
    for name in sys.argv[1:]:
        regenerate(name)
