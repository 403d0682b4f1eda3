// Layout constants of coverage files and INFO tables, shared by the read and
// the write side.
#pragma once

#include <cstddef>
#include <cstdint>

// File names inside a cover (".adf" appended for suffixed covers).
inline constexpr const char* kTamrecAdfSuffix = ".adf";
inline constexpr const char* kTamrecTicDbf = "tic.dbf";
inline constexpr const char* kTamrecBndDbf = "bnd.dbf";
inline constexpr const char* kTamrecInfoDirectory = "info";
inline constexpr const char* kTamrecDirStyle3 = "arcdr9";
inline constexpr const char* kTamrecDirStyle4 = "arc.dir";

// The 100-byte header of indexed files, lab and msk.
inline constexpr std::size_t kTamrecHeaderSize = 100;
inline constexpr std::int32_t kTamrecMagicIndexed = 9994;
inline constexpr std::int32_t kTamrecMagicLabels = 9993;
inline constexpr std::size_t kTamrecHeaderTypeOffset = 4;
inline constexpr std::size_t kTamrecHeaderLengthOffset = 24;  // in 16-bit words
// The table form puts 256 bytes ahead of that header.
inline constexpr std::size_t kTamrecTablePrefixSize = 256;
// The single-precision annotation layout with a header and point lists after the text.
inline constexpr std::int32_t kTamrecTextLayoutTwo = 67;

inline constexpr std::size_t kTamrecIndexEntrySize = 8;
inline constexpr std::size_t kTamrecRecordPrefixSize = 8;

// Fixed record sizes (single / double precision).
inline constexpr std::int32_t kTamrecLabelSize = 32;
inline constexpr std::int32_t kTamrecLabelSizeDouble = 56;
inline constexpr std::int32_t kTamrecTicSize = 12;
inline constexpr std::int32_t kTamrecTicSizeDouble = 20;
inline constexpr std::int32_t kTamrecBoundsSize = 16;
inline constexpr std::int32_t kTamrecBoundsSizeDouble = 32;
inline constexpr std::int32_t kTamrecToleranceSize = 12;

// Record-size limits of the writer; the reader grows its buffers past them.
inline constexpr std::int32_t kTamrecArcVertexLimit = 500;
inline constexpr std::int32_t kTamrecPolygonArcLimit = 10000;
inline constexpr std::int32_t kTamrecCentroidLabelLimit = 100;
inline constexpr std::int32_t kTamrecTextBufferSize = 696;

// INFO directory records and item definitions.
inline constexpr std::size_t kTamrecDirRecordSize = 380;
inline constexpr std::size_t kTamrecDirFileNameOffset = 32;
inline constexpr std::size_t kTamrecDirItemCountOffset = 40;  // then the record length
inline constexpr std::size_t kTamrecDirDeletedOffset = 62;
inline constexpr std::size_t kTamrecItemRecordSize = 144;
