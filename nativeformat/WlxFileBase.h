// Operations of a WLX file object. The base keeps the object limits and the
// buffers that reads hand out; every reading, writing and precision operation
// it does not implement returns kWlxNotSupported.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/Status.h"
#include "nativeformat/BinaryFile.h"
#include "nativeformat/WlxFormat.h"

class CWlxFileBase {
public:
    static constexpr std::uint32_t kMinPointLimit = 8;
    static constexpr std::uint32_t kMaxPointLimit = 0x200000;

    virtual int GetFirstFixedValue() const { return 1; }
    virtual ~CWlxFileBase();
    virtual int GetSecondFixedValue() const { return 0; }

    virtual int GetGeneralized() const { return generalized_; }
    virtual int SetGeneralized(int value) { return generalized_ = value; }
    virtual std::uint32_t GetMaxPoints() const { return maxPoints_; }
    // Keeps n within 8..0x200000 and returns what it stored.
    virtual std::uint32_t SetMaxPoints(std::uint32_t n);

    virtual int GetPrecision() const { return kWlxNotSupported; }
    virtual Status SetPrecision(std::uint16_t precision);
    virtual Status SetDescription(const char* text);

    // Reading, one record at a time: NextRecord reports the next element's
    // type (EWlxRecordType); a read of that type or SkipRecord moves past it.
    virtual Status NextRecord(int& type);
    virtual Status SkipRecord();

    // Out-values point into the object's buffers and stay valid until the
    // next read. Points are x, y pairs.
    virtual Status ReadPoint(const char*& name, const char*& key, const char*& link, double& x,
                             double& y);
    virtual Status ReadPointList(const char*& name, const char*& key, const char*& link,
                                 std::uint32_t& count, const double*& points);
    virtual Status ReadLineString(const char*& name, const char*& key, const char*& link,
                                  std::uint32_t& count, const double*& points);
    virtual Status ReadMultiLineString(const char*& name, const char*& key, const char*& link,
                                       std::uint32_t& partCount, const std::uint32_t*& partCounts,
                                       const double*& points);
    virtual Status ReadPolygon(const char*& name, const char*& key, const char*& link,
                               std::uint32_t& count, const double*& points);
    virtual Status ReadMultiPolygon(const char*& name, const char*& key, const char*& link,
                                    std::uint32_t& ringCount, const std::uint32_t*& ringCounts,
                                    const double*& points);

    // Writing: `offset` receives the record's file offset and `extent`, when
    // given, the object's own extent (minimum x, minimum y, maximum x, maximum
    // y). Null texts are written empty.
    virtual Status WritePoint(const char* name, const char* key, const char* link, double x,
                              double y, std::uint32_t& offset, double* extent = nullptr);
    virtual Status WritePointList(const char* name, const char* key, const char* link,
                                  std::uint32_t count, const double* points, std::uint32_t& offset,
                                  double* extent = nullptr);
    virtual Status WriteLineString(const char* name, const char* key, const char* link,
                                   std::uint32_t count, const double* points, std::uint32_t& offset,
                                   double* extent = nullptr);
    virtual Status WriteMultiLineString(const char* name, const char* key, const char* link,
                                        std::uint32_t partCount, const std::uint32_t* partCounts,
                                        const double* points, std::uint32_t& offset,
                                        double* extent = nullptr);
    virtual Status WritePolygon(const char* name, const char* key, const char* link,
                                std::uint32_t count, const double* points, std::uint32_t& offset,
                                double* extent = nullptr);
    virtual Status WriteMultiPolygon(const char* name, const char* key, const char* link,
                                     std::uint32_t ringCount, const std::uint32_t* ringCounts,
                                     const double* points, std::uint32_t& offset,
                                     double* extent = nullptr);

    bool IsNewFile() const { return file_.IsNewFile(); }
    bool IsReadOnly() const { return file_.IsReadOnly(); }
    const std::string& GetFileName() const { return fileName_; }

protected:
    CWlxFileBase() = default;
    CWlxFileBase(const CWlxFileBase&) = delete;
    CWlxFileBase& operator=(const CWlxFileBase&) = delete;

    std::uint32_t maxPoints_ = kMaxPointLimit;
    int generalized_ = 0;
    CBinaryFile file_;
    std::string fileName_;
    // What the last read handed out.
    std::string name_;
    std::string key_;
    std::string link_;
    std::vector<std::uint32_t> partCounts_;
    std::vector<double> points_;
};
