// The WLX file object: creates or opens one WLX file, writes its header and
// records through a 256 KiB buffer, reads records back one at a time, keeps
// the object count, class counters and extent, and finishes the file with its
// end element and summary.
//
// Failures of the file itself (I/O, a malformed file, a broken free-block
// chain, a file that would pass 4 GiB) are sticky: GetStatus() returns the
// first, and every later operation returns it without doing anything, except
// Finish, which still leaves a written file valid (end element after the last
// whole record, summary rewritten). An object that cannot be written
// (kWlxTooComplex, kWlxTooManyParts, or kWlxInvalidParameter for missing
// points or a coordinate that would not be stored finite, such as one beyond
// float range in a 32-bit file) is skipped: the write returns that status,
// writes nothing, and GetStatus() stays 0.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "coordsys/CoordSysDescriptor.h"
#include "nativeformat/WlxFileBase.h"

class CWlxFile : public CWlxFileBase {
public:
    // Opens or creates `name` with the open flags of CBinaryFile.
    CWlxFile(const std::string& name, int flags, Status& status);
    ~CWlxFile() override;

    int GetPrecision() const override { return precision_; }
    // Before the header is written only: 32 or 64.
    Status SetPrecision(std::uint16_t precision) override;
    Status SetDescription(const char* text) override;

    Status NextRecord(int& type) override;
    Status SkipRecord() override;

    Status ReadPoint(const char*& name, const char*& key, const char*& link, double& x,
                     double& y) override;
    Status ReadLineString(const char*& name, const char*& key, const char*& link,
                          std::uint32_t& count, const double*& points) override;
    Status ReadMultiLineString(const char*& name, const char*& key, const char*& link,
                               std::uint32_t& partCount, const std::uint32_t*& partCounts,
                               const double*& points) override;
    Status ReadPolygon(const char*& name, const char*& key, const char*& link, std::uint32_t& count,
                       const double*& points) override;
    Status ReadMultiPolygon(const char*& name, const char*& key, const char*& link,
                            std::uint32_t& ringCount, const std::uint32_t*& ringCounts,
                            const double*& points) override;

    Status WritePoint(const char* name, const char* key, const char* link, double x, double y,
                      std::uint32_t& offset, double* extent = nullptr) override;
    Status WriteLineString(const char* name, const char* key, const char* link, std::uint32_t count,
                           const double* points, std::uint32_t& offset,
                           double* extent = nullptr) override;
    Status WriteMultiLineString(const char* name, const char* key, const char* link,
                                std::uint32_t partCount, const std::uint32_t* partCounts,
                                const double* points, std::uint32_t& offset,
                                double* extent = nullptr) override;
    // Rings are stored closed; rings over the point limit are generalized.
    Status WritePolygon(const char* name, const char* key, const char* link, std::uint32_t count,
                        const double* points, std::uint32_t& offset,
                        double* extent = nullptr) override;
    Status WriteMultiPolygon(const char* name, const char* key, const char* link,
                             std::uint32_t ringCount, const std::uint32_t* ringCounts,
                             const double* points, std::uint32_t& offset,
                             double* extent = nullptr) override;

    // Before the header is written only; null removes the metadata.
    Status SetCoordSysMetadata(const CCoordSysDescriptor* descriptor);
    bool HasCoordSysMetadata() const { return hasCoordSys_; }
    // Null when the file carries no coordinate system.
    const CCoordSysDescriptor* GetCoordSysDescriptor() const {
        return hasCoordSys_ ? &descriptor_ : nullptr;
    }

    // Writes the end element and the summary. `extent` (four values) is taken
    // when no written point has set the extent.
    Status Finish(const double* extent = nullptr);
    // Positions reading at the first record.
    Status RewindData();
    Status EndRead();

    Status GetStatus() const { return status_; }
    int GetVersion() const { return version_; }
    int GetMetadataVersion() const { return metadataVersion_; }
    bool HasDescription() const { return hasDescription_; }
    const std::string& GetDescription() const { return description_; }
    std::uint32_t GetObjectCount() const { return objectCount_; }
    // The file's extent; all zeros while it holds no object.
    void GetExtent(double extent[4]) const;

private:
    struct FreeBlock {
        std::uint32_t offset;
        std::uint32_t body;
        std::uint32_t length;
        bool longForm;
        std::uint32_t next;
    };
    // One object to write: the rings or parts with their points, as given or
    // as generalized.
    struct Shape {
        int type;
        std::span<const std::uint32_t> counts;
        std::span<const double> points;
    };

