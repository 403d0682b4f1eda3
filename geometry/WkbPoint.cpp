#include "geometry/BlockPool.h"
#include "geometry/WkbCreate.h"
#include "geometry/WkbGeometryImpl.h"

namespace {

class CoWKBPoint final : public IWKBGeometryImpl<IWKBPoint, kWkbPoint> {
public:
    // From the pool of points, as CreateObject makes them.
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* memory) noexcept;

    HRESULT Reset() override {
        x_ = y_ = 0;
        return S_OK;
    }

    HRESULT GetX(double* pVal) override { return Get(x_, pVal); }
    HRESULT SetX(double newVal) override {
        x_ = newVal;
        return S_OK;
    }
    HRESULT GetY(double* pVal) override { return Get(y_, pVal); }
    HRESULT SetY(double newVal) override {
        y_ = newVal;
        return S_OK;
    }
    HRESULT SetXY(double dX, double dY) override {
        x_ = dX;
        y_ = dY;
        return S_OK;
    }
    HRESULT GetXY(double* pdX, double* pdY) override {
        if (!pdX || !pdY) return E_POINTER;
        *pdX = x_;
        *pdY = y_;
        return S_OK;
    }

    HRESULT Load(IStream* pStm) override {
        HRESULT hr = LoadHeader(pStm);
        if (Succeeded(hr)) hr = ReadDouble(pStm, &x_, byteOrder_);
        if (Succeeded(hr)) hr = ReadDouble(pStm, &y_, byteOrder_);
        return hr;
    }
    HRESULT Save(IStream* pStm, int) override {
        HRESULT hr = SaveHeader(pStm);
        if (Succeeded(hr)) hr = WriteDouble(pStm, x_, byteOrder_);
        if (Succeeded(hr)) hr = WriteDouble(pStm, y_, byteOrder_);
        return hr;
    }

private:
    static HRESULT Get(double value, double* out) {
        if (!out) return E_POINTER;
        *out = value;
        return S_OK;
    }

    double x_ = 0;
    double y_ = 0;
};

using PointPool = CBlockPool<sizeof(CoWKBPoint), alignof(CoWKBPoint)>;

void* CoWKBPoint::operator new(std::size_t, const std::nothrow_t&) noexcept {
    return PointPool::Allocate();
}

void CoWKBPoint::operator delete(void* memory) noexcept {
    PointPool::Free(memory);
}

}  // namespace

IWKBPoint* CreateWKBPoint() {
    return CreateObject<CoWKBPoint, IWKBPoint>();
}

IWKBPoint* CreateWKBPointXY(double x, double y) {
    IWKBPoint* point = CreateWKBPoint();
    // The object just made is of this class: no call through the interface.
    if (point) static_cast<CoWKBPoint*>(point)->SetXY(x, y);
    return point;
}
