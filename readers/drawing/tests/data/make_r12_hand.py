#!/usr/bin/python3
"""Writes r12_hand.dxf (LF) and r12_hand_crlf.dxf (CR LF): an R12 drawing written group by
group, with the R12 spellings ($MODEL_SPACE), entities without handles, POLYLINE/VERTEX/SEQEND,
INSERT with ATTRIB, nested and mirrored blocks, extrusion 0,0,-1 and paper space.

    python3 make_r12_hand.py
"""
groups = []


def g(code, value):
    groups.append((code, value))


def section(name):
    g(0, "SECTION")
    g(2, name)


def endsec():
    g(0, "ENDSEC")


section("HEADER")
g(9, "$ACADVER"); g(1, "AC1009")
g(9, "$DWGCODEPAGE"); g(3, "ANSI_1252")
g(9, "$HANDLING"); g(70, 1)
endsec()

section("TABLES")
g(0, "TABLE"); g(2, "LAYER"); g(70, 3)
for name, color in (("0", 7), ("WALLS", -2), ("DOORS", 30)):
    g(0, "LAYER"); g(2, name); g(70, 0); g(62, color); g(6, "CONTINUOUS")
g(0, "ENDTAB")
g(0, "TABLE"); g(2, "STYLE"); g(70, 1)
g(0, "STYLE"); g(2, "STANDARD"); g(70, 0); g(40, 0.0); g(41, 1.0); g(3, "txt")
g(0, "ENDTAB")
endsec()

section("BLOCKS")
g(0, "BLOCK"); g(8, "0"); g(2, "$MODEL_SPACE"); g(70, 0); g(10, 0.0); g(20, 0.0); g(30, 0.0)
g(3, "$MODEL_SPACE"); g(0, "ENDBLK"); g(8, "0")
g(0, "BLOCK"); g(8, "0"); g(2, "KNOB"); g(70, 0); g(10, 0.5); g(20, 0.5); g(30, 0.0)
g(0, "CIRCLE"); g(5, "100"); g(8, "0"); g(10, 0.5); g(20, 0.5); g(30, 0.0); g(40, 0.25)
g(0, "ENDBLK"); g(5, "101"); g(8, "0")
g(0, "BLOCK"); g(8, "0"); g(2, "DOOR"); g(70, 2); g(10, 1.0); g(20, 0.0); g(30, 0.0)
g(0, "LINE"); g(5, "102"); g(8, "DOORS"); g(10, 1.0); g(20, 0.0); g(30, 0.0)
g(11, 1.0); g(21, 3.0); g(31, 0.0)
g(0, "ARC"); g(5, "103"); g(8, "0"); g(62, 0); g(10, 1.0); g(20, 0.0); g(30, 0.0); g(40, 3.0)
g(50, 0.0); g(51, 90.0)
g(0, "INSERT"); g(5, "104"); g(8, "0"); g(2, "KNOB"); g(10, 3.0); g(20, 1.0); g(30, 0.0)
g(41, 2.0); g(42, 2.0); g(50, 45.0)
g(0, "ATTDEF"); g(5, "105"); g(8, "0"); g(10, 1.0); g(20, -1.0); g(30, 0.0); g(40, 0.5); g(1, "?")
g(3, "Number"); g(2, "NUMBER"); g(70, 0)
g(0, "ENDBLK"); g(5, "106"); g(8, "0")
endsec()

section("ENTITIES")
g(0, "LINE"); g(5, "1A"); g(8, "WALLS"); g(62, 1); g(10, 0.0); g(20, 0.0); g(30, 0.0)
g(11, 10.0); g(21, 0.0); g(31, 0.0)
g(0, "LINE"); g(8, "WALLS"); g(10, 10.0); g(20, 0.0); g(30, 0.0); g(11, 10.0); g(21, 8.0); g(31, 0.0)
g(0, "POLYLINE"); g(5, "1B"); g(8, "WALLS"); g(66, 1); g(10, 0.0); g(20, 0.0); g(30, 1.5); g(70, 1)
g(40, 0.2); g(41, 0.2)
for x, y, bulge in ((0, 8, 0.0), (4, 8, 0.5), (6, 12, 0.0), (2, 12, 0.0)):
    g(0, "VERTEX"); g(8, "WALLS"); g(10, float(x)); g(20, float(y)); g(30, 0.0)
    if bulge:
        g(42, bulge)
