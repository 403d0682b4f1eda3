// The interfaces of the geometry object server Geoweave: what its clients
// compile against. Objects are created only through the factory, which is
// created by class identifier (CoCreateInstance); no client links the classes.
#pragma once

#include <cstdint>

#include "platform/Com.h"
#include "platform/ComRuntime.h"
#include "platform/Stream.h"

struct SAFEARRAY;

enum EWKBGeometryType : std::int32_t {
    kWkbPoint = 1,
    kWkbLineString = 2,
    kWkbPolygon = 3,
    kWkbMultiPoint = 4,
    kWkbMultiLineString = 5,
    kWkbMultiPolygon = 6,
    kWkbGeometryCollection = 7,
};

enum EWKBByteOrder : std::int32_t {
    kWkbBigEndian = 0,
    kWkbLittleEndian = 1,
};

enum EWKBReturnCode : HRESULT {
    kSuccess = 0,
    kError = MakeHResult(0x80041900u),
    kInvalidIndex = MakeHResult(0x80041901u),
    kInvalidVariant = MakeHResult(0x80041902u),
    kStreamWriteError = MakeHResult(0x80041903u),
    kFreeMemoryError = MakeHResult(0x80041904u),
    kUnableToCreateObject = MakeHResult(0x80041905u),
    kInvalidGeometryType = MakeHResult(0x80041906u),
    kInvalidByteOrder = MakeHResult(0x80041907u),
};

