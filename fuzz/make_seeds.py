#!/usr/bin/python3
"""Seeds the fuzz corpora (fuzz/corpus/<target>/) from the test fixtures:
copies the fixtures a target reads as they are, and derives the others with
the built wlxconv and the outside tools the tests use (ogr2ogr, avcimport,
python3-gdal).

    fuzz/make_seeds.py [build dir]      (default: build)

Writes the files named seed-*; inputs the fuzzers saved (crash-*, and any
other name) are left alone. Seeds are kept small: the fuzzers mutate them.
"""

import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
CORPUS = os.path.join(TOP, "fuzz", "corpus")
MAX_SEED = 32 * 1024


def fixture(path):
    return os.path.join(TOP, path)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Corpus:
    def __init__(self, target):
        self.dir = os.path.join(CORPUS, target)
        os.makedirs(self.dir, exist_ok=True)
        for old in glob.glob(os.path.join(self.dir, "seed-*")):
            os.remove(old)

    def add(self, name, data):
        if isinstance(data, str):
            data = data.encode()
        if len(data) > MAX_SEED:
            print(f"  {name}: {len(data)} bytes, left out", file=sys.stderr)
            return
        with open(os.path.join(self.dir, "seed-" + name), "wb") as f:
            f.write(data)


def run(*args, **kwargs):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)


