#include "nativeformat/WlxFileBase.h"

#include <algorithm>

CWlxFileBase::~CWlxFileBase() = default;

std::uint32_t CWlxFileBase::SetMaxPoints(std::uint32_t n) {
    maxPoints_ = std::clamp(n, kMinPointLimit, kMaxPointLimit);
    return maxPoints_;
}

Status CWlxFileBase::SetPrecision(std::uint16_t) {
    return kWlxNotSupported;
}
Status CWlxFileBase::SetDescription(const char*) {
    return kWlxNotSupported;
}
Status CWlxFileBase::NextRecord(int&) {
    return kWlxNotSupported;
}
Status CWlxFileBase::SkipRecord() {
    return kWlxNotSupported;
}

Status CWlxFileBase::ReadPoint(const char*&, const char*&, const char*&, double&, double&) {
    return kWlxNotSupported;
}
Status CWlxFileBase::ReadPointList(const char*&, const char*&, const char*&, std::uint32_t&,
                                   const double*&) {
    return kWlxNotSupported;
}
Status CWlxFileBase::ReadLineString(const char*&, const char*&, const char*&, std::uint32_t&,
                                    const double*&) {
    return kWlxNotSupported;
}
Status CWlxFileBase::ReadMultiLineString(const char*&, const char*&, const char*&, std::uint32_t&,
                                         const std::uint32_t*&, const double*&) {
    return kWlxNotSupported;
}
Status CWlxFileBase::ReadPolygon(const char*&, const char*&, const char*&, std::uint32_t&,
                                 const double*&) {
    return kWlxNotSupported;
}
Status CWlxFileBase::ReadMultiPolygon(const char*&, const char*&, const char*&, std::uint32_t&,
                                      const std::uint32_t*&, const double*&) {
    return kWlxNotSupported;
}

Status CWlxFileBase::WritePoint(const char*, const char*, const char*, double, double,
                                std::uint32_t&, double*) {
    return kWlxNotSupported;
}
Status CWlxFileBase::WritePointList(const char*, const char*, const char*, std::uint32_t,
                                    const double*, std::uint32_t&, double*) {
    return kWlxNotSupported;
}
Status CWlxFileBase::WriteLineString(const char*, const char*, const char*, std::uint32_t,
                                     const double*, std::uint32_t&, double*) {
    return kWlxNotSupported;
}
Status CWlxFileBase::WriteMultiLineString(const char*, const char*, const char*, std::uint32_t,
                                          const std::uint32_t*, const double*, std::uint32_t&,
                                          double*) {
    return kWlxNotSupported;
}
Status CWlxFileBase::WritePolygon(const char*, const char*, const char*, std::uint32_t,
                                  const double*, std::uint32_t&, double*) {
    return kWlxNotSupported;
}
Status CWlxFileBase::WriteMultiPolygon(const char*, const char*, const char*, std::uint32_t,
                                       const std::uint32_t*, const double*, std::uint32_t&,
                                       double*) {
    return kWlxNotSupported;
}
