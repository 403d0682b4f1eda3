// The loader's string table: every message, usage text and table name the
// program prints or writes, by number. The texts are the program's own,
// byte for byte.
#pragma once

#include "platform/ModuleResources.h"

// The program's resources: the table below.
[[gnu::visibility("hidden")]] HINSTANCE LoaderModule();

// Ascending by id.
inline constexpr StringResource kLoaderStrings[] = {
    {32001,
     "\n"
     "\n"
     "Syntax for WLX Loader Version %s:\n"},
    {32004, "(O)verwrite, (A)ppend, (Q)uit?"},
    {32005, "File: %s already exists.\n"},
    {32006, "Processing..."},
    {32007, "Velstrom Tessaran Wellex File"},
    {32015,
     "Objects written to file:                    \n"
     "Points: %li\n"
     "Polylines: %li\n"
     "PolyPolylines: %li\n"
     "Polygons: %li\n"
     "PolyPolygons: %li\n"
     "Total: %li\n"
     "EMFs created: %li\n"},
    {32016, "WLX Loader: converts vector GIS files into WLX binary or WLT text map files."},
    {32020,
     " /I{B|C|D|H|L|M|S|V|W|X} [Options] InputFile OutputFile\n"
     "\n"
     "Switches:\n"
     "\n"
     " /I{B|C|D|H|L|M|S|V|W|X}\n"
     "\n"
     "\t\t\tSpecifies one of the following input file formats:\n"
     "\t\t\tB : Atlas BNA format (BNA)\n"
     "\t\t\tC : Comma Delimited format (CSV)\n"
     "\t\t\tD : DGN format\n"
     "\t\t\tH : ArcView Shapefile format (SHP)\n"
     "\t\t\tL : Tessaran WLT format (WLT)\n"
     "\t\t\tM : MapInfo Interchange format (MIF)\n"
     "\t\t\tS : Tessaran WLX Binary format (WLX)\n"
     "\t\t\tV : ArcInfo Coverage Format\n"
     "\t\t\tW : Velstrom DWG Format\n"
     "\t\t\tX : Velstrom DXF Format\n"
     "\n"
     " /O{S|L|O}\t\t(optional)\n"
     "\t\t\tSpecifies one of the following output file\n"
     "\t\t\tformats:\n"
     "\t\t\tS : Tessaran WLX Binary format (WLX) [default]\n"
     "\t\t\tL : Tessaran WLT format (WLT)\n"
     "\t\t\tO : Disable generation of WLX or WLT file\n"
     "\n"},
    {32021,
     " /KIF or \t\t(optional, use only with WLX output)\n"
     " /KIF:<MaxKeyLength>\tProduces a key index file (KIF) in addition\n"
     "\t\t\tto the WLX and SIF files. The MaxKeyLength variable\n"
     "\t\t\tis used to clip all object keys down to the\n"
     "\t\t\tspecified number of bytes. If it is not specified,\n"
     "\t\t\ta default value of 32 is assigned.\n"
     "\n"},
    {32022,
     " /COORDSYS:{CSCode}\t(optional)\n"
     "\t\t\tSpecifies the coordinate system of the input data,\n"
     "\t\t\twhich will then be converted to latitude/longitude\n"
     "\t\t\tWGS-84 when written to the output file.\n"
     "\t\t\tIf {CSCode} is NONE and the input data coordinate\n"
     "\t\t\tsystem can be detected from the input file,\n"
     "\t\t\tthat same coordinate system will be used for the\n"
     "\t\t\toutput data instead of converting it to Lat/Lon.\n"
     " or\n"
     " /COORDSYS:IN:{CSCode1}\tSpecifies the coordinate systems of the input and\n"
     "\t :OUT:{CSCode2}\toutput files.\n"
     "\t\t\tIf they are different, the data will be converted\n"
     "\t\t\tto the output coordinate system when written\n"
     "\t\t\tto the output file.\n"
     "\n"},
    {32023,
     " /COORDPREC:{32|64}\t(optional)\n"
     "\t\t\tSpecifies the output WLX's coordinate precision.\n"
     "\t\t\tThe default is 32 bit precision.\n"
     "\n"},
    {32024,
     " /MAXPOINTS:{nPts}\t(optional)\n"
     "\t\t\tSpecifies the maximum number of points per object.\n"
     "\t\t\tThe limits are 65535 points per polyline or polygon,\n"
     "\t\t\tand 2097152 points per polypolyline or polypolygon.\n"
     "\n"},
    {32025,
     " /TYPE:{M|L|P}\t\t(optional)\n"
     "\t\t\tSpecifies which object types to convert.\n"
     "\t\t\tM : Point objects.\n"
     "\t\t\tL : Lines, Polylines, and Polypolylines.\n"
     "\t\t\tP : Polygons and Polypolygons.\n"
     "\t\t\tThis switch can be specified multiple times\n"
     "\t\t\tin order to convert more than one object type.\n"
     "\t\t\tBy default, all objects are converted.\n"
     "\n"},
    {32026,
     " /GENERALIZE:{prcnt}\t(optional)\n"
     "\t\t\tReduce all objects to the specified percentage\n"
     "\t\t\tof their original number of points.\n"
     "\n"},
    {32027,
     " /NULLNAME\t\t(optional)\n"
     "\t\t\tNullifies the object names in the output WLX.\n"
     "\n"},
    {32028,
     " /NOTEST\t\t(optional)\n"
     "\t\t\tDisables a final integrity test on the output WLX\n"
     "\t\t\twhen it is closed.\n"
     "\n"},
    {32029,
     " /W{O|A|Q}\t\t(optional)\n"
     "\t\t\tSpecifies the action if the output WLX exists:\n"
     "\t\t\tO : Overwrite\n"
     "\t\t\tA : Append\n"
     "\t\t\tQ : Quit\n"
     "\n"},
    {32030,
     " /F:<LayerList> or\t(optional, BNA/DGN/DWG/DXF/Coverage only)\n"
     " /LAYER:<LayerList>\tExtracts only the specified layer(s) from the\n"
     "\t\t\tinput file.\n"
     "\n"},
    {32031,
     " /INFO\t\t\t(optional)\n"
     "\t\t\tGives information about the specified\n"
     "\t\t\tinput file.\n"
     "\n"},
    {32032,
     " /INS:{1|2}\t\t(obsolete, use the /TABLE switch instead)\n"
     "\n"},
    {32033,
     " /KEY:<ColKeyString>\t(optional, MIF/SHP/DGN/DWG/DXF/Coverage only)\n"
     "\t\t\tSpecifies the columns which define the key of the\n"
     "\t\t\tobject. See the user's guide for more info on the\n"
     "\t\t\tformat of ColKeyString.\n"
     "\n"},
    {32034,
     " /NAME:<ColNameString>\t(optional, MIF/SHP/DGN/DWG/DXF/Coverage only)\n"
     "\t\t\tSpecifies the columns which define the name of the\n"
     "\t\t\tobject. See user's guide for info on the format\n"
     "\t\t\tof ColNameString.\n"
     "\n"},
    {32035,
     " /LINK:<ColLinkString>\t(optional, MIF/SHP/DGN/DWG/DXF/Coverage only)\n"
     "\t\t\tSpecifies the columns which define the URL link\n"
     "\t\t\tassociated with the object.\n"
     "\t\t\tSee user's guide for more info on the format of\n"
     "\t\t\tColLinkString.\n"
     "\n"},
    {32036,
     " /T{P|L|M}\t\t(optional, CSV format only)\n"
     "\t\t\tSpecifies the type of object in the input file:\n"
     "\t\t\tP : Polygon object\n"
     "\t\t\tL : Polyline object\n"
     "\t\t\tM : Marker object (default)\n"
     "\n"},
    {32037,
     " /DECODEBLOCKS\t\t(obsolete, use the /BLOCKS:EXPLODE switch instead)\n"
     "\n"},
    {32038,
     " /LABELS\t\t(optional, DGN/Coverage only)\n"
     "\t\t\tThe DLLs used to convert these formats assign\n"
     "\t\t\tlabel points to each polygon. Specifying this switch\n"
     "\t\t\texports these labels as points to the output file.\n"
     "\n"},
    {32039,
     " /HOLES\t\t\t(optional, Coverage only)\n"
     "\t\t\tConverts holes in polygon Coverages\n"
     "\t\t\tinto polygons in the output file.\n"
     "\n"},
    {32040,
     "Parameters:\n"
     "\n"
     " InputFile\t\tSpecifies the name of the input file.\n"
     " OutputFile\t\tSpecifies the name of the output WLX.\n"
     "\n"
     "Example:\n"},
    {32041,
     " /NOEXT\t\t\t(optional)\n"
     "\t\t\tDisables file extension checking.\n"
     "\n"},
    {32042,
     " /PL2PG\t\t\t(optional, DWG/DXF only)\n"
     "\t\t\tConvert closed polylines to polygons.\n"
     "\n"},
    {32043,
     " /BLOCKS[:EMF][:EXPLODE][:<BlockList>]\n"
     "\n"
     "\t\t\t(optional, DGN/DWG/DXF only)\n"
     "\t\t\tExport only the blocks in the supplied list.\n"
     "\t\t\tIf no list is given, all blocks are exported.\n"
     "\t\t\tThe EXPLODE keyword explodes blocks\n"
     "\t\t\tinto their constituent entities.\n"
     "\t\t\tThe EMF keyword creates an enhanced\n"
     "\t\t\twindows metafile for each block.\n"
     "\n"},
    {32044,
     " /TABLE:{CSV|SQL}[:STYLE][:XY][:<TableList>]\n"
     "\n"
     "\t\t\t(optional, MIF/SHP/DGN/DWG/DXF/Coverage only)\n"
     "\t\t\tExport the specified tables to CSV or SQL files.\n"
     "\t\t\tIf no table list is specified, all tables are exported.\n"
     "\t\t\tThe STYLE keyword (DGN/DWG/DXF only) causes an entity\n"
     "\t\t\tstyle table to be produced.\n"
     "\t\t\tThe XY keyword adds LocationX and LocationY columns\n"
     "\t\t\tto every exported table\n"
     "\n"},
    {32045,
     " /FILE:<Filename>\t(optional)\n"
     "\t\t\tSpecify a text file which contains more\n"
     "\t\t\tcommand-line switches to be used in this conversion.\n"
     "\n"},
    {32046,
     " /NOCSMETADATA\t\t(optional)\n"
     "\t\t\tSuppresses the generation of coordinate system metadata\n"
     "\t\t\tto the output file format.\n"
     "\n"},
    {39002, "*Error* : Operator new failed : out of store\n"},
    {39003, "*Error* : Duplicate file name."},
    {39005, "Warning : Coordinates out of latitude-longitude range."},
    {39006, "*Error* : Invalid Input File Type specified."},
    {40000, "*Error* : Unable to open the file: "},
    {40001, "*Error* : Invalid WLX file format."},
    {40002, "*Error* : An error occurred reading from the file."},
    {40003, "*Error* : An error occurred writing to the file."},
    {40004, "*Error* : Invalid WLX version number."},
    {40005, "*Error* : The WLX file is read-only."},
    {40006, "*Error* : Search not initialized."},
    {40007, "*Error* : Invalid parameter."},
    {40008, "*Error* : Invalid offset."},
    {40009, "*Error* : Invalid object type."},
    {40010, "*Error* : Invalid coordinate precision."},
    {40011, "*Error* : Invalid element."},
    {40012, "*Error* : Element already defined."},
    {40013,
     "*Error* : The object is too complex to be filtered down\n"
     "to an acceptable number of points."},
    {40014, "*Error* : Bad format."},
    {40015, "*Error* : Unexpected end of file."},
    {40016, "*Error* : Not supported."},
    {40017, "*Error* : Unable to find input file: "},
    {40018, "*Error* : Out of memory."},
    {40019, "*Error* : Illegal function call."},
    {40020, "*Error* : The WLX file contains no objects."},
    {40021, "*Error* : Object not found."},
    {40022, "*** Halting processing ***\n"},
    {40023, "*Error* : Cannot append to a file of different coordinate precision."},
    {40024, "*Error* : The /INFO switch is not applicable to this input format."},
    {40026, "*Error* : Invalid column and/or table specified in /NAME, /KEY, or /LINK switch."},
    {40028,
     "*Error* : The desired coordinate system, %s, was not\n"
     "          found, or cannot be used."},
    {40030,
     "*Error* : Unable to load data. Please check the input\n"
     "          filename and format."},
    {40032,
     "*Error* : The .DLL file required for data translation from the\n"
     "          specified format was not found in the search path."},
    {40033,
     "*Error* : The data translation library .DLL file associated with\n"
     "          this input format is not compatible with this version of the WLX\n"
     "          Loader. Please check your installation."},
    {40034,
     "*Error* : The input file is in 3D coordinates and cannot be\n"
     "          converted using the WLX Loader."},
    {40035,
     "Warning : The coordinate system used in the input file does not\n"
     "          match that specified with the /COORDSYS switch."},
    {40036, "*Error* : An error occurred when reading the input file %s."},
    {40037, "*Error* : Unable to read the coordinate system metadata from the WLT file %s."},
    {40038,
     "*Error* : The coordinate system of the output data (%s) is different from the output"
     " file's existing coordinate system (%s). Processing has stopped. Use the /COORDSYS"
     " switch and set the OUT option to (%s)."},
    {40039, "*Error* : Unable to read the coordinate system metadata from the WLX file %s."},
    {40040, "*Error* : Unable to add the coordinate system metadata to the WLT file %s."},
    {40041,
     "*Error* : The number of points specified for a feature in the input WLT file is"
     " incorrect."},
    {40042,
     "*Error* : Unable to open DWG file \"%s\". Please ensure the folder is writable and the"
     " file has read access."},
    {41024, "*Error* : Unable to open Spatial Index File: "},
    {41025, "*Error* : Invalid Spatial Index File format."},
    {41026, "*Error* : An error occurred reading from the Spatial Index File."},
    {41027, "*Error* : An error occurred writing to the Spatial Index File."},
    {41028, "*Error* : Invalid Spatial index File version number."},
    {41029, "*Error* : The Spatial Index File is read-only."},
    {41030, "*Error* : Search not initialized."},
    {41031, "*Error* : Invalid parameter."},
    {41032, "*Error* : Object not found."},
    {41033,
     "*Error* : Invalid node extent encountered while testing\n"
     "          the Spatial Index File integrity."},
    {41034, "*Error* : Incorrect feature count in Spatial Index File."},
    {41035, "*Error* : Invalid node offset in Spatial Index File."},
    {41036, "*Error* : Node underflow in Spatial Index File."},
    {41037, "*Error* : Unable to create SIF temp file."},
    {41038, "*Error* : An error occurred writing to the SIF temp file."},
    {41039, "*Error* : Unable to replace existing Spatial Index File."},
    {42040, "*Error* : Unable to open Key Index File: "},
    {42041, "*Error* : Invalid Key Index File format."},
    {42042, "*Error* : An error occurred reading from the Key Index File."},
    {42043, "*Error* : An error occurred writing to the Key Index File."},
    {42044, "*Error* : Invalid Key Index File version number."},
    {42045, "*Error* : The Key Index File is read-only."},
    {42046, "*Error* : Search not initialized."},
    {42047, "*Error* : Invalid parameter."},
    {42048, "*Error* : Object not found."},
    {42049, "*Error* : Duplicate object."},
    {42050, "*Error* : Incorrect feature count in Key Index File."},
    {42051, "*Error* : Invalid node offset in Key Index File."},
    {42052, "*Error* : Node underflow in Key Index File."},
    {42053, "*Error* : Unable to create KIF temp file."},
    {42054, "*Error* : An error occurred writing to the KIF temp file."},
    {42055, "*Error* : Unable to replace existing Key Index File."},
    {42056, "*Error* : Key Index File object key too long."},
    {42057, "*Error* : Key Index File keys not ordered."},
    {43058, "*Error* : Invalid filter area."},
    {43059, "*Error* : Incorrect command-line syntax."},
    {43060, "*Error* : Invalid coordinate precision."},
    {43061, "*Error* : Invalid command-line parameter: "},
    {43062, "*Error* : Invalid switch: "},
    {43063,
     "*Error* : The specified input filename does not have the\n"
     "          expected file extension for the selected input format.\n"
     "          If you have specified a file with a valid extension, please\n"
     "          check that you have not neglected to precede any of the\n"
     "          other switches with a / character.\n"
     "\n"
     "          User specified filename: %s\n"
     "          Expected file extension: %s\n"
     "\n"
     "          To override file extension checking, use the /NOEXT switch.\n"},
    {43064,
     "*Error* : The WLX Loader was unable to access an essential\n"
     "COM component. Please re-install."},
    {43065,
     "*Error* : Unable to gain read access to the\n"
     "          file %s.\n"
     "          Please check that it is not in use\n"
     "          by another application."},
    {43066, "*Error* : The output file already exists."},
    {44062, "*Error* : The WLX Loader failed with an error code of: "},
    {44063, "SymbolStyle"},
    {44064, "TextStyle"},
    {44065, "PolylineStyle"},
    {44066, "PolygonStyle"},
    {44067, "OriginalKey"},
    {44068, "Name"},
    {44069, "Layer"},
    {44070, "FillColor"},
    {44071, "FillStyle"},
    {44072, "EdgeColor"},
    {44073, "EdgeStyle"},
    {44074, "EdgeWidth"},
    {44075, "LineColor"},
    {44076, "LineStyle"},
    {44077, "LineWidth"},
    {44078, "PointColor"},
    {44079, "SymbolName"},
    {44080, "SymbolRotation"},
    {44081, "SymbolWidth"},
    {44082, "SymbolHeight"},
    {44085, "TextContent"},
    {44086, "TextColor"},
    {44087, "TextHorzAlign"},
    {44088, "TextVertAlign"},
    {44089, "TextRotation"},
    {44090, "TextHeight"},
    {50012, "INSERT INTO %s VALUES ("},
    {50030,
     "Warning: The input coordinate system specified with the /COORDSYS switch (%s) is"
     " different from the input coordinate system detected in the file (%s). %s will be used."},
    {50032, "Warning : Reducing object(s) point count to below maximum value..."},
    {50033, "Warning : Skipping empty/invalid entity from the input file."},
    {50034,
     "Warning : The input file coordinate system (%s) and output file coordinate system (%s)"
     " are both Latitude/Longitude but use different datums or units. WLX Loader does not"
     " support Latitude/Longitude datum shift and unit conversion. The output file coordinate"
     " system will be %s."},
    {50035,
     "Warning : The metadata retrieved contains unsupported UNICODE characters, which have"
     " now been substituted with system default characters. Processing will continue but the"
     " coordinate system conversion may not work properly."},
    {50036,
     "Warning : You used the /NOCSMETADATA switch to prevent metadata from being added to the"
     " output file, but the output file is an existing file that already contains metadata. The"
     " metadata in the output file will remain unchanged."},
    {50037,
     "Warning : The output file coordinate system is unknown because the file contains no"
     " metadata. The input file will continue to be appended to this output file, but their"
     " coordinate systems might not match. No metadata will be written to the output file."},
    {50038,
     "Warning : The coordinate system of the output data (%s) and the output file's existing"
     " coordinate system (%s) are both Latitude/Longitude but use different datums or units. WLX"
     " Loader does not support Latitude/Longitude datum shift and unit conversion. The data will"
     " continue to be appended to the output file but the existing output file's coordinate"
     " system metadata (%s) will remain unchanged."},
    {50039, "Warning : Object [%s - %s] has too few points."},
    {50040, "Warning : Object [%s - %s] contains at least one section with too few points."},
    {50051, " Column[%i] : Name[%s] : Type[%s]\n"},
    {50052,
     "\n"
     "Listing layers occupied by map objects...\n"
     "\n"},
    {50053,
     "\n"
     "Listing tables and their contents...\n"},
    {50054,
     "\n"
     " No tables in this file\n"},
    {50056, " Layer[%i] : %s\n"},
    {50058, " Listing columns...\n"},
    {50067, " The features in this file are not grouped into layers.\n"},
    {50068, "Generalizing all objects to %f percent of their original size...\n"},
    {50070,
     "\n"
     "Table[%i] : %s\n"},
    {50072,
     "\n"
     "Listing available blocks...\n"
     "\n"},
    {50073, " Block[%i] : %s\n"},
    {50074, " No blocks in this file\n"},
    {50075, "Feature Count : %li\n"},
    {50076, "Coordinate precision : %i\n"},
    {50077, "Initializing file reader..."},
    {50078, "Initializing file writer..."},
    {50079, "Retrieving file information..."},
    {50080, "File Description : %s\n"},
    {50081, "File Version : %s\n"},
    {50082, " SIF File Version : %s\n"},
    {50083, " SIF File Description : %s\n"},
    {50084, " SIF Extents : (%.*f, %.*f, %.*f, %.*f)\n"},
    {50085, " SIF Coordinate Precision : %i\n"},
    {50086, " SIF Entries Per Node (Max, Min) : (%i, %i)\n"},
    {50087, " SIF Feature Count : %i\n"},
    {50088,
     "\n"
     "Listing SIF File information...\n"
     "\n"},
    {50089, "Initializing coordinate system converter..."},
    {50090, "Coordinate System Key : %s\n"},
    {50091,
     "\n"
     "Processing Time : %.2f seconds\n"},
    {50092,
     "Aborting processing...                                                                 "
     "                      "},
    {50095, "Input Coordinate System : %s"},
    {50096, "Output Coordinate System : %s"},
    {50097,
     "; Lines starting with \"#\" are header data generated by WLX Loader.\n"
     "; Do not edit these lines."},
    {50098, "Warning : Skipped an unsupported '%s' type entity (Handle='%s', Layer='%s')."},
    {50099,
     "Warning : The input file coordinate system (%s) is an arbitrary\n"
     " XY coordinate system.  No data conversion will be performed to the\n"
     " output file coordinate system %s."},
    {50100,
     "Warning : Table data not available. \n"
     " Some objects may not have associated data from table [ %s ]."},
    {50101, "Warning : The input switch /%s is invalid.  Using default switch /%s."},
    {50102, "Warning : Ignoring invalid input switch /%s."},
    {50103,
     "Warning : Coordinates outside the domain of the coordinate system %s have been folded or"
     " clamped into it."},
    {50104,
     "*Error* : The input table [ %s ] has the name of a style table and cannot be exported"
     " together with the style tables."},
    {50110,
     "Warning : The spatial index cannot have %i and %i entries per node (maximum, minimum);"
     " it keeps its defaults of %i and %i."},
    {50111,
     "Warning : The key index cannot hold keys of %i bytes; it keeps its default of %i bytes."},
    {50112, "Warning : The key index cannot have %i entries per node; it keeps its default of %i."},
    {50113,
     "Warning : Object [%s - %s] has interior rings, which are not written: only exterior rings"
     " are. This warning is not repeated."},
    {50114,
     "Warning : Object [%s - %s] has more points or parts than a WLX record can hold and is not"
     " written."},
    {50115,
     "Warning : Object [%s - %s] has a coordinate that is not a finite number and is not"
     " written."},
    {50130,
     "Warning : Coordinates outside the useful range of the coordinate system %s have been"
     " converted; the projection is less accurate there."},
    {50131, "*Error* : The coordinate system metadata cannot be used: %s."},
    {50132,
     "*Error* : The coordinate system %s cannot be written as well-known text: %s. The"
     " /NOCSMETADATA switch writes the file without coordinate system metadata."},
    {50133,
     "Warning : The input holds Z or M values, which are dropped: only the X and Y of each point"
     " are read. This warning is not repeated."},
    {50134, "Warning : %li %s object(s) were skipped: objects of this type cannot be converted."},
};
