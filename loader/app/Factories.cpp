#include "loader/app/Factories.h"

#include "loader/bna/BnaReader.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/NullWriter.h"
#include "loader/csv/CsvReader.h"
#include "loader/mif/MifReader.h"
#include "loader/shapefile/ShapefileReader.h"
#include "nativeformat/WltReader.h"
#include "nativeformat/WltWriter.h"
#include "nativeformat/WlxReader.h"
#include "nativeformat/WlxWriter.h"
#include "readers/dxf/DwgReader.h"
#include "readers/plugin/ForeignReader.h"

namespace {

std::unique_ptr<CSourceReaderInterface> DwgReader(CLoaderSettings* settings, Status* status) {
    settings->inputIsDwg = 1;
    return std::make_unique<CDwgReader>(settings, status);
}

std::unique_ptr<CSourceReaderInterface> DxfReader(CLoaderSettings* settings, Status* status) {
    settings->inputIsDwg = 0;
    return std::make_unique<CDwgReader>(settings, status);
}

template <class Reader>
std::unique_ptr<CSourceReaderInterface> Construct(CLoaderSettings* settings, Status* status) {
    return std::make_unique<Reader>(settings, status);
}

template <class Writer>
std::unique_ptr<CWriterBase> Construct(CLoaderSettings* settings, Status* status,
                                       CTableSchemaList* schemas) {
    return std::make_unique<Writer>(settings, status, schemas);
}

constexpr ReaderFactoryEntry kReaders[] = {
    {'B', Construct<CBnaReader>},
    {'C', Construct<CCsvReader>},
    {'D', Construct<CForeignReader>},
    {'H', Construct<CShapefileReader>},
    {'L', Construct<CWltReader>},
    {'M', Construct<CMifReader>},
    {'S', Construct<CWlxReader>},
    {'V', Construct<CForeignReader>},
    {'W', DwgReader},
    {'X', DxfReader},
};

constexpr WriterFactoryEntry kWriters[] = {
    {'L', Construct<CWltWriter>},
    {'O', Construct<CNullWriter>},
    {'S', Construct<CWlxWriter>},
};

}  // namespace

std::span<const ReaderFactoryEntry> BuiltInReaders() {
    return kReaders;
}

std::span<const WriterFactoryEntry> BuiltInWriters() {
    return kWriters;
}
