#include "nativeformat/WlxWriter.h"

#include <filesystem>
#include <string>
#include <utility>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileNames.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/Utf8Text.h"
#include "nativeformat/NativeCoordSys.h"
#include "nativeformat/NativeGeometry.h"

namespace {

bool SamePoint(const double* xy, std::size_t a, std::size_t b) {
    return xy[2 * a] == xy[2 * b] && xy[2 * a + 1] == xy[2 * b + 1];
}

// A line needs two distinct points, a ring three with some area between them.
bool TooFewForLine(const double* xy, std::size_t n) {
    return n < 2 || (n == 2 && SamePoint(xy, 0, 1));
}
bool TooFewForRing(const double* xy, std::size_t n) {
    return n < 3 || (n == 3 && SamePoint(xy, 0, 2));
}

}  // namespace

CWlxWriter::CWlxWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
    : CNativeWriter(settings, status, schemas) {
    if (*status == 0 && (*status = Open()) != 0) DiscardNewFiles();
}

void CWlxWriter::DiscardNewFiles() {
    std::vector<std::string> created;
    if (file_ && file_->IsNewFile()) created.push_back(settings_->outputName);
    if (spatialIndex_ && spatialIndex_->IsNewFile()) created.push_back(settings_->sifName);
    if (keyIndex_ && keyIndex_->IsNewFile()) created.push_back(settings_->kifName);
    file_.reset();
    spatialIndex_.reset();
    keyIndex_.reset();
    closed_ = true;
    std::error_code error;
    for (const std::string& name : created) std::filesystem::remove(name, error);
}

CWlxWriter::~CWlxWriter() {
    // A run that ends without Close still leaves both indexes alike.
    if (!closed_ && spatialIndex_) SettleIndexes(nullptr);
    file_.reset();
    spatialIndex_.reset();
    keyIndex_.reset();
}

Status CWlxWriter::Open() {
    CLoaderSettings& settings = *settings_;
    const std::string base = RemoveExtension(settings.outputName);
    settings.sifName = base + ".sif";
    settings.kifName = base + ".kif";
    settings.outputName = base + ".wlx";

    int flags = kOpenReadWrite | kOpenCreateNew;
    if (CBinaryFile::Exists(settings.outputName)) {
        switch (UpperAscii(settings.overwriteAction)) {
            case 'A':
                flags = kOpenReadWrite;
                break;
            case 'O': {
                std::error_code error;
                for (const std::string* name :
                     {&settings.outputName, &settings.sifName, &settings.kifName})
                    std::filesystem::remove(*name, error);
                flags = kOpenReadWrite | kOpenCreateAlways;
                break;
            }
            default:
                return kLoaderOutputExists;
        }
    }

    Status status = 0;
    file_ = std::make_unique<CWlxFile>(settings.outputName, flags, status);
    if (status != 0) {
        file_.reset();
        SetStatusArgs(settings.outputName.c_str(), nullptr);
        return status;
    }
    spatialIndex_ = std::make_unique<CSpatialIndexFile>(settings.sifName, flags, status);
    if (status != 0) {
        spatialIndex_.reset();
        SetStatusArgs(settings.sifName.c_str(), nullptr);
        return status;
    }
    // Records appended to a file with a key index go into it too, asked for
    // or not, with the key length it stores.
    const bool appending = (flags & (kOpenCreateNew | kOpenCreateAlways)) == 0;
    if (settings.keyIndex || (appending && CBinaryFile::Exists(settings.kifName))) {
        keyIndex_ = std::make_unique<CKeyIndexFile>(settings.kifName, flags, status);
        if (status != 0) {
            keyIndex_.reset();
            SetStatusArgs(settings.kifName.c_str(), nullptr);
            return status;
        }
    }
    return file_->IsNewFile() ? StampNewFile() : CheckExistingFile();
}