def crlf(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def text_seeds():
    bna = read(fixture("loader/bna/tests/data/bna_layers.bna"))
    c = Corpus("bna")
    c.add("layers.bna", bna)
    c.add("layers-crlf.bna", crlf(bna))

    csv = read(fixture("loader/csv/tests/data/csv_track.csv"))
    c = Corpus("csv")
    c.add("track.csv", csv)
    c.add("track-crlf.csv", crlf(csv))

    mif = read(fixture("loader/mif/tests/data/mif_objects.mif"))
    mid = read(fixture("loader/mif/tests/data/mif_objects.mid"))
    c = Corpus("mif")
    c.add("objects", mif + b"\0" + mid)
    c.add("objects-no-mid", mif)


def shapefile_records(shp):
    """The content of every record of a .shp main file."""
    data = read(shp)
    at, records = 100, []
    while at + 8 <= len(data):
        length = 2 * struct.unpack(">i", data[at + 4:at + 8])[0]
        records.append(data[at + 8:at + 8 + length])
        at += 8 + length
    return records


def shapefile_seeds(work):
    records, tables = Corpus("shape_record"), Corpus("dbf")
    for geojson in sorted(glob.glob(fixture("loader/shapefile/tests/data/*.geojson"))):
        base = os.path.splitext(os.path.basename(geojson))[0]
        for dim in ("XY", "XYZ", "XYM"):
            out = os.path.join(work, f"{base}-{dim}.shp")
            run("ogr2ogr", "-f", "ESRI Shapefile", "-dim", dim, out, geojson)
            # The first two records of each: every shape type, small.
            for i, content in enumerate(shapefile_records(out)[:2]):
                records.add(f"{base}-{dim}-{i}", content)
            if dim == "XY":
                tables.add(base + ".dbf", read(out[:-4] + ".dbf"))
    latin = os.path.join(work, "latin1.shp")
    run("ogr2ogr", "-f", "ESRI Shapefile", "-lco", "ENCODING=ISO-8859-1", latin,
        fixture("loader/shapefile/tests/data/shape_points.geojson"))
    tables.add("latin1.dbf", read(latin[:-4] + ".dbf"))


def wkb_seeds():
    from osgeo import ogr
    c = Corpus("wkb")
    for geojson in sorted(glob.glob(fixture("loader/shapefile/tests/data/*.geojson")) +
                          glob.glob(fixture("loader/mif/tests/data/*.geojson"))):
        base = os.path.splitext(os.path.basename(geojson))[0]
        source = ogr.Open(geojson)
        for i, feature in enumerate(source.GetLayer(0)):
            if i >= 3:
                break
            geometry = feature.GetGeometryRef()
            c.add(f"{base}-{i}-le", bytes(geometry.ExportToIsoWkb(ogr.wkbNDR)))
            c.add(f"{base}-{i}-be", bytes(geometry.ExportToIsoWkb(ogr.wkbXDR)))
    collection = ogr.CreateGeometryFromWkt(
        "GEOMETRYCOLLECTION (POINT (1 2), LINESTRING (0 0, 1 1), POLYGON ((0 0, 1 0, 1 1, 0 0)))")
    c.add("collection", bytes(collection.ExportToIsoWkb(ogr.wkbNDR)))


def wkt_seeds(wlts):
    from osgeo import osr
    c = Corpus("wkt")
    for code in (4326, 4267, 26910, 32633, 32733, 27700, 31467, 25832, 2056):
        srs = osr.SpatialReference()
        srs.ImportFromEPSG(code)
        c.add(f"epsg{code}", srs.ExportToWkt())
    # The texts wlxconv itself writes, from its WLT headers.
    for name, path in wlts:
        for line in read(path).decode("utf-8", "replace").splitlines():
            for start in ("GEOGCS[", "PROJCS[", "LOCAL_CS["):
                at = line.find(start)
                if at >= 0:
                    c.add(name, line[at:])
                    break


def native_seeds(bindir, work):
    """WLX, WLT and index files written by wlxconv from the text fixtures."""
    wlxconv = os.path.join(bindir, "wlxconv")
    env = dict(os.environ, WLXCONV_REGISTRY="/nonexistent", LC_ALL="C")
    inputs = [
        ("bna", "/IB", fixture("loader/bna/tests/data/bna_layers.bna"), []),
        ("csv", "/IC", fixture("loader/csv/tests/data/csv_track.csv"), ["/TL"]),
        ("mif", "/IM", fixture("loader/mif/tests/data/mif_objects.mif"), []),
        ("utm", "/IB", fixture("loader/bna/tests/data/bna_layers.bna"),
         ["/COORDSYS:IN:LL84:OUT:UTM83-10"]),
    ]
    wlx, wlt, sif, kif = Corpus("wlx"), Corpus("wlt"), Corpus("sif"), Corpus("kif")
    wlts = []
    for name, letter, source, extra in inputs:
        out = os.path.join(work, name)
        subprocess.run([wlxconv, letter, "/OS", "/KIF:32", "/WO", *extra, source, out],
                       env=env, stdout=subprocess.DEVNULL)
        subprocess.run([wlxconv, letter, "/OL", "/WO", *extra, source, out],
                       env=env, stdout=subprocess.DEVNULL)
        for corpus, suffix in ((wlx, ".wlx"), (wlt, ".wlt"), (sif, ".sif"), (kif, ".kif")):
            if os.path.exists(out + suffix):
                corpus.add(name + suffix, read(out + suffix))
        if os.path.exists(out + ".wlt"):
            wlts.append((name, out + ".wlt"))
    return wlts


def unscramble(record, seed_at):
    record = bytearray(record)
    k = record[seed_at]
    if k:
        for i in range(len(record)):
            record[i] ^= k
            k = record[i]
        record[seed_at] = 0
    return bytes(record)


def dictionary_records(path, size, seed_at):
    data = read(path)[4:]
    records = {}
    for at in range(0, len(data) - size + 1, size):
        stored = data[at:at + size]
        key = unscramble(stored, seed_at)[:24].split(b"\0")[0].decode("ascii", "replace")
        records[key.upper()] = stored
    return records


def dictionary_seeds(bindir):
    c = Corpus("dictionary")
    systems = dictionary_records(os.path.join(bindir, "Coordsys.CSD"), 728, 208)
    datums = dictionary_records(os.path.join(bindir, "Datums.CSD"), 352, 144)
    ellipsoids = dictionary_records(os.path.join(bindir, "Elipsoid.CSD"), 208, 30)
    for key in ("LL84", "LL27", "UTM83-10", "BRITISHNATGRID", "DHDN-GK3", "ZA94-LO29",
                "ETRS89-TM32", "UTM84-33S"):
        system = systems.get(key)
        if system is None:
            continue
        plain = unscramble(system, 208)
        datum_key = plain[24:48].split(b"\0")[0].decode().upper()
        ellipsoid_key = plain[48:72].split(b"\0")[0].decode().upper()
        datum = datums.get(datum_key, bytes(352))
        if datum_key:
            ellipsoid_key = unscramble(datum, 144)[24:48].split(b"\0")[0].decode().upper()
        ellipsoid = ellipsoids.get(ellipsoid_key, bytes(208))
        c.add(key.lower(), system + datum + ellipsoid)


def registry_seeds():
    c = Corpus("registry")
    dictionaries = ("Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys]\r\n"
                    "\"CurVer\"=\"11e\"\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys\\11e]\r\n"
                    "\"Path\"=\"/usr/local/share/wlxconv/dict/\"\r\n")
    c.add("dictionaries.reg", dictionaries)
    c.add("utf16.reg", b"\xff\xfe" + dictionaries.encode("utf-16-le"))
    c.add("values.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Test]\n"
                        "@=\"default\"\n\"Number\"=dword:0000002a\n"
                        "\"Bytes\"=hex:01,02,03,\\\n  04,05\n"
                        "\"Multi\"=hex(7):61,00,62,00,00,00\n"
                        "\"Escaped\"=\"a \\\"quoted\\\" \\\\ text\"\n"
                        "\"Gone\"=-\n\n[-HKEY_CURRENT_USER\\Software\\Test\\Sub]\n")


def switch_file_seeds():
    c = Corpus("switch_file")
    c.add("bna", "/IB\n/OL\n/LAYER:Roads,Rivers\n/MAXPOINTS:1000\n/GENERALIZE:50\n")
    c.add("table", "/IH\r\n/OO\r\n/TABLE:CSV:XY:DBFTable\r\n/KEY:1\r\n/NAME:[2]-[3]\r\n")
    c.add("index", "  /IM /OS\n/KIF:64\n/COORDSYS:UTM83-10\n/COORDPREC:64\n/INS:1\n/WA\n")
    c.add("mixed", "-IC\n/TP\n/COORDSYS:IN:LL84:OUT:UTM83-10\n/NOCSMETADATA\n/NULLNAME\n"
                   "; a comment\n/BLOCKS:EMF:EXPLODE:B1\n/TYPE:M\n/F:A\n/NOTEST\n/NOEXT\n")


def dxf_seeds():
    c = Corpus("dxf")
    for path in sorted(glob.glob(fixture("readers/drawing/tests/data/*.dxf"))):
        c.add(os.path.basename(path), read(path))


def pack(workspace):
    """The coverage fuzzer's input: every file of a workspace as an entry."""
    out = bytearray()
    for root, _, files in sorted(os.walk(workspace)):
        for name in sorted(files):
            path = os.path.join(root, name)
            relative = os.path.relpath(path, workspace).replace(os.sep, "/").lower()
            data = read(path)
            out += struct.pack("<H", len(relative)) + relative.encode()
            out += struct.pack("<I", len(data)) + data
    return bytes(out)


def coverage_seeds(work):
    """The same workspaces for the library's and the plug-in reader's target."""
    targets = [Corpus("coverage"), Corpus("coverage_reader")]
    for e00 in sorted(glob.glob(fixture("coverage/lib/tests/data/*.e00"))):
        name = os.path.splitext(os.path.basename(e00))[0]
        workspace = os.path.join(work, "ws-" + name)
        os.makedirs(workspace)
        run("avcimport", e00, os.path.join(workspace, name))
        for c in targets:
            c.add(name, pack(workspace))


def grid_seeds():
    c = Corpus("grid_catalog")
    c.add("entries.gdc", "# NADCON grids\n# second line\n\nFallback = NAD27-CONUS\n"
          "./conus.l?s, 0x4000, 010, 15 # the lower 48\n"
          "../grids/alaska.L?S,0,0\n\"/data/odd \"\"name\"\".gsb\", 2048\n"
          "# trailing block\n")
    c.add("fallback-only.gdc", "fallback,WGS72-BW\r\n")
    c.add("backslashes.gdc", "#\n.\\sub\\ntv1.dac,-1,4294967295,0.5\n")

    text = "GR3D  002024 024 20370201\n GR3D1 -2.0 0.0 42.0 43.0 1.0 1.0\nGR3D2 x\nGR3D3\n"
    for lon in (-2, -1, 0):
        for lat in (42, 43):
            text += f"00002 {lon}.0 {lat}.0   -165.000 -62.000  318.000 99  -0158\n"
    c = Corpus("french_grid")
    c.add("gr3df97a.txt", text)
    c.add("gr3df97a-crlf.txt", crlf(text.encode()))

    c = Corpus("japan_grid")
    c.add("tky2jgd.par", "MeshCode dB(sec) dL(sec)\n53394610 11.00000 -12.00000\n"
          "53394611 11.03750 -11.50000\n53394620 11.16667 -12.04167\n"
          "53394621 11.20417 -11.54167\n")

    c = Corpus("ostn_grid")
    c.add("ostn97.txt", b"\0" + b"".join(b"%.3f %.3f\n" % (86.0 + i * 0.01, -82.0 - i * 0.02)
                                          for i in range(8)))
    rows = "".join(f"{i + 1},{i * 1000},0,{91.2 + i * 0.01:.3f},{-81.6:.3f},{53.1:.3f},1\n"
                   for i in range(8))
    c.add("ostn02.txt", b"\1" + rows.encode())


def main():
    bindir = os.path.join(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                                          os.path.join(TOP, "build")), "bin")
    with tempfile.TemporaryDirectory() as work:
        text_seeds()
        shapefile_seeds(work)
        wkb_seeds()
        wlts = native_seeds(bindir, work)
        wkt_seeds(wlts)
        dictionary_seeds(bindir)
        registry_seeds()
        switch_file_seeds()
        dxf_seeds()
        coverage_seeds(work)
        grid_seeds()
    for target in sorted(os.listdir(CORPUS)):
        files = os.listdir(os.path.join(CORPUS, target))
        size = sum(os.path.getsize(os.path.join(CORPUS, target, f)) for f in files)
        print(f"{target}: {len(files)} inputs, {size} bytes")


if __name__ == "__main__":
    main()
