// The ellipsoid, datum and coordinate-system dictionaries: a four-byte magic
// number, then fixed-size little-endian records sorted by key (letter case
// ignored), so that a lookup finds a key by halving. Every failure is left in
// the library's last-error state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "coordsys/core/CsRecords.h"

inline constexpr char kCsEllipsoidFile[] = "Elipsoid.CSD";
inline constexpr char kCsDatumFile[] = "Datums.CSD";
inline constexpr char kCsCoordSysFile[] = "Coordsys.CSD";

inline constexpr std::uint32_t kCsEllipsoidMagic = 0x800D0010u;
inline constexpr std::uint32_t kCsDatumMagic = 0x800D0011u;
inline constexpr std::uint32_t kCsCoordSysMagic = 0x800D0012u;

inline constexpr int kCsEllipsoidRecordSize = 208;
inline constexpr int kCsDatumRecordSize = 352;
inline constexpr int kCsCoordSysRecordSize = 728;

// Where each record keeps its scramble seed.
inline constexpr int kCsEllipsoidSeedOffset = 30;
inline constexpr int kCsDatumSeedOffset = 144;
inline constexpr int kCsCoordSysSeedOffset = 208;

// Byte-order descriptions of the records (see CS_swapByFormat).
inline constexpr char kCsEllipsoidFormat[] = "24c8cdddd64c64cs7s";
inline constexpr char kCsDatumFormat[] = "24c24c24c24c48c8cddddddd64c64css6s";
inline constexpr char kCsCoordSysFormat[] =
    "24c24c24c24c24c24c48c16c8c24ddddddddd2ddddd2d2d2d2d64c64cssss4s";

// ---------------------------------------------------------------------------
// Record codecs (the stored bytes, independent of the host's byte order)

void CS_encodeEllipsoid(const CsEllipsoidDef& def, std::uint8_t out[kCsEllipsoidRecordSize]);
void CS_encodeDatum(const CsDatumDef& def, std::uint8_t out[kCsDatumRecordSize]);
void CS_encodeCoordSys(const CsCoordSysDef& def, std::uint8_t out[kCsCoordSysRecordSize]);
void CS_decodeEllipsoid(const std::uint8_t in[kCsEllipsoidRecordSize], CsEllipsoidDef* def);
void CS_decodeDatum(const std::uint8_t in[kCsDatumRecordSize], CsDatumDef* def);
void CS_decodeCoordSys(const std::uint8_t in[kCsCoordSysRecordSize], CsCoordSysDef* def);

// Undoes the running-XOR scrambling of a stored record in place when its seed
// byte is not zero; returns 1 when it did, 0 for a plain record.
int CS_unscramble(std::uint8_t* record, int size, int seedOffset);

// Key order of stored records (scrambled keys compared unscrambled); usable
// with CS_sortFile.
int CS_compareEllipsoidRecords(const void* a, const void* b);
int CS_compareDatumRecords(const void* a, const void* b);
int CS_compareCoordSysRecords(const void* a, const void* b);

// ---------------------------------------------------------------------------
// Dictionary access

// Opens the dictionary in the dictionary directory and checks its magic
// number (and that it holds whole records); the stream stands after it.
std::FILE* CS_openEllipsoidDictionary(const char* mode);
std::FILE* CS_openDatumDictionary(const char* mode);
std::FILE* CS_openCoordSysDictionary(const char* mode);
void CS_closeDictionary(std::FILE* file);

// Reads the record at the current position: 1 read, 0 at the end, -1 failure.
// `scrambled` (may be null) tells whether it was stored scrambled.
int CS_readEllipsoidRecord(std::FILE* file, CsEllipsoidDef* def, int* scrambled);
int CS_readDatumRecord(std::FILE* file, CsDatumDef* def, int* scrambled);
int CS_readCoordSysRecord(std::FILE* file, CsCoordSysDef* def, int* scrambled);

// A new record with the key (free with CS_free), or null with the reason
// reported: 118/193 bad key, 135/111/103 not found, 160/161 a damaged
// ellipsoid or datum record (values not finite, an ellipsoid not one body), or
// the file's failure.
CsEllipsoidDef* CS_lookupEllipsoid(const char* key);
CsDatumDef* CS_lookupDatum(const char* key);
CsCoordSysDef* CS_lookupCoordSys(const char* key);

// Whether an ellipsoid record is one body: radii of at most kCsMaxRadius
// metres, the polar radius not above the equatorial one, and flattening and
// eccentricity agreeing with them within kCsEllipsoidTolerance. A lookup
// refuses any other with 160.
inline constexpr double kCsMaxRadius = 1e10;
inline constexpr double kCsEllipsoidTolerance = 1e-9;
bool CS_soundEllipsoid(const CsEllipsoidDef& def);

// CRC-16 with the CCITT polynomial 0x1021, most significant bit first, no
// final XOR.
unsigned CS_crc16(unsigned initial, const void* bytes, std::size_t length);
