# The readers of the BNA, CSV and MIF/MID text formats and the point reducer,
# part of the loader core.
target_sources(loader_core PRIVATE
  BnaParser.cpp
  BnaReader.cpp
  CsvParser.cpp
  CsvReader.cpp
  LineSource.cpp
  MifParser.cpp
  MifReader.cpp
  PointGeometry.cpp
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
    tests/TextReadersTest.cpp
  LIBS loader_core
)
add_dependencies(textreaders_test Geoweave)

wlx_add_test(textreaders_program_test
  SOURCES tests/TextReadersProgramTest.cpp
)
add_dependencies(textreaders_program_test wlxconv Geoweave)
if(TARGET dictionaries)
  add_dependencies(textreaders_program_test dictionaries)
endif()
