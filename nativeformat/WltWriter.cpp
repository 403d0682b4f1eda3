#include "nativeformat/WltWriter.h"

#include <algorithm>
#include <fstream>

#include "coordsys/CoordSysDescriptor.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/FileNames.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointGeometry.h"
#include "loader/core/Utf8Text.h"
#include "nativeformat/NativeCoordSys.h"
#include "nativeformat/NativeGeometry.h"
#include "nativeformat/WltFormat.h"

namespace {

bool EndsWithLineEnd(const std::string& name) {
    std::ifstream file(name, std::ios::binary | std::ios::ate);
    if (!file || file.tellg() <= 0) return true;
    file.seekg(-1, std::ios::end);
    return file.get() == '\n';
}

std::string OneLine(const char* text) {
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

}  // namespace

CWltWriter::CWltWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
    : CNativeWriter(settings, status, schemas) {
    if (*status == 0) *status = Open();
}

Status CWltWriter::Open() {
    CLoaderSettings& settings = *settings_;
    settings.outputName = RemoveExtension(settings.outputName) + ".wlt";
    file_ = std::make_unique<CTextFile>(settings.outputName);

    // A WLX input keeps its precision unless told otherwise.
    int precision = settings.precisionBits;
    if (UpperAscii(settings.inputType) == 'S' && !settings.precisionGiven)
        precision = settings.inputPrecision;
    decimals_ = precision > 32 ? kWltDecimals64 : kWltDecimals32;

    const bool exists = file_->Exists();
    const int action = UpperAscii(settings.overwriteAction);
    if (exists && action == 'A') {
        if (const Status status = CheckExistingFile()) return status;
        // Records follow those already in the file: no header of their own,
        // but a line of their own when the file's last line has no end.
        const bool lineOpen = !EndsWithLineEnd(settings.outputName);
        if (const Status status = file_->OpenWrite(true)) return status;
        return lineOpen ? file_->Write("\n") : 0;
    }
    if (exists && action != 'O') return kLoaderOutputExists;

    // A new file, or one replaced: its header, with the metadata unless
    // /NOCSMETADATA.
    std::string wkt;
    bool withMetadata = false;
    if (!settings.noCoordSysMetadata) {
        if (const Status status = ChooseOutputCoordSys(settings)) return status;
        if (!CoordSysToWkt(*settings.outputCoordSys, wkt, &settings)) {
            SetStatusArgs(settings.outputName.c_str(), nullptr);
            return kLoaderWltMetadataWriteError;
        }
        withMetadata = true;
    }
    if (const Status status = file_->OpenWrite(false)) return status;
    return file_->Write(FormatWltHeader(withMetadata ? &wkt : nullptr));
}

Status CWltWriter::CheckExistingFile() {
    CLoaderSettings& settings = *settings_;
    CWltHeader header;
    if (Status status = file_->OpenRead()) return status;
    Status status = ReadWltHeader(*file_, header);
    file_->Close();
    // A file of no records has only its header.
    if (status == kWlxEndOfData) status = 0;
    if (status == kLoaderWltMetadataReadError) SetStatusArgs(settings.outputName.c_str(), nullptr);
    if (status != 0) return status;

    std::unique_ptr<CCoordSysDescriptor> fileCoordSys;
    if (header.coordSysText && !header.coordSysText->empty()) {
        fileCoordSys = CoordSysFromWkt(*header.coordSysText, &settings);
        if (!fileCoordSys) {
            SetStatusArgs(settings.outputName.c_str(), nullptr);
            return kLoaderWltMetadataReadError;
        }
    }
    return CheckAppendCoordSys(settings, fileCoordSys.get());
}

Status CWltWriter::Close() {
    if (closed_) return 0;
    closed_ = true;
    const Status status = file_->Close();
    const Status tables = CloseTableWriters();
    return status ? status : tables;
}

void CWltWriter::WarnTooFew(const CFeatureRecord& record, bool section) {
    WarnTooFewPoints(OneLine(record.GetName()).c_str(), OneLine(record.GetKey()).c_str(), section);
}

Status CWltWriter::WriteRecord(const CFeatureRecord& record, char kind) {
    text_ = FormatWltRecordHeader(kind, record.GetName(), record.GetKey(), record.GetLink(),
                                  static_cast<std::int64_t>(record_.size()));
    for (const CPoint2d& point : record_) AppendWltPoint(text_, point, decimals_);
    return file_->Write(text_);
}

Status CWltWriter::TakePoints(IWKBLineString* line) {
    if (const Status status = GeometryStatus(ReadLinePoints(line, part_))) return status;
    // Compared as the reader will read them back.
    for (CPoint2d& p : part_) {
        p.x = RoundToWltText(p.x, decimals_);
        p.y = RoundToWltText(p.y, decimals_);
    }
    return 0;
}

Status CWltWriter::WritePoint(const CFeatureRecord& record, double x, double y, bool& written) {
    record_.assign(1, CPoint2d{x, y});
    written = true;
    return WriteRecord(record, 'M');
}

// The record of `kind` with the points gathered in record_, warning when
// there are none or when `leftOut` parts were too short. A multi-geometry
// whose every member was too short is told as such, by its sections.
Status CWltWriter::WriteGathered(const CFeatureRecord& record, char kind, bool leftOut,
                                 bool& written) {
    if (record_.empty()) {
        WarnTooFew(record, leftOut);
        return 0;
    }
    if (leftOut) WarnTooFew(record, true);
    written = true;
    return WriteRecord(record, kind);
}

Status CWltWriter::WriteLineString(const CFeatureRecord& record, IWKBLineString* line,
                                   bool& written) {
    if (const Status status = TakePoints(line)) return status;
    if (PrepareWltLine(part_, false))
        record_.swap(part_);
    else
        record_.clear();
    return WriteGathered(record, 'L', false, written);
}

Status CWltWriter::TakeRing(const CFeatureRecord& record, IWKBPolygon* polygon, bool& kept) {
    ComPtr<IWKBLineString> ring;
    bool hasHoles = false;
    if (const Status status = GetExteriorRing(polygon, ring, hasHoles)) return status;
    if (hasHoles) WarnInteriorRings(record);
    if (const Status status = TakePoints(ring.Get())) return status;
    kept = PrepareWltRing(part_);
    return 0;
}

Status CWltWriter::WritePolygon(const CFeatureRecord& record, IWKBPolygon* polygon, bool& written) {
    bool kept = false;
    if (const Status status = TakeRing(record, polygon, kept)) return status;
    if (kept)
        record_.swap(part_);
    else
        record_.clear();
    return WriteGathered(record, 'P', false, written);
}

Status CWltWriter::WriteMultiLineString(const CFeatureRecord& record, IWKBMultiLineString* lines,
                                        bool& written) {
    record_.clear();
    bool leftOut = false;
    if (const Status status = ForEachMember(lines, [&](IWKBLineString* line) {
            if (const Status taken = TakePoints(line)) return taken;
            if (PrepareWltLine(part_, true))
                record_.insert(record_.end(), part_.begin(), part_.end());
            else
                leftOut = true;
            return 0;
        }))
        return status;
    return WriteGathered(record, 'L', leftOut, written);
}

Status CWltWriter::WriteMultiPolygon(const CFeatureRecord& record, IWKBMultiPolygon* polygons,
                                     bool& written) {
    record_.clear();
    bool leftOut = false;
    if (const Status status = ForEachMember(polygons, [&](IWKBPolygon* polygon) {
            bool kept = false;
            if (const Status taken = TakeRing(record, polygon, kept)) return taken;
            if (kept)
                record_.insert(record_.end(), part_.begin(), part_.end());
            else
                leftOut = true;
            return 0;
        }))
        return status;
    return WriteGathered(record, 'P', leftOut, written);
}
