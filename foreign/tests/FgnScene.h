// The test plug-in libFgnScene.so: a CFgnReader that serves a scene described
// in a small text file, so that the loader's plug-in reader can be tested end
// to end without a DGN or coverage plug-in. Given to wlxconv in place of one
// (as libTsdsn.so or libTscov.so beside it), it reads the input file as its
// scene: the first argument when it names a file, else the first joined with
// the second by '/' (a coverage's workspace and name).
//
// Scene file: one statement a line, LF or CRLF; '#' outside quotes begins a
// comment. Tokens are separated by blanks; "quoted text" may hold blanks and
// the escapes \" \\ \n; a lone - is a null text. Numbers are decimal
// (12, -2.5, 1e3); colours and other integers may be written 0x hexadecimal.
// Keywords are case-insensitive; names, keys and texts are taken as written.
//
// Source (top level, each at most once):
//   COORDSYS <text>              GetCoordSys (none: null with err 0)
//   DIMENSION 2|3                GetDimension 0 or 1 (default 2)
//   PRECISION SINGLE|DOUBLE      GetDataPrecision (default DOUBLE)
//   EXTENTS xmin xmax ymin ymax  GetExtents (default all 0)
//   FAIL <operation> <err>       that reader operation answers err: LoadData,
//       GetDimension, GetDataPrecision, GetCoordSys, GetExtents, Rewind, Done,
//       Step, GetCurrentTable, RewindTable, StepTable or DoneTable
// Styles (top level, before use; one name space per kind):
//   STYLE PNT  <name> <colour> <rotation> <size> <symbol>
//   STYLE LINE <name> <colour> <weight> <pattern>
//   STYLE PLY  <name> <edgeColour> <fillColour> <third> <weight> <fillPattern> <linePattern>
//   STYLE TEXT <name> <height> <colour> <second> <flag1> <flag2> <flag3> <justification>
//              <angle> <last> <font>
//   STYLE BLK  <name> <colour>
// Entities, at top level (the reader's entities, in file order) or between
// BLOCK and ENDBLOCK (the block's); each may end with STYLE <name>, a style of
// its kind (PNT for PNT and MPNT; LINE for LINE, PLINE, CPLINE and ARC; PLY for
// PLY and CPLY; TEXT for TEXT and MTEXT; BLK for INST); without one, GetStyle
// gives null with err 10:
//   PNT     <key> <layer> x y
//   MPNT    <key> <layer> x y {x y}
//   LINE    <key> <layer> x1 y1 x2 y2
//   PLINE   <key> <layer> x y {x y} [SMOOTH]
//   PLY     <key> <layer> labelX labelY x y {x y} [RADIUS r]   label point, boundary
//   CPLINE  <key> <layer> CONTIGUOUS|SEPARATE
//   CPLY    <key> <layer> labelX labelY CONTIGUOUS|SEPARATE
//       then one piece a line up to END:
//       PTS [OUTER|INNER] x y {x y}            point list (area type 1 or 2)
//       ARC cx cy start end xRadius yRadius CCW|CW
//   TEXT    <key> <layer> x y <text>
//   MTEXT   <key> <layer> minX minY maxX maxY <text>
//   ARC     <key> <layer> cx cy start end xRadius yRadius CCW|CW
//   INST    <key> <layer> <block> x y [MATRIX m00 m01 m10 m11] [XREF]
//       an instance (identity matrix by default) of a block defined anywhere
//   UNKNOWN <key> <layer> <text>
//   NULL <err>   (top level only) an element without entity: GetCurrent gives
//       null with err (0 nothing, 1 refused, 7 unreadable)
// Blocks (top level):
//   BLOCK <name> [XREF <file>]   ...entities...   ENDBLOCK
// Tables (top level; served in file order):
//   TABLE <name> [LAYERS <layer> {<layer>}]      no LAYERS: all layers (err 12)
//   COLUMN <name> INT2|INT4|FLOAT|DBL|DTE|CHAR|LGCL [KEY] [INDEXED] [WIDTH w] [DECIMALS d]
//   ROW <value> {<value>}        one per column; DTE and CHAR texts, LGCL one character
//   ENDTABLE
//
// LoadData answers 7 for a file that cannot be read or does not parse (the
// reason goes to standard error) and the FAIL value for LoadData after parsing.
// Past the last entity or table the cursors give null with err 9.
#pragma once

#include "foreign/Foreign.h"

// The scene reader for `path` (and `second`, see above); opens nothing yet.
CFgnReader* CreateSceneReader(char const* path, char const* second);
