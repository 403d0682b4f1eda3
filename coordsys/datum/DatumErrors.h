// Codes the datum-shift methods and the grid files report (the library's
// error table words them all).
#pragma once

enum ECsDatumError : int {
    kCsErrNotInitialized = 124,
    kCsErrGridInverse = 126,
    kCsErrNadconInconsistent = 127,
    kCsErrShiftFileOpen = 128,
    kCsErrIterative = 134,
    kCsErrInternal = 139,
    kCsErrMregRange = 146,
    kCsErrMregCorrupt = 147,
    kCsErrMregMissing = 194,
    kCsErrGeocentric = 306,
    kCsErrMolodenskyInverse = 307,
    kCsErrBursaWolfInverse = 308,
    kCsErrSevenParamInverse = 309,
    kCsErrThreeParamInverse = 310,
    kCsErrSixParamInverse = 311,
    kCsErrFourParamInverse = 312,
    kCsErrMregNoFallback = 369,
    kCsErrMregInverse = 370,
};

// Reports `code` with `context` as the error context; returns -1.
int CS_failWith(int code, const char* context);
