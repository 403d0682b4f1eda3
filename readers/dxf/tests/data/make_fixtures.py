#!/usr/bin/python3
"""Writes the drawing reader's fixture drawings with ezdxf (python3-ezdxf):

entities.dxf  every entity kind the reader converts, nested and extruded
              references, bulges and wide polylines, a hatch and a dimension
blocks.dxf    blocks for symbols and colours, by-layer and by-block entities,
              texts with formatting codes, extended data of the attribute tables
faults.dxf    a reference to no block, an empty block inside a scaled one, a
              text with a Unicode escape, closed and open polylines
"""
import math
import os
import struct
import sys

import ezdxf

here = os.path.dirname(os.path.abspath(__file__))


def entities():
    doc = ezdxf.new("R2000")
    doc.layers.add("LINES", color=1)
    doc.layers.add("CURVES", color=3)
    doc.layers.add("AREAS", color=5)
    msp = doc.modelspace()
    msp.add_point((1, 2), dxfattribs={"layer": "LINES"})
    msp.add_line((0, 0), (10, 5), dxfattribs={"layer": "LINES"})
    msp.add_circle((20, 20), 5, dxfattribs={"layer": "CURVES"})
    msp.add_circle((40, 20), 2, dxfattribs={"layer": "CURVES", "extrusion": (0, 0, -1)})
    msp.add_arc((30, 0), 4, 0, 90, dxfattribs={"layer": "CURVES"})
    msp.add_arc((30, 10), 4, 350, 10, dxfattribs={"layer": "CURVES"})
    msp.add_arc((50, 0), 3, 30, 120, dxfattribs={"layer": "CURVES", "extrusion": (0, 0, -1)})
    msp.add_ellipse((60, 0), (6, 0), 0.5, 0, math.pi / 2, dxfattribs={"layer": "CURVES"})
    msp.add_ellipse((60, 20), (0, 4), 0.25, 0, 2 * math.pi, dxfattribs={"layer": "CURVES"})
    msp.add_open_spline([(0, 30), (5, 40), (10, 30), (15, 40)], degree=3,
                        dxfattribs={"layer": "CURVES"})
    msp.add_lwpolyline([(0, 50, 0, 0, 0.5), (10, 50, 0, 0, 0), (10, 60, 0, 0, -1), (0, 60)],
                       format="xyseb", close=True, dxfattribs={"layer": "LINES"})
    msp.add_lwpolyline([(20, 50), (30, 50), (30, 55)], dxfattribs={"layer": "LINES",
                                                               "const_width": 2})
    p2d = msp.add_polyline2d([(40, 50), (50, 50), (50, 60)], dxfattribs={"layer": "LINES"})
    p2d.vertices[0].dxf.bulge = 0.3
    msp.add_polyline3d([(60, 50, 1), (70, 50, 2), (70, 60, 3)], close=True,
                       dxfattribs={"layer": "LINES"})
    msp.add_solid([(0, 70), (10, 70), (0, 80), (10, 80)], dxfattribs={"layer": "AREAS"})
    msp.add_trace([(20, 70), (30, 70), (20, 75), (30, 75)], dxfattribs={"layer": "AREAS"})
    msp.add_text("Plain", dxfattribs={"layer": "LINES", "insert": (0, 90), "height": 2})
    msp.add_mtext("{\\fArial|b1;Two}\\Plines", dxfattribs={"layer": "LINES",
                                                           "insert": (10, 90),
                                                           "char_height": 2})
    mp = msp.add_mpolygon(dxfattribs={"layer": "AREAS"})
    mp.paths.add_polyline_path([(40, 70), (50, 70), (50, 80), (40, 80)], is_closed=True)

    inner = doc.blocks.new("INNER", base_point=(1, 1))
    inner.add_line((1, 1), (3, 1))
    inner.add_circle((2, 2), 1)
    outer = doc.blocks.new("OUTER")
    outer.add_blockref("INNER", (5, 0), dxfattribs={"rotation": 90})
    outer.add_lwpolyline([(0, 0), (4, 0), (4, 4)])
    msp.add_blockref("OUTER", (100, 100), dxfattribs={"xscale": 2, "yscale": 3,
                                                      "rotation": 30})
    msp.add_blockref("INNER", (120, 100), dxfattribs={"extrusion": (0, 0, -1)})

    hatch = msp.add_hatch(color=2)
    hatch.paths.add_polyline_path([(0, 100), (5, 100), (5, 105)], is_closed=True)
    msp.add_linear_dim(base=(0, 115), p1=(0, 110), p2=(10, 110)).render()
    doc.saveas(os.path.join(here, "entities.dxf"))


