"""Reads and writes well-known binary with outside implementations (shapely
over GEOS, and GDAL's OGR), for the geometry server's tests.

  wkb_oracle.py read FILE   FILE holds one hex encoding a line; prints, a line
                            each, the canonical text from shapely and from OGR
                            separated by a tab.
  wkb_oracle.py write FILE  FILE holds one WKT a line; prints, a line each, the
                            canonical text and the shapely encodings in
                            little-endian, big-endian and mixed byte order
                            (members alternating), separated by tabs.

The canonical text is the one the tests build from the server's objects.
Exit code 3 when an implementation is missing.
"""
import struct
import sys

try:
    from osgeo import ogr
    from shapely import wkb, wkt
except ImportError as error:
    print(error, file=sys.stderr)
    sys.exit(3)

ogr.UseExceptions()


def coordinate(x, y):
    return "%.17g %.17g" % (x, y)


def coordinates(points):
    return ",".join(coordinate(p[0], p[1]) for p in points)


def canon_shapely(g):
    kind = g.geom_type
    if kind == "Point":
        return "Point(%s)" % coordinate(g.x, g.y)
    if kind == "LineString":
        return "LineString(%s)" % coordinates(g.coords)
    if kind == "Polygon":
        if g.is_empty:
            return "Polygon()"
        rings = [g.exterior] + list(g.interiors)
        return "Polygon(%s)" % ",".join("(%s)" % coordinates(r.coords) for r in rings)
    return "%s[%s]" % (kind, ";".join(canon_shapely(m) for m in g.geoms))


OGR_NAMES = {
    "POINT": "Point", "LINESTRING": "LineString", "POLYGON": "Polygon", "MULTIPOINT": "MultiPoint",
    "MULTILINESTRING": "MultiLineString", "MULTIPOLYGON": "MultiPolygon",
    "GEOMETRYCOLLECTION": "GeometryCollection",
}


def ogr_points(g):
    return ",".join(coordinate(*g.GetPoint_2D(i)) for i in range(g.GetPointCount()))


def canon_ogr(g):
    kind = OGR_NAMES[g.GetGeometryName()]
    if kind == "Point":
        return "Point(%s)" % coordinate(g.GetX(), g.GetY())
    if kind == "LineString":
        return "LineString(%s)" % ogr_points(g)
    if kind == "Polygon":
        rings = [g.GetGeometryRef(i) for i in range(g.GetGeometryCount())]
        return "Polygon(%s)" % ",".join("(%s)" % ogr_points(r) for r in rings)
    members = [g.GetGeometryRef(i) for i in range(g.GetGeometryCount())]
    return "%s[%s]" % (kind, ";".join(canon_ogr(m) for m in members))


def mixed(g):
    """Little-endian outside, members alternating big- and little-endian."""
    if not hasattr(g, "geoms"):
        return wkb.dumps(g)
    code = {"MultiPoint": 4, "MultiLineString": 5, "MultiPolygon": 6, "GeometryCollection": 7}[g.geom_type]
    members = list(g.geoms)
    body = b"".join(wkb.dumps(m, big_endian=(i % 2 == 0)) if not hasattr(m, "geoms") else mixed(m)
                    for i, m in enumerate(members))
    return struct.pack("<BII", 1, code, len(members)) + body


def main():
    mode, path = sys.argv[1], sys.argv[2]
    with open(path) as lines:
        for line in lines:
            line = line.strip()
            if not line:
                continue
            if mode == "read":
                data = bytes.fromhex(line)
                print("%s\t%s" % (canon_shapely(wkb.loads(data)), canon_ogr(ogr.CreateGeometryFromWkb(data))))
            else:
                g = wkt.loads(line)
                print("\t".join([canon_shapely(g), wkb.dumps(g, hex=True), wkb.dumps(g, hex=True, big_endian=True),
                                 mixed(g).hex()]))


if __name__ == "__main__":
    main()
