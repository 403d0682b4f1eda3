# The loader's data model: attribute and style tables, symbol metafiles, text
# and binary files, table export.
add_library(loader_data STATIC
  AttributeTable.cpp
  ColKeyTemplate.cpp
  DbfTable.cpp
  EntityStyle.cpp
  FeatureRecord.cpp
  FileNames.cpp
  GeometryExtent.cpp
  ObjectKeyGenerator.cpp
  PendingMessages.cpp
  ShapeRecord.cpp
  SymbolMetafileWriter.cpp
  TableWriter.cpp
  TextCompare.cpp
  TextFile.cpp
  UnicodeEscapes.cpp
  Win32File.cpp
)
target_link_libraries(loader_data PUBLIC platform geometry_api)

wlx_add_test(loader_data_tests
  SOURCES
    tests/AttributeTableTest.cpp
    tests/ColKeyTemplateTest.cpp
    tests/DbfTableTest.cpp
    tests/EntityStyleTest.cpp
    tests/FeatureRecordTest.cpp
    tests/FileClassesTest.cpp
    tests/FileNamesTest.cpp
    tests/GeometryExtentTest.cpp
    tests/ObjectKeyGeneratorTest.cpp
    tests/ShapeRecordTest.cpp
    tests/SymbolMetafileTest.cpp
    tests/TableWriterTest.cpp
  LIBS loader_data
)
add_dependencies(loader_data_tests Geoweave)
