// The self-describing array of OLE Automation, reduced to what its users need:
// arrays of fixed-size elements with bounds per dimension, locked while their
// data is accessed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Com.h"

using VARTYPE = std::uint16_t;

inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_R4 = 4;
inline constexpr VARTYPE VT_R8 = 5;
inline constexpr VARTYPE VT_I1 = 16;
inline constexpr VARTYPE VT_UI1 = 17;
inline constexpr VARTYPE VT_UI2 = 18;
inline constexpr VARTYPE VT_UI4 = 19;

inline constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000Bu);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = MakeHResult(0x8002000Du);

struct SAFEARRAYBOUND {
    std::uint32_t cElements = 0;
    std::int32_t lLbound = 0;
};

// Made only by SafeArrayCreate or SafeArrayCreateVector and freed only by
// SafeArrayDestroy; read the fields, never write them.
struct SAFEARRAY {
    std::uint16_t cDims = 0;
    std::uint32_t cbElements = 0;
    std::uint32_t cLocks = 0;
    void* pvData = nullptr;
    std::vector<SAFEARRAYBOUND> rgsabound;  // dimension 1 first
    std::vector<std::byte> storage;
};

// Null when the element type is not one of the VT_ constants above, a
// dimension count is 0, or the data cannot be allocated.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, std::uint32_t cDims, const SAFEARRAYBOUND* rgsabound);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, std::int32_t lLbound, std::uint32_t cElements);
// DISP_E_ARRAYISLOCKED while its data is accessed.
HRESULT SafeArrayDestroy(SAFEARRAY* psa);

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);

// 0 for a null array.
std::uint32_t SafeArrayGetDim(SAFEARRAY* psa);
std::uint32_t SafeArrayGetElemsize(SAFEARRAY* psa);
// nDim counts from 1; DISP_E_BADINDEX outside 1..cDims.
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, std::uint32_t nDim, std::int32_t* plLbound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, std::uint32_t nDim, std::int32_t* plUbound);
