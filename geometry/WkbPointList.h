// The operations that a line string and a multi point share over their
// point members. Points are shared objects: a point obtained with GetPoint
// and changed changes the geometry, and a point added to two geometries
// belongs to both.
#pragma once

#include "geometry/WkbCreate.h"
#include "geometry/WkbGeometryArray.h"
#include "geometry/WkbGeometryImpl.h"

template <class Interface, EWKBGeometryType kClassType>
class CWKBPointList : public IWKBGeometryImpl<Interface, kClassType> {
public:
    HRESULT Reset() final {
        points_.Clear();
        return S_OK;
    }

    HRESULT GetNumPoints(WkbLong* pnNumPoints) final {
        if (!pnNumPoints) return E_POINTER;
        *pnNumPoints = points_.Size();
        return S_OK;
    }
    HRESULT GetPoint(WkbLong nIndex, IWKBPoint** ppIWKBPoint) final {
        return points_.Get(nIndex, ppIWKBPoint);
    }
    HRESULT SetPoint(WkbLong nIndex, IWKBPoint* pIWKBPoint) final {
        return points_.Set(nIndex, pIWKBPoint);
    }
    HRESULT AddPoint(IWKBPoint* pIWKBPoint) final { return points_.Append(pIWKBPoint); }
    HRESULT AddPointXY(double dX, double dY) final {
        return points_.AppendCreated(CreateWKBPointXY(dX, dY));
    }
    HRESULT InsertPoint(WkbLong nIndex, IWKBPoint* pIWKBPoint) final {
        return points_.Insert(nIndex, pIWKBPoint);
    }
    HRESULT InsertPointXY(WkbLong nIndex, double dX, double dY) final {
        auto point = ComPtr<IWKBPoint>::Adopt(CreateWKBPointXY(dX, dY));
        if (!point) return kUnableToCreateObject;
        return points_.Insert(nIndex, point.Get());
    }
    HRESULT GetPointXY(WkbLong nIndex, double* pdX, double* pdY) final {
        if (!pdX || !pdY) return E_POINTER;
        if (nIndex < 0 || nIndex >= points_.Size()) return kInvalidIndex;
        return points_.At(nIndex)->GetXY(pdX, pdY);
    }
    HRESULT SetPointXY(WkbLong nIndex, double dX, double dY) final {
        if (nIndex < 0 || nIndex >= points_.Size()) return kInvalidIndex;
        return points_.At(nIndex)->SetXY(dX, dY);
    }

protected:
    CWKBGeometryArray<IWKBPoint> points_;
};