    Status Fail(Status status);
    Status Open(const std::string& name, int flags);
    Status ReadHeader();
    Status ReadHeaderElement(int tag, std::span<const std::uint8_t> body);
    Status CheckEndElement();

    // Writing.
    Status BeginWrite();
    Status WriteHeader();
    Status WriteRecord(const Shape& shape, const char* name, const char* key, const char* link,
                       std::uint32_t& offset, double* extent);
    Status GeneralizeIfNeeded(std::span<const std::uint32_t> counts, std::span<const double> points,
                              std::uint32_t limit, Shape& shape);
    Status LoadFreeChain();
    Status TakeFreeBlock(std::uint32_t needed, FreeBlock& block, bool& found);
    bool AppendElement(int tag, std::span<const std::uint8_t> body);
    bool EncodeRecord(const Shape& shape, std::string_view name, std::string_view key,
                      std::string_view link, std::uint32_t stringsSize, std::uint32_t length,
                      bool longForm);
    bool EncodePoints(const double* xy, std::size_t n);
    std::uint8_t* Room(std::size_t n);
    bool FlushWrite();
    bool MoveWriteTo(std::uint32_t offset);

    // Reading.
    Status ReadAt(std::uint64_t offset, std::size_t n, std::uint8_t* out);
    // The element at `at`: its tag, its body's length and where the body starts.
    Status ReadElementHeader(std::uint64_t at, int& tag, std::uint64_t& length,
                             std::uint64_t& body);
    // Consumes the pending record of `type`; the texts point into the
    // object's buffers.
    Status ReadCurrent(int type, const char*& name, const char*& key, const char*& link);
    // The same for a record of one run of points, or of parts.
    Status ReadPart(int type, const char*& name, const char*& key, const char*& link,
                    std::uint32_t& count, const double*& points);
    Status ReadParts(int type, const char*& name, const char*& key, const char*& link,
                     std::uint32_t& partCount, const std::uint32_t*& partCounts,
                     const double*& points);
    Status ParseRecord(std::span<const std::uint8_t> body, int type);
    Status PassVersion1Record();

    CCoordSysDescriptor descriptor_;
    bool hasCoordSys_ = false;
    std::string description_;
    bool hasDescription_ = false;
    std::uint16_t version_ = 2;
    std::uint16_t metadataVersion_ = 0;
    std::uint16_t precision_ = 32;

    std::uint32_t freeHead_ = 0;
    bool freeChainLoaded_ = false;
    std::vector<FreeBlock> freeChain_;
    std::uint32_t objectCount_ = 0;
    std::uint32_t storedFlags_ = 0;
    double extent_[4] = {0, 0, 0, 0};
    bool extentSet_ = false;
    std::uint32_t pointObjects_ = 0;
    std::uint32_t lineObjects_ = 0;
    std::uint32_t polygonObjects_ = 0;

    // The current record of reading.
    int recType_ = kWlxOtherElement;
    std::uint32_t recBody_ = 0;
    std::uint32_t recLength_ = 0;
    bool recPending_ = false;  // read but neither consumed nor skipped
    std::uint64_t readPos_ = 0;
    bool readAtEnd_ = false;

    std::uint32_t dataStart_ = 0;
    std::uint32_t endOfData_ = 0;
    std::uint64_t fileSize_ = 0;  // bytes known to be in the file

    std::vector<std::uint8_t> readBuffer_;
    std::vector<std::uint8_t> writeBuffer_;
    std::size_t writeFill_ = 0;
    std::uint64_t writeBase_ = 0;  // file offset of writeBuffer_[0]

    // Generalized rings.
    std::vector<double> workPoints_;
    std::vector<std::uint32_t> workCounts_;

    bool opened_ = false;  // the file is open and its header is sound
    bool headerWritten_ = false;
    bool finished_ = false;
    Status status_ = 0;
};