Status CWlxWriter::StampNewFile() {
    CLoaderSettings& settings = *settings_;
    const bool nativeInput = UpperAscii(settings.inputType) == 'S';
    // A WLX input keeps its precision and description unless told otherwise.
    int precision = settings.precisionBits;
    if (nativeInput && !settings.precisionGiven) precision = settings.inputPrecision;
    if (precision == 0) precision = 32;
    if (precision != 32 && precision != 64) return kWlxInvalidPrecision;

    const std::string description = nativeInput && settings.inputDescription
                                        ? *settings.inputDescription
                                        : LoadMessage(kMsgDefaultDescription);
    if (const Status status = file_->SetDescription(description.c_str())) return status;
    if (const Status status = file_->SetPrecision(static_cast<std::uint16_t>(precision)))
        return status;
    if (const Status status = spatialIndex_->SetPrecision(precision)) return status;

    // An index parameter the index cannot take leaves its default, with a warning.
    auto warn = [&](const auto& message, auto... values) {
        ShowWarning(Format(message, values...));
    };
    Status status =
        spatialIndex_->SetEntryLimits(settings.indexMaxEntries, settings.indexMinEntries);
    if (status == kSifInvalidParameter) {
        warn(kMsgSpatialIndexLimitsKept, settings.indexMaxEntries, settings.indexMinEntries,
             spatialIndex_->GetMaxEntries(), spatialIndex_->GetMinEntries());
    } else if (status != 0) {
        return status;
    }
    if (keyIndex_) {
        status = keyIndex_->SetNodeCapacity(settings.keyIndexNodeCapacity);
        if (status == kKifInvalidParameter) {
            warn(kMsgNodeCapacityKept, settings.keyIndexNodeCapacity, keyIndex_->GetNodeCapacity());
        } else if (status != 0) {
            return status;
        }
        status = keyIndex_->SetMaxKeyLength(settings.maxKeyLength);
        if (status == kKifInvalidParameter) {
            warn(kMsgKeyLengthKept, settings.maxKeyLength, keyIndex_->GetMaxKeyLength());
        } else if (status != 0) {
            return status;
        }
    }

    if (settings.noCoordSysMetadata) return file_->SetCoordSysMetadata(nullptr);
    if (const Status chosen = ChooseOutputCoordSys(settings)) return chosen;
    return file_->SetCoordSysMetadata(settings.outputCoordSys.get());
}

Status CWlxWriter::CheckExistingFile() {
    if (const Status status = CheckAppendCoordSys(*settings_, file_->GetCoordSysDescriptor()))
        return status;
    const int precision = settings_->precisionBits == 0 ? 32 : settings_->precisionBits;
    if (file_->GetPrecision() != precision || spatialIndex_->GetPrecision() != precision)
        return kWlxPrecisionMismatch;
    return 0;
}

Status CWlxWriter::Close() {
    if (closed_) return 0;
    closed_ = true;
    Status status = SettleIndexes(nullptr);
    auto keep = [&status](Status next) {
        if (status == 0) status = next;
    };
    if (settings_->integrityTest) keep(spatialIndex_->CheckIntegrity());
    keep(file_->Finish());
    keep(spatialIndex_->Close());
    if (keyIndex_) keep(keyIndex_->Close());
    keep(CloseTableWriters());
    return status;
}

Status CWlxWriter::Index(const CFeatureRecord& record, int recordType, const double extent[4],
                         std::uint32_t offset) {
    if (const Status status =
            spatialIndex_->Insert(static_cast<std::uint16_t>(recordType), extent, offset))
        return status;
    heldOffset_ = offset;
    if (keyIndex_) heldKey_ = record.GetKey();
    return 0;
}

Status CWlxWriter::SettleIndexes(const double* extent) {
    // What the spatial index knows of the new record's place loads while it
    // takes the one before.
    spatialIndex_->Anticipate(extent);
    if (heldOffset_ == 0) return 0;
    const std::uint32_t offset = std::exchange(heldOffset_, 0);
    if (const Status status = spatialIndex_->Settle()) return status;
    return keyIndex_ ? keyIndex_->Insert(heldKey_, offset) : 0;
}

Status CWlxWriter::SkipUnwritable(const CFeatureRecord& record, Status status) {
    // The file refused the object and stays sound: the run goes on without it.
    if (file_->GetStatus() != 0) return status;
    const CMessage<const char*, const char*>* message = nullptr;
    if (status == kWlxTooComplex || status == kWlxTooManyParts) {
        message = &kMsgObjectTooLargeSkipped;
    } else if (status == kWlxInvalidParameter) {
        message = &kMsgObjectNotFiniteSkipped;
    } else {
        return status;
    }
    ShowWarning(Format(*message, record.GetName(), record.GetKey()));
    return 0;
}

Status CWlxWriter::WritePoint(const CFeatureRecord& record, double x, double y, bool& written) {
    const double place[] = {x, y, x, y};
    if (const Status status = SettleIndexes(place)) return status;
    std::uint32_t offset = 0;
    double extent[4];
    if (const Status status = file_->WritePoint(record.GetName(), record.GetKey(), record.GetLink(),
                                                x, y, offset, extent))
        return SkipUnwritable(record, status);
    written = true;
    return Index(record, kWlxPointRecord, extent, offset);
}