// Identifiers of the type library, interfaces and classes.
// clang-format off
inline constexpr GUID LIBID_GEOWEAVELib{0x5B7C0041, 0xB703, 0x11D2, {0x96, 0xEA, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBGeometry{0x5B7C004D, 0xB703, 0x11D2, {0x96, 0xEA, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBPoint{0x5B7C0051, 0xB703, 0x11D2, {0x96, 0xEA, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBGeometryFactory{0xC2F65E56, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBLineString{0xC2F65E59, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBPolygon{0xC2F65E5F, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBGeometryCollection{0xC2F65E6D, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBMultiPoint{0xC60BFE15, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBMultiLineString{0xC60BFE18, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr IID IID_IWKBMultiPolygon{0xC60BFE1B, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};

inline constexpr CLSID CLSID_WKBGeometry{0x613031AE, 0xB6FD, 0x11D2, {0x96, 0xEA, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr CLSID CLSID_WKBPoint{0x613031B4, 0xB6FD, 0x11D2, {0x96, 0xEA, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr CLSID CLSID_WKBGeometryFactory{0xC2F65E57, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr CLSID CLSID_WKBLineString{0xC2F65E5A, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr CLSID CLSID_WKBPolygon{0xC2F65E60, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr CLSID CLSID_WKBGeometryCollection{0xC2F65E6E, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr CLSID CLSID_WKBMultiPoint{0xC60BFE16, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr CLSID CLSID_WKBMultiLineString{0xC60BFE19, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
inline constexpr CLSID CLSID_WKBMultiPolygon{0xC60BFE1C, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}};
// clang-format on

// The classes the server library serves (CLSID_WKBGeometry names no object),
// registered with CoCreateInstance in every program that includes this header.
inline constexpr InprocServerClass kGeoweaveClasses[] = {
    {CLSID_WKBPoint, "Geoweave"},
    {CLSID_WKBGeometryFactory, "Geoweave"},
    {CLSID_WKBLineString, "Geoweave"},
    {CLSID_WKBPolygon, "Geoweave"},
    {CLSID_WKBGeometryCollection, "Geoweave"},
    {CLSID_WKBMultiPoint, "Geoweave"},
    {CLSID_WKBMultiLineString, "Geoweave"},
    {CLSID_WKBMultiPolygon, "Geoweave"},
};
inline const CInprocServerClasses kGeoweaveClassList{kGeoweaveClasses};

// Counts and indexes are 32-bit, as in the type library.
using WkbLong = std::int32_t;

class IWKBGeometry : public IUnknown {
public:
    virtual HRESULT GetByteOrder(EWKBByteOrder* pWkbByteOrder) = 0;
    virtual HRESULT GetType(EWKBGeometryType* pWkbGeometryType) = 0;
    virtual HRESULT GetByteStreamSafeArray(SAFEARRAY** ppSafeArray) = 0;
    virtual HRESULT GetByteStream(IStream** ppIStream) = 0;
    virtual HRESULT Reset() = 0;

protected:
    ~IWKBGeometry() = default;
};

class IWKBPoint : public IWKBGeometry {
public:
    virtual HRESULT GetX(double* pVal) = 0;
    virtual HRESULT SetX(double newVal) = 0;
    virtual HRESULT GetY(double* pVal) = 0;
    virtual HRESULT SetY(double newVal) = 0;
    virtual HRESULT SetXY(double dX, double dY) = 0;
    virtual HRESULT GetXY(double* pdX, double* pdY) = 0;

protected:
    ~IWKBPoint() = default;
};

// Points of a line string are shared objects: changing a point obtained with
// GetPoint changes the line string.
class IWKBLineString : public IWKBGeometry {
public:
    virtual HRESULT GetNumPoints(WkbLong* pnNumPoints) = 0;
    virtual HRESULT GetPoint(WkbLong nIndex, IWKBPoint** ppIWKBPoint) = 0;
    virtual HRESULT SetPoint(WkbLong nIndex, IWKBPoint* pIWKBPoint) = 0;
    virtual HRESULT AddPoint(IWKBPoint* pIWKBPoint) = 0;
    virtual HRESULT AddPointXY(double dX, double dY) = 0;
    virtual HRESULT InsertPoint(WkbLong nIndex, IWKBPoint* pIWKBPoint) = 0;
    virtual HRESULT InsertPointXY(WkbLong nIndex, double dX, double dY) = 0;
    virtual HRESULT GetPointXY(WkbLong nIndex, double* pdX, double* pdY) = 0;
    virtual HRESULT SetPointXY(WkbLong nIndex, double dX, double dY) = 0;

protected:
    ~IWKBLineString() = default;
};

class IWKBMultiPoint : public IWKBGeometry {
public:
    virtual HRESULT GetNumPoints(WkbLong* pnNumPoints) = 0;
    virtual HRESULT GetPoint(WkbLong nIndex, IWKBPoint** ppIWKBPoint) = 0;
    virtual HRESULT SetPoint(WkbLong nIndex, IWKBPoint* pIWKBPoint) = 0;
    virtual HRESULT AddPoint(IWKBPoint* pIWKBPoint) = 0;
    virtual HRESULT AddPointXY(double dX, double dY) = 0;
    virtual HRESULT InsertPoint(WkbLong nIndex, IWKBPoint* pIWKBPoint) = 0;
    virtual HRESULT InsertPointXY(WkbLong nIndex, double dX, double dY) = 0;
    virtual HRESULT GetPointXY(WkbLong nIndex, double* pdX, double* pdY) = 0;
    virtual HRESULT SetPointXY(WkbLong nIndex, double dX, double dY) = 0;

protected:
    ~IWKBMultiPoint() = default;
};

class IWKBPolygon : public IWKBGeometry {
public:
    virtual HRESULT GetNumInteriorRings(WkbLong* pnNumInteriorRings) = 0;
    virtual HRESULT GetExteriorRing(IWKBLineString** ppIWKBLineString) = 0;
    virtual HRESULT SetExteriorRing(IWKBLineString* pIWKBLineString) = 0;
    virtual HRESULT GetInteriorRing(WkbLong nIndex, IWKBLineString** ppIWKBLineString) = 0;
    virtual HRESULT SetInteriorRing(WkbLong nIndex, IWKBLineString* pIWKBLineString) = 0;
    virtual HRESULT AddInteriorRing(IWKBLineString* pIWKBLineString) = 0;
    virtual HRESULT InsertInteriorRing(WkbLong nIndex, IWKBLineString* pIWKBLineString) = 0;

protected:
    ~IWKBPolygon() = default;
};

class IWKBMultiLineString : public IWKBGeometry {
public:
    virtual HRESULT GetNumLineStrings(WkbLong* pnNumLineStrings) = 0;
    virtual HRESULT GetLineString(WkbLong nIndex, IWKBLineString** ppIWKBLineString) = 0;
    virtual HRESULT SetLineString(WkbLong nIndex, IWKBLineString* pIWKBLineString) = 0;
    virtual HRESULT AddLineString(IWKBLineString* pIWKBLineString) = 0;
    virtual HRESULT InsertLineString(WkbLong nIndex, IWKBLineString* pIWKBLineString) = 0;

protected:
    ~IWKBMultiLineString() = default;
};

class IWKBMultiPolygon : public IWKBGeometry {
public:
    virtual HRESULT GetNumPolygons(WkbLong* pnNumPolygons) = 0;
    virtual HRESULT GetPolygon(WkbLong nIndex, IWKBPolygon** ppIWKBPolygon) = 0;
    virtual HRESULT SetPolygon(WkbLong nIndex, IWKBPolygon* pIWKBPolygon) = 0;
    virtual HRESULT AddPolygon(IWKBPolygon* pIWKBPolygon) = 0;
    virtual HRESULT InsertPolygon(WkbLong nIndex, IWKBPolygon* pIWKBPolygon) = 0;

protected:
    ~IWKBMultiPolygon() = default;
};

class IWKBGeometryCollection : public IWKBGeometry {
public:
    virtual HRESULT GetNumGeometries(WkbLong* pnNumGeometries) = 0;
    virtual HRESULT GetGeometry(WkbLong nIndex, IWKBGeometry** ppIWKBGeometry) = 0;
    virtual HRESULT SetGeometry(WkbLong nIndex, IWKBGeometry* pIWKBGeometry) = 0;
    virtual HRESULT AddGeometry(IWKBGeometry* pIWKBGeometry) = 0;
    virtual HRESULT InsertGeometry(WkbLong nIndex, IWKBGeometry* pIWKBGeometry) = 0;

protected:
    ~IWKBGeometryCollection() = default;
};

class IWKBGeometryFactory : public IUnknown {
public:
    virtual HRESULT CreateWKBGeometry(IStream* pIStream, IWKBGeometry** ppIWKBGeometry) = 0;
    virtual HRESULT CreateWKBGeometryFromSafeArray(SAFEARRAY* pSArray,
                                                   IWKBGeometry** ppIWKBGeometry) = 0;
    virtual HRESULT CreateWKBGeometryFromByteArray(WkbLong lSize, unsigned char* pByteArray,
                                                   IWKBGeometry** ppIWKBGeometry) = 0;
    virtual HRESULT CreateWKBStream(IStream** ppIStream) = 0;
    virtual HRESULT NewWKBPoint(IWKBPoint** ppIWKBPoint) = 0;
    virtual HRESULT NewWKBPointXY(double dX, double dY, IWKBPoint** ppIWKBPoint) = 0;
    virtual HRESULT NewWKBLineString(IWKBLineString** ppIWKBLineString) = 0;
    virtual HRESULT NewWKBPolygon(IWKBPolygon** ppIWKBPolygon) = 0;
    virtual HRESULT NewWKBMultiPoint(IWKBMultiPoint** ppIWKBMultiPoint) = 0;
    virtual HRESULT NewWKBMultiLineString(IWKBMultiLineString** ppIMultiLineString) = 0;
    virtual HRESULT NewWKBMultiPolygon(IWKBMultiPolygon** ppIWKBMultiPolygon) = 0;
    virtual HRESULT NewWKBGeometryCollection(IWKBGeometryCollection** ppIWKBGeometryCollection) = 0;

protected:
    ~IWKBGeometryFactory() = default;
};

// clang-format off
template <> struct InterfaceId<IWKBGeometry> { static constexpr const IID& value = IID_IWKBGeometry; };
template <> struct InterfaceId<IWKBPoint> { static constexpr const IID& value = IID_IWKBPoint; };
template <> struct InterfaceId<IWKBLineString> { static constexpr const IID& value = IID_IWKBLineString; };
template <> struct InterfaceId<IWKBMultiPoint> { static constexpr const IID& value = IID_IWKBMultiPoint; };
template <> struct InterfaceId<IWKBPolygon> { static constexpr const IID& value = IID_IWKBPolygon; };
template <> struct InterfaceId<IWKBMultiLineString> { static constexpr const IID& value = IID_IWKBMultiLineString; };
template <> struct InterfaceId<IWKBMultiPolygon> { static constexpr const IID& value = IID_IWKBMultiPolygon; };
template <> struct InterfaceId<IWKBGeometryCollection> { static constexpr const IID& value = IID_IWKBGeometryCollection; };
template <> struct InterfaceId<IWKBGeometryFactory> { static constexpr const IID& value = IID_IWKBGeometryFactory; };
// clang-format on
