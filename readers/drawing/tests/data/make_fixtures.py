#!/usr/bin/python3
"""Writes the ezdxf-made drawing fixtures of the tests (run once; the files are committed).

    /usr/bin/python3 make_fixtures.py     (Debian package python3-ezdxf)
"""
import math

import ezdxf
from ezdxf.math import Matrix44


def add_common_content(doc, text_sample):
    msp = doc.modelspace()
    doc.layers.add("Roads", color=3)
    doc.layers.add("Hidden", color=5).off()
    doc.layers.add("Blocks", color=1)
    style = doc.styles.new("Labels", dxfattribs={"font": "arial.ttf"})
    style.set_extended_font_data(family="Arial", italic=True, bold=False)

    msp.add_point((1.5, 2.5, 0.5), dxfattribs={"layer": "Roads"})
    msp.add_line((0, 0, 0), (10, 5, 1), dxfattribs={"layer": "Roads", "color": 1})
    msp.add_circle((20, 0), 3, dxfattribs={"layer": "Hidden"})
    msp.add_arc((30, 0), 2, 10, 100)
    # Extrusion 0,0,-1: the object coordinate system mirrors x.
    msp.add_arc((30, 10, 2), 2, 10, 100, dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_circle((40, 10), 1.5, dxfattribs={"extrusion": (0.3, 0.2, 0.9)})
    msp.add_text(text_sample, dxfattribs={"height": 2.0, "rotation": 30, "style": "Labels",
                                          "insert": (5, 20)})
    centred = msp.add_text("centred", dxfattribs={"height": 1.0, "insert": (0, 30)})
    centred.set_placement((8, 30), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
    msp.add_text("mirrored", dxfattribs={"insert": (3, 4, 1), "extrusion": (0, 0, -1)})
    msp.add_mtext("{\\fArial|b1;Two}\\Plines", dxfattribs={"insert": (50, 50), "char_height": 2.5,
                                                          "width": 12, "rotation": 45})
    lw = msp.add_lwpolyline([(0, 40, 0, 0, 0.5), (10, 40, 0, 0, 0), (10, 50, 1, 1, 0)],
                            format="xyseb", dxfattribs={"layer": "Roads"})
    lw.closed = True
    msp.add_lwpolyline([(0, 60), (5, 65), (10, 60)], dxfattribs={"const_width": 0.4,
                                                                 "elevation": 2.0})
    msp.add_lwpolyline([(0, 70, 0, 0, 0.3), (5, 70, 0, 0, 0), (5, 75)], format="xyseb",
                       dxfattribs={"extrusion": (0, 0, -1), "elevation": 1.5})
    p2 = msp.add_polyline2d([(60, 0), (70, 0), (70, 10)], dxfattribs={"default_start_width": 0.2,
                                                                       "default_end_width": 0.2})
    p2.vertices[1].dxf.bulge = -0.5
    p2.close(True)
    msp.add_polyline3d([(80, 0, 0), (90, 0, 5), (90, 10, 10)])
    msp.add_solid([(0, 90), (10, 90), (0, 100), (10, 100)])
    msp.add_solid([(20, 90), (30, 90), (20, 100)])
    msp.add_trace([(40, 90), (50, 90), (40, 95), (50, 96)])
    msp.add_ellipse((100, 0, 0), major_axis=(4, 2, 0), ratio=0.5, start_param=0.3,
                    end_param=4.0)
    msp.add_ellipse((110, 0), major_axis=(0, 3), ratio=0.25)
    spline = msp.add_open_spline([(120, 0, 0), (122, 4, 0), (126, 5, 0), (130, 0, 0)], degree=3)  # GDAL draws splines in 2D
    spline.dxf.layer = "Roads"
    msp.add_rational_spline([(140, 0), (142, 4), (146, 5), (150, 0)], weights=[1, 3, 0.5, 1],
                            degree=3)
    mline = msp.add_mline([(0, 110), (10, 110), (10, 120)], close=True)
    mline.dxf.layer = "Roads"
    msp.add_shape("ARROW", insert=(60, 60), size=2, dxfattribs={"rotation": 15})

    # Blocks: one nested inside another, inserted scaled and rotated.
    inner = doc.blocks.new("Inner", base_point=(1, 1))
    inner.add_line((1, 1), (3, 1), dxfattribs={"layer": "Blocks"})
    inner.add_circle((2, 2), 0.5, dxfattribs={"color": 0})
    outer = doc.blocks.new("Outer", base_point=(0, 0))
    outer.add_lwpolyline([(0, 0), (4, 0), (4, 4), (0, 4)], close=True)
    outer.add_blockref("Inner", (5, 5), dxfattribs={"rotation": 90, "xscale": 2, "yscale": 2})
    outer.add_attdef("ID", (0, -1), dxfattribs={"height": 0.5})
    ref = msp.add_blockref("Outer", (200, 100), dxfattribs={"rotation": 30, "xscale": 1.5,
                                                            "yscale": 0.5, "layer": "Blocks"})
    ref.add_attrib("ID", "A-17", (200, 99))
    msp.add_blockref("Inner", (250, 100, 1), dxfattribs={"extrusion": (0, 0, -1),
                                                         "rotation": 20})
    doc.blocks.new("Empty")
    msp.add_blockref("Empty", (260, 100))
    # Paper space is kept apart from model space.
    doc.layout("Layout1").add_line((0, 0), (1, 1))


def add_link_data(doc, r14):
    """Projection code on the named-objects dictionary and database links on one line."""
    doc.appids.new("GDE_PROJECTION")
    app = "DRFXOMXR13" if r14 else "BKT15"
    doc.appids.new(app)
    doc.rootdict.set_xdata("GDE_PROJECTION", [(1000, "UTM83-10")])
    links = doc.rootdict.add_new_dict("OMXLPNDICTIONARY" if r14 else "CONLDEFDictionary")
    parcels = links.add_new_dict("PARCELS")
    # Ten entries with the application name: key column (3), kind 12 (6), width 10 (7).
    parcels.set_xdata(app, [(1000, "PARCELS"), (1000, "PIN"), (1000, ""), (1070, 0),
                            (1070, 12), (1070, 10), (1070, 0), (1070, 0), (1000, "")])
    line = doc.modelspace().add_line((0, -10), (5, -10))
    record = [(1071, 1), (1070, 0), (1000, "PARCELS"), (1004, b"\x00PIN-0042\x00")]
    line.set_xdata(app, record)


def r2000_drawing():
    doc = ezdxf.new("R2000")
    add_common_content(doc, "Caf\u00e9 \u2126")
    add_link_data(doc, r14=False)
    return doc


def main():
    doc = r2000_drawing()
    doc.saveas("ezdxf_r2000.dxf")
    # The same drawing in binary: GDAL reads no binary DXF, so the tests compare
    # its listing with the ASCII file's.
    doc.saveas("ezdxf_r2000_binary.dxf", fmt="bin")

    doc = ezdxf.new("R2010")
    add_common_content(doc, "\u65e5\u672c \u00e9t\u00e9")
    doc.layers.add("\u0421\u043b\u043e\u0439", color=2)
    doc.modelspace().add_point((7, 7), dxfattribs={"layer": "\u0421\u043b\u043e\u0439"})
    doc.saveas("ezdxf_r2010.dxf")

    doc = ezdxf.new("R2000")
    doc.encoding = "cp1251"  # $DWGCODEPAGE ANSI_1251; characters outside it as \U+XXXX
    doc.layers.add("\u0414\u043e\u0440\u043e\u0433\u0438", color=4)
    doc.modelspace().add_text("\u041c\u043e\u0441\u0442 \u65e5",
                              dxfattribs={"layer": "\u0414\u043e\u0440\u043e\u0433\u0438"})
    doc.saveas("ezdxf_cp1251.dxf")

    doc = ezdxf.new("R12")
    msp = doc.modelspace()
    msp.add_line((0, 0), (1, 2))
    msp.add_polyline2d([(0, 0), (5, 0), (5, 5)], close=True)
    msp.add_circle((3, 3), 1)
    doc.saveas("ezdxf_r12.dxf")
    doc.saveas("ezdxf_r12_binary.dxf", fmt="bin")


if __name__ == "__main__":
    main()
