// A point geometry for tests that need no geometry server.
#pragma once

#include <atomic>

#include "geometry/WkbGeometry.h"

class FakePoint final : public IWKBPoint {
public:
    FakePoint(double x, double y) : x_(x), y_(y) {}

    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IWKBGeometry || riid == IID_IWKBPoint) {
            *out = static_cast<IWKBPoint*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT GetByteOrder(EWKBByteOrder* order) override {
        *order = kWkbLittleEndian;
        return S_OK;
    }
    HRESULT GetType(EWKBGeometryType* type) override {
        *type = kWkbPoint;
        return S_OK;
    }
    HRESULT GetByteStreamSafeArray(SAFEARRAY**) override { return E_NOTIMPL; }
    HRESULT GetByteStream(IStream**) override { return E_NOTIMPL; }
    HRESULT Reset() override { return S_OK; }
    HRESULT GetX(double* x) override {
        *x = x_;
        return S_OK;
    }
    HRESULT SetX(double x) override {
        x_ = x;
        return S_OK;
    }
    HRESULT GetY(double* y) override {
        *y = y_;
        return S_OK;
    }
    HRESULT SetY(double y) override {
        y_ = y;
        return S_OK;
    }
    HRESULT SetXY(double x, double y) override {
        x_ = x;
        y_ = y;
        return S_OK;
    }
    HRESULT GetXY(double* x, double* y) override {
        *x = x_;
        *y = y_;
        return S_OK;
    }

private:
    ~FakePoint() = default;
    std::atomic<ULONG> references_{1};
    double x_, y_;
};
