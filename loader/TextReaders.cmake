# The readers of the BNA, CSV and MIF/MID text formats and the point reducer,
# part of the loader core.
target_sources(loader_core PRIVATE
  BnaParser.cpp
  CsvParser.cpp
  LineSource.cpp
  MifParser.cpp
  PointReducer.cpp
  PointReduction.cpp
  TextScanner.cpp
)

wlx_add_test(textreaders_test
  SOURCES
    tests/BnaParserTest.cpp
    tests/CsvParserTest.cpp
    tests/MifParserTest.cpp
    tests/PointReducerTest.cpp
    tests/PointReductionTest.cpp
  LIBS loader_core
)
add_dependencies(textreaders_test Geoweave)
