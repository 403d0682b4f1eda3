#include "coordsys/datum/MultipleRegression.h"

#include <bit>
#include <cmath>
#include <memory>
#include <string>

#include "common/ByteOrder.h"
#include "common/ByteSource.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumInverse.h"
#include "coordsys/datum/GridFileInput.h"

namespace {

using byteorder::Endian;

constexpr int kMaskOffsets[3] = {16, 32, 48};

// Bit n of a term mask, n = 10 p + q.
bool HasTerm(const std::uint32_t mask[4], int n) {
    return (mask[n / 32] & (0x80000000u >> (n % 32))) != 0;
}

// Set bits of a mask among the terms the powers reach.
int TermCount(const CsMrtRecord& r, const std::uint32_t mask[4]) {
    int count = 0;
    for (int p = 0; p < r.vPowers; ++p) {
        for (int q = 0; q < r.uPowers; ++q) count += HasTerm(mask, 10 * p + q);
    }
    return count;
}

// Whether the powers and the three coefficient lists fit the record.
bool TermsFit(const CsMrtRecord& r) {
    if (r.uPowers > kCsMrtMaxPowers || r.vPowers > kCsMrtMaxPowers) return false;
    if (!(std::isfinite(r.k) && std::isfinite(r.latitudeOffset) &&
          std::isfinite(r.longitudeOffset))) {
        return false;
    }
    for (double c : r.coefficients) {
        if (!std::isfinite(c)) return false;
    }
    return TermCount(r, r.longitudeMask) <= kCsMrtCoefficients &&
           r.latitudeFirst + TermCount(r, r.latitudeMask) <= kCsMrtCoefficients &&
           r.heightFirst + TermCount(r, r.heightMask) <= kCsMrtCoefficients;
}

CsDatumShiftMethod FallbackKind(const CsDatumBlock* datum) {
    if (datum->deltaX == 0.0 && datum->deltaY == 0.0 && datum->deltaZ == 0.0) {
        return CsDatumShiftMethod::kNone;
    }
    if (datum->rotX == 0.0 && datum->rotY == 0.0 && datum->rotZ == 0.0) {
        return CsDatumShiftMethod::kMolodensky;
    }
    return datum->bwScale == 0.0 ? CsDatumShiftMethod::kSixParameter
                                 : CsDatumShiftMethod::kSevenParameter;
}

}  // namespace

std::vector<std::uint8_t> CS_encodeMrtRecord(const CsMrtRecord& r) {
    std::vector<std::uint8_t> bytes(kCsMrtRecordSize, 0);
    std::uint8_t* out = bytes.data();
    byteorder::Store<Endian::kLittle>(r.magic, out);
    byteorder::Store<Endian::kLittle>(r.recordSize, out + 4);
    out[8] = r.uPowers;
    out[9] = r.vPowers;
    out[10] = r.latitudeFirst;
    out[11] = r.heightFirst;
    const std::uint32_t* masks[3] = {r.longitudeMask, r.latitudeMask, r.heightMask};
    for (int m = 0; m < 3; ++m) {
        for (int w = 0; w < 4; ++w) {
            byteorder::Store<Endian::kLittle>(masks[m][w], out + kMaskOffsets[m] + 4 * w);
        }
    }
    byteorder::Store<Endian::kLittle>(r.k, out + 64);
    byteorder::Store<Endian::kLittle>(r.latitudeOffset, out + 72);
    byteorder::Store<Endian::kLittle>(r.longitudeOffset, out + 80);
    for (int i = 0; i < kCsMrtCoefficients; ++i) {
        byteorder::Store<Endian::kLittle>(r.coefficients[i], out + 88 + 8 * i);
    }
    return bytes;
}

// Each field at its own offset: the four bytes at 12 lie between the counts
// and the masks.
bool CS_decodeMrtRecord(std::span<const std::uint8_t> bytes, CsMrtRecord* r) {
    if (bytes.size() != static_cast<std::size_t>(kCsMrtRecordSize)) return false;
    CByteCursor cursor(bytes);
    r->magic = cursor.U32Le();
    r->recordSize = cursor.I32Le();
    r->uPowers = cursor.U8();
    r->vPowers = cursor.U8();
    r->latitudeFirst = cursor.U8();
    r->heightFirst = cursor.U8();
    cursor.Skip(4);
    std::uint32_t* masks[3] = {r->longitudeMask, r->latitudeMask, r->heightMask};
    for (std::uint32_t* mask : masks) {
        for (int w = 0; w < 4; ++w) mask[w] = cursor.U32Le();
    }
    r->k = cursor.F64Le();
    r->latitudeOffset = cursor.F64Le();
    r->longitudeOffset = cursor.F64Le();
    for (double& c : r->coefficients) c = cursor.F64Le();
    return cursor.Ok();
}