g(0, "SEQEND"); g(8, "WALLS")
g(0, "POLYLINE"); g(5, "1C"); g(8, "0"); g(66, 1); g(10, 0.0); g(20, 0.0); g(30, 0.0); g(70, 8)
for x, y, z in ((20, 0, 0), (25, 5, 2.5), (30, 0, 5)):
    g(0, "VERTEX"); g(8, "0"); g(10, float(x)); g(20, float(y)); g(30, float(z)); g(70, 32)
g(0, "SEQEND"); g(8, "0")
g(0, "CIRCLE"); g(5, "1D"); g(8, "0"); g(10, 5.0); g(20, 5.0); g(30, 1.0); g(40, 2.0)
g(210, 0.0); g(220, 0.0); g(230, -1.0)
g(0, "ARC"); g(5, "1E"); g(8, "0"); g(10, 40.0); g(20, 0.0); g(30, 0.0); g(40, 5.0)
g(50, 350.0); g(51, 10.0)
g(0, "TEXT"); g(5, "1F"); g(8, "0"); g(10, 0.0); g(20, -5.0); g(30, 0.0); g(40, 1.0)
g(1, "Right \xb0C"); g(72, 2); g(11, 12.0); g(21, -5.0); g(31, 0.0)
g(0, "SOLID"); g(5, "20"); g(8, "0"); g(10, 50.0); g(20, 0.0); g(30, 0.0); g(11, 55.0); g(21, 0.0)
g(31, 0.0); g(12, 50.0); g(22, 5.0); g(32, 0.0)
g(0, "TRACE"); g(5, "21"); g(8, "0"); g(10, 60.0); g(20, 0.0); g(30, 0.0); g(11, 65.0); g(21, 0.0)
g(31, 0.0); g(12, 60.0); g(22, 1.0); g(32, 0.0); g(13, 65.0); g(23, 1.0); g(33, 0.0)
g(0, "3DFACE"); g(5, "22"); g(8, "0"); g(10, 70.0); g(20, 0.0); g(30, 0.0); g(11, 75.0); g(21, 0.0)
g(31, 1.0); g(12, 75.0); g(22, 5.0); g(32, 2.0); g(13, 70.0); g(23, 5.0); g(33, 1.0)
g(0, "POINT"); g(5, "23"); g(8, "DOORS"); g(10, 1.25); g(20, -2.5); g(30, 0.125)
g(0, "INSERT"); g(5, "24"); g(8, "DOORS"); g(66, 1); g(2, "DOOR"); g(10, 100.0); g(20, 50.0)
g(30, 0.0); g(41, 1.0); g(42, -1.0); g(50, 30.0)
g(0, "ATTRIB"); g(5, "25"); g(8, "DOORS"); g(10, 100.0); g(20, 49.0); g(30, 0.0); g(40, 0.5)
g(1, "D-1"); g(2, "NUMBER"); g(70, 0)
g(0, "SEQEND"); g(5, "26"); g(8, "DOORS")
g(0, "LINE"); g(5, "27"); g(8, "0"); g(67, 1); g(10, 0.0); g(20, 0.0); g(30, 0.0)
g(11, 1.0); g(21, 1.0); g(31, 0.0)
endsec()
g(0, "EOF")

text = "".join("%3d\n%s\n" % (code, repr(value) if isinstance(value, float) else value)
               for code, value in groups)
open("r12_hand.dxf", "wb").write(text.encode("cp1252"))
open("r12_hand_crlf.dxf", "wb").write(text.replace("\n", "\r\n").encode("cp1252"))
