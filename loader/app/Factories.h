// The reader and writer of a run, chosen by type letter: one table each.
#pragma once

#include <cstdio>
#include <memory>
#include <span>

#include "common/Status.h"
#include "loader/core/CoordConverter.h"
#include "loader/core/FeatureWriter.h"
#include "loader/core/SourceReader.h"

class CLoaderSettings;

// Constructs a reader; a reader that failed may still be returned (the
// application deletes it after the run).
using ReaderConstructor = std::unique_ptr<CSourceReaderInterface> (*)(CLoaderSettings* settings,
                                                                      Status* status);
using WriterConstructor = std::unique_ptr<CWriterBase> (*)(CLoaderSettings* settings,
                                                           Status* status,
                                                           CTableSchemaList* schemas);

struct ReaderFactoryEntry {
    char letter;  // upper case
    ReaderConstructor construct;
};

struct WriterFactoryEntry {
    char letter;  // upper case
    WriterConstructor construct;
};

std::span<const ReaderFactoryEntry> BuiltInReaders();
std::span<const WriterFactoryEntry> BuiltInWriters();

// Everything a run takes from outside the application object; tests replace
// parts of it.
struct LoaderHooks {
    std::span<const ReaderFactoryEntry> readers = BuiltInReaders();
    std::span<const WriterFactoryEntry> writers = BuiltInWriters();
    CoordConverterMaker makeConverter = MakeCoordConverter;
    CoordSysKeyCheck checkKey = CheckCoordSysKey;
    std::FILE* console = stdout;
    std::FILE* keyboard = stdin;
};