// Adds the line's points to the scratch arrays as one part unless they are
// too few to be drawn.
Status CWlxWriter::AddPart(IWKBLineString* line, bool ring, bool& added) {
    added = false;
    const std::size_t first = points_.size();
    if (const Status status = AppendLinePoints(line, points_)) return status;
    const std::size_t n = (points_.size() - first) / 2;
    const double* xy = points_.data() + first;
    if (ring ? TooFewForRing(xy, n) : TooFewForLine(xy, n)) {
        points_.resize(first);
        return 0;
    }
    counts_.push_back(static_cast<std::uint32_t>(n));
    added = true;
    return 0;
}

Status CWlxWriter::AddExteriorRing(const CFeatureRecord& record, IWKBPolygon* polygon,
                                   bool& added) {
    added = false;
    ComPtr<IWKBLineString> ring;
    bool hasHoles = false;
    if (const Status status = GetExteriorRing(polygon, ring, hasHoles)) return status;
    if (hasHoles) WarnInteriorRings(record);
    return AddPart(ring.Get(), true, added);
}

Status CWlxWriter::WriteParts(const CFeatureRecord& record, int recordType, bool leftOut,
                              bool& written) {
    // Nothing left to draw: no record rather than an empty one.
    if (counts_.empty()) {
        WarnTooFewPoints(record.GetName(), record.GetKey(), false);
        return 0;
    }
    // The first point tells the index near enough where the shape goes.
    const double place[] = {points_[0], points_[1], points_[0], points_[1]};
    if (const Status status = SettleIndexes(place)) return status;
    const char* name = record.GetName();
    const char* key = record.GetKey();
    const char* link = record.GetLink();
    const auto parts = static_cast<std::uint32_t>(counts_.size());
    std::uint32_t offset = 0;
    double extent[4];
    Status status = 0;
    switch (recordType) {
        case kWlxLineStringRecord:
            status =
                file_->WriteLineString(name, key, link, counts_[0], points_.data(), offset, extent);
            break;
        case kWlxMultiLineStringRecord:
            status = file_->WriteMultiLineString(name, key, link, parts, counts_.data(),
                                                 points_.data(), offset, extent);
            break;
        case kWlxPolygonRecord:
            status =
                file_->WritePolygon(name, key, link, counts_[0], points_.data(), offset, extent);
            break;
        default:
            status = file_->WriteMultiPolygon(name, key, link, parts, counts_.data(),
                                              points_.data(), offset, extent);
            break;
    }
    if (status) return SkipUnwritable(record, status);
    written = true;
    if (leftOut) WarnTooFewPoints(name, key, true);
    return Index(record, recordType, extent, offset);
}

Status CWlxWriter::WriteLineString(const CFeatureRecord& record, IWKBLineString* line,
                                   bool& written) {
    points_.clear();
    counts_.clear();
    bool added = false;
    if (const Status status = AddPart(line, false, added)) return status;
    return WriteParts(record, kWlxLineStringRecord, false, written);
}

Status CWlxWriter::WriteMultiLineString(const CFeatureRecord& record, IWKBMultiLineString* lines,
                                        bool& written) {
    points_.clear();
    counts_.clear();
    bool leftOut = false;
    if (const Status status = ForEachMember(lines, [&](IWKBLineString* line) {
            bool added = false;
            if (const Status taken = AddPart(line, false, added)) return taken;
            leftOut = leftOut || !added;
            return 0;
        }))
        return status;
    return WriteParts(record, kWlxMultiLineStringRecord, leftOut, written);
}

Status CWlxWriter::WritePolygon(const CFeatureRecord& record, IWKBPolygon* polygon, bool& written) {
    points_.clear();
    counts_.clear();
    bool added = false;
    if (const Status status = AddExteriorRing(record, polygon, added)) return status;
    return WriteParts(record, kWlxPolygonRecord, false, written);
}

Status CWlxWriter::WriteMultiPolygon(const CFeatureRecord& record, IWKBMultiPolygon* polygons,
                                     bool& written) {
    points_.clear();
    counts_.clear();
    bool leftOut = false;
    if (const Status status = ForEachMember(polygons, [&](IWKBPolygon* polygon) {
            bool added = false;
            if (const Status taken = AddExteriorRing(record, polygon, added)) return taken;
            leftOut = leftOut || !added;
            return 0;
        }))
        return status;
    return WriteParts(record, kWlxMultiPolygonRecord, leftOut, written);
}