def blocks():
    doc = ezdxf.new("R2000")
    doc.layers.add("RED", color=1)
    doc.layers.add("HUE", color=11)
    doc.layers.add("ZERO", color=0)
    doc.appids.new("BKT15")
    doc.appids.new("GDE_PROJECTION")
    doc.appids.new("WLX_OBJECTDATA")
    doc.styles.add("BOLD", font="arialbd.ttf")
    msp = doc.modelspace()

    sign = doc.blocks.new("SIGN")
    sign.add_line((0, 0), (4, 0))                          # by layer: the reference's layer
    sign.add_line((0, 0), (0, 2), dxfattribs={"color": 0})  # by block
    sign.add_line((0, 0), (4, 2), dxfattribs={"layer": "HUE"})
    sign.add_lwpolyline([(0, 3), (4, 3)], dxfattribs={"const_width": 1, "color": 3})
    sign.add_text("S", dxfattribs={"insert": (1, 1), "height": 1, "style": "BOLD"})
    doc.blocks.new("EMPTY")
    doc.blocks.new("ROUND")
    doc.blocks["ROUND"].add_circle((0, 0), 1, dxfattribs={"color": 6})

    msp.add_blockref("SIGN", (10, 10), dxfattribs={"layer": "RED", "color": 2})
    msp.add_blockref("sign", (20, 10), dxfattribs={"layer": "HUE"})
    msp.add_blockref("EMPTY", (30, 10))
    msp.add_blockref("ROUND", (40, 10), dxfattribs={"rotation": 45})
    msp.add_line((0, 0), (1, 1), dxfattribs={"layer": "ZERO"})
    msp.add_text("{\\fArial|b1;Big\\L under\\l}\\P1\\S1^2;\\\\ 100\\%",
                 dxfattribs={"insert": (0, 20), "height": 1})
    msp.add_mtext("Line one\\PLine two", dxfattribs={"insert": (0, 30), "char_height": 1})

    doc.rootdict.set_xdata("GDE_PROJECTION", [(1000, "UTM83-10")])
    doc.rootdict.set_xdata("WLX_OBJECTDATA", [
        (1000, "PARCEL"), (1002, "{"),
        (1000, "OWNER"), (1000, "ClassChar"),
        (1000, "BLOB"), (1000, "ClassBinary"),
        (1000, "AREA"), (1000, "ClassReal"),
        (1000, "LOT"), (1000, "ClassLong"),
        (1002, "}"),
    ])
    links = doc.rootdict.add_new_dict("CONLDEFDictionary")
    for name, column, kind, width, decimals in (("PARCELS", "PIN", 12, 10, 0),
                                                ("ROADS", "RID", 2, 8, 0),
                                                ("BROKEN", "X", 4, 4, 0)):
        entry = links.add_new_dict(name)
        tags = [(1000, "DB"), (1000, column), (1000, "x"), (1000, "y"),
                (1070, kind), (1070, width), (1070, decimals), (1000, "z"), (1000, "w")]
        if name == "BROKEN":
            tags = tags[:-1]
        entry.set_xdata("BKT15", tags)
    linked = msp.add_line((5, 5), (6, 6))
    linked.set_xdata("BKT15", [
        (1071, 3),
        (1070, 1), (1000, "parcels"), (1004, b"\x00P-17\x00"),
        (1070, 1), (1000, "ROADS"), (1004, struct.pack("<d", 12.9)),
        (1070, 1), (1000, "PARCELS"), (1004, b"\x00SECOND\x00"),
    ])
    linked.set_xdata("WLX_OBJECTDATA", [
        (1000, "PARCEL"), (1002, "{"),
        (1070, 3), (1000, "42"),
        (1070, 0), (1000, "Smith"),
        (1070, 1), (1000, "ignored"),
        (1070, 2), (1000, "12.5"),
        (1002, "}"),
    ])
    doc.saveas(os.path.join(here, "blocks.dxf"))


def faults():
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    doc.blocks.new("EMPTY")
    holder = doc.blocks.new("HOLDER")
    holder.add_blockref("EMPTY", (1, 0))
    msp.add_blockref("NOWHERE", (5, 5))
    msp.add_blockref("HOLDER", (10, 0), dxfattribs={"xscale": 2, "yscale": 2})
    msp.add_text("\\U+00C4B", dxfattribs={"insert": (0, 0)})
    msp.add_lwpolyline([(0, 0), (4, 0), (4, 4), (0, 0)])
    msp.add_lwpolyline([(0, 0), (4, 0), (4, 4)], close=True)
    msp.add_lwpolyline([(0, 0), (4, 0), (4, 4)])
    # A link key too short for its numeric column.
    doc.appids.new("BKT15")
    links = doc.rootdict.add_new_dict("CONLDEFDictionary")
    links.add_new_dict("ROADS").set_xdata("BKT15", [
        (1000, "DB"), (1000, "RID"), (1000, "x"), (1000, "y"), (1070, 2), (1070, 8), (1070, 0),
        (1000, "z"), (1000, "w")])
    short = msp.add_line((0, 0), (1, 0))
    short.set_xdata("BKT15", [(1071, 1), (1070, 1), (1000, "ROADS"), (1004, b"\x01\x02\x03")])
    whole = msp.add_line((0, 0), (2, 0))
    whole.set_xdata("BKT15", [(1071, 1), (1070, 1), (1000, "ROADS"), (1004, struct.pack("<d", 7.5))])
    doc.saveas(os.path.join(here, "faults.dxf"))


if __name__ == "__main__":
    entities()
    blocks()
    faults()
    sys.exit(0)
