#include "platform/SafeArray.h"

#include <limits>
#include <memory>
#include <new>

namespace {

std::uint32_t ElementSize(VARTYPE vt) {
    switch (vt) {
        case VT_I1:
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_UI2:
            return 2;
        case VT_I4:
        case VT_UI4:
        case VT_R4:
            return 4;
        case VT_R8:
            return 8;
        default:
            return 0;
    }
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, std::uint32_t cDims, const SAFEARRAYBOUND* rgsabound) {
    std::uint32_t elementSize = ElementSize(vt);
    if (elementSize == 0 || cDims == 0 || cDims > std::numeric_limits<std::uint16_t>::max() ||
        !rgsabound)
        return nullptr;
    std::uint64_t bytes = elementSize;
    for (std::uint32_t i = 0; i < cDims; ++i) {
        // Kept below 2^31 so that every element index fits a signed 32-bit value.
        bytes *= rgsabound[i].cElements;
        if (bytes > std::numeric_limits<std::int32_t>::max()) return nullptr;
    }
    try {
        auto array = std::make_unique<SAFEARRAY>();
        array->cDims = static_cast<std::uint16_t>(cDims);
        array->cbElements = elementSize;
        array->rgsabound.assign(rgsabound, rgsabound + cDims);
        array->storage.resize(static_cast<std::size_t>(bytes));
        array->pvData = array->storage.empty() ? nullptr : array->storage.data();
        return array.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, std::int32_t lLbound, std::uint32_t cElements) {
    SAFEARRAYBOUND bound{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa) return S_OK;
    if (psa->cLocks) return DISP_E_ARRAYISLOCKED;
    delete psa;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!psa || !ppvData) return E_INVALIDARG;
    ++psa->cLocks;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

std::uint32_t SafeArrayGetDim(SAFEARRAY* psa) {
    return psa ? psa->cDims : 0;
}

std::uint32_t SafeArrayGetElemsize(SAFEARRAY* psa) {
    return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, std::uint32_t nDim, std::int32_t* plLbound) {
    if (!psa || !plLbound) return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[nDim - 1].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, std::uint32_t nDim, std::int32_t* plUbound) {
    if (!psa || !plUbound) return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& bound = psa->rgsabound[nDim - 1];
    *plUbound =
        static_cast<std::int32_t>(static_cast<std::int64_t>(bound.lLbound) + bound.cElements - 1);
    return S_OK;
}
