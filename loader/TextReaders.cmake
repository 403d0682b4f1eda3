# The readers of the BNA, CSV and MIF/MID text formats and the point reducer.
add_library(wlx_textreaders STATIC
  BnaParser.cpp
  CsvParser.cpp
  LineSource.cpp
  MifParser.cpp
  PointReduction.cpp
  TextScanner.cpp
)

wlx_add_test(textreaders_test
  SOURCES
    tests/BnaParserTest.cpp
    tests/CsvParserTest.cpp
    tests/MifParserTest.cpp
    tests/PointReductionTest.cpp
  LIBS wlx_textreaders
)
