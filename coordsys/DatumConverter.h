// The datum converter: moves geographic points (degrees, height in metres)
// from one datum to another through WGS84, each datum's path a few steps of
// the parameter methods or the grid families, and rations the reports of
// points outside grid coverage by its coverage mode.
#pragma once

#include <cstdint>

#include "coordsys/core/CsParamsBlock.h"

inline constexpr int kCsMaxDatumSteps = 10;
inline constexpr int kCsRemovedStep = 9999;

struct CsDatumStep {
    std::int32_t code;
    void* object;
};

struct CsDatumConverter {
    char sourceKey[kCsKeySize];
    char targetKey[kCsKeySize];
    std::uint16_t coverageMode;
    std::uint16_t missCount;
    std::int16_t missCells[kCsMaxDatumSteps][2];
    CsDatumStep steps[kCsMaxDatumSteps];
};

CsDatumConverter* CS_datumConverterNew(const CsParams* source, const CsParams* target, int option,
                                       int coverageMode);
CsDatumConverter* CS_datumConverterBuild(const CsDatumBlock* source, const CsDatumBlock* target,
                                         int coverageMode);
// 0 converted; 1 converted with a coverage warning reported; negative failed
// (the output holds the input).
int CS_datumConvert(CsDatumConverter* converter, const double in[3], double out[3]);
// Null is accepted.
void CS_datumConverterFree(CsDatumConverter* converter);