CsMultipleRegression* CS_setupMultipleRegression(const CsDatumBlock* datum,
                                                 const CsDatumBlock* wgs84) {
    std::string name = std::string(datum->key) + ".MRT";
    const char* path = CS_dataFilePath(name.c_str());
    if (path == nullptr) return nullptr;
    const std::string filePath = path;
    std::unique_ptr<CByteSource> source = CS_openGridSource(filePath);
    if (!source) {
        CS_failWith(kCsErrMregMissing, filePath.c_str());
        return nullptr;
    }
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(source->Size(), kCsMrtRecordSize));
    auto bytes = source->Read(0, count);
    source.reset();
    if (!bytes) {
        CS_failWith(kCsErrIo, filePath.c_str());
        return nullptr;
    }
    // The record-size field must say what was read, and that must be the
    // whole record: a shorter one would leave coefficients unread.
    std::int32_t recordSize =
        count >= 8 ? byteorder::Load<Endian::kLittle, std::int32_t>(bytes->data() + 4) : -1;
    if (count != kCsMrtRecordSize || recordSize != kCsMrtRecordSize) {
        CS_failWith(kCsErrCorrupt, filePath.c_str());
        return nullptr;
    }
    CsMrtRecord record;
    CS_decodeMrtRecord(*bytes, &record);
    if (record.magic != kCsMrtMagic || !TermsFit(record)) {
        CS_failWith(kCsErrMregCorrupt, filePath.c_str());
        return nullptr;
    }

    const CsDatumShiftMethod kind = FallbackKind(datum);
    void* fallback = nullptr;
    if (kind != CsDatumShiftMethod::kNone) {
        fallback = CS_datumShiftSetup(kind, datum, wgs84);
        if (fallback == nullptr) return nullptr;
    }
    auto* method = CS_allocate<CsMultipleRegression>();
    if (method == nullptr) {
        CS_datumShiftFree(kind, fallback);
        return nullptr;
    }
    method->record = record;
    method->fallbackKind = kind;
    method->fallback = fallback;
    return method;
}

void CS_multipleRegressionFree(CsMultipleRegression* method) {
    if (method == nullptr) return;
    CS_datumShiftFree(method->fallbackKind, method->fallback);
    CS_free(method);
}

int CS_evalMultipleRegression(double out[3], const double in[3],
                              const CsMultipleRegression* method) {
    const CsMrtRecord& r = method->record;
    const double u = (in[1] + r.latitudeOffset) * r.k;
    const double v = (in[0] + r.longitudeOffset) * r.k;
    if (std::fabs(u) <= kCsMrtRangeLimit && std::fabs(v) <= kCsMrtRangeLimit) {
        int lonIndex = 0, latIndex = r.latitudeFirst, heightIndex = r.heightFirst;
        double lonSum = 0.0, latSum = 0.0, heightSum = 0.0;
        double vPower = 1.0;
        for (int p = 0; p < r.vPowers; ++p, vPower *= v) {
            double term = vPower;
            for (int q = 0; q < r.uPowers; ++q, term *= u) {
                const int n = 10 * p + q;
                if (HasTerm(r.longitudeMask, n)) lonSum += r.coefficients[lonIndex++] * term;
                if (HasTerm(r.latitudeMask, n)) latSum += r.coefficients[latIndex++] * term;
                if (HasTerm(r.heightMask, n)) heightSum += r.coefficients[heightIndex++] * term;
            }
        }
        out[0] = in[0] + lonSum / 3600.0;
        out[1] = in[1] + latSum / 3600.0;
        out[2] = in[2] + heightSum;
        return 0;
    }
    CS_reportError(kCsErrMregRange);
    if (method->fallbackKind == CsDatumShiftMethod::kNone) {
        for (int i = 0; i < 3; ++i) out[i] = in[i];
        CS_reportError(kCsErrMregNoFallback);
        return -1;
    }
    const int status = CS_datumShiftKernel(method->fallbackKind, method->fallback, out, in);
    return status < 0 ? -1 : 1;
}

// A point served by the fallback is reported as such (2), never as an
// inverse that failed to converge.
int CS_multipleRegressionForward(double out[3], const double in[3],
                                 const CsMultipleRegression* method) {
    const double flat[3] = {in[0], in[1], 0.0};
    double shifted[3];
    const int status = CS_evalMultipleRegression(shifted, flat, method);
    if (status < 0) {
        for (int i = 0; i < 3; ++i) out[i] = in[i];
        return status;
    }
    out[0] = shifted[0];
    out[1] = shifted[1];
    out[2] = in[2];
    return status > 0 ? 2 : 0;
}

int CS_multipleRegressionInverse(double out[3], const double in[3],
                                 const CsMultipleRegression* method) {
    constexpr CsInverseLimits kLimits = {8, 1e-9, 1e-6, kCsErrIterative,
                                         CsInverseLimits::kContinueAsTwo};
    const int status =
        CS_iterateInverse(out, in, kLimits, [method](double o[3], const double i[3]) {
            return CS_multipleRegressionForward(o, i, method);
        });
    return status < 0 ? -1 : status;
}
