// The parameter-based datum shifts between a datum and WGS84, and the
// geocentric conversions most of them run through. Points are longitude and
// latitude in degrees and a height in metres. Every object is set up from the
// datum's block and the WGS84 block the converter keeps, allocated with
// CS_malloc and freed with CS_free (a multiple-regression object with
// CS_multipleRegressionFree, MultipleRegression.h). Forward goes from the
// datum to WGS84, inverse back; both work in two dimensions and pass the
// height through. Results: 0 done, 1 done with a warning, negative failed
// (the reason reported, the output holding the input).
#pragma once

#include "coordsys/core/CsParamsBlock.h"

// One arc-second in radians, as the rotations are converted.
inline constexpr double kCsArcsecToRadians = 4.84813681109536e-6;

// Step codes of the parameter methods in the datum converter's path table.
enum class CsDatumShiftMethod : int {
    kNone = 0,
    kMolodensky = 1,
    kMultipleRegression = 2,
    kBursaWolf = 3,
    kSevenParameter = 15,
    kThreeParameter = 16,
    kSixParameter = 17,
    kFourParameter = 18,
};

// ---------------------------------------------------------------------------
// Geocentric conversions (a: equatorial radius, e2: eccentricity squared)

void CS_geodeticToGeocentric(double xyz[3], const double llh[3], double a, double e2);
// 0, or -1 with 306 reported when the latitude does not converge in 9 rounds
// (the last values are stored).
int CS_geocentricToGeodetic(double llh[3], const double xyz[3], double a, double e2);

// ---------------------------------------------------------------------------
// Method objects (fields in the order the methods' records keep them)

struct CsBursaWolf {
    double srcA, srcE2, wgsA, wgsE2;
    double dX, dY, dZ;
    double k;
    double rX, rY, rZ;  // radians
    char srcKey[kCsKeySize];
    char wgsKey[kCsKeySize];
};

struct CsSevenParameter {
    double srcA, srcE2, wgsA, wgsE2;
    double dX, dY, dZ;
    double k;
    double m[9];  // rotation matrix, row by row
    char srcKey[kCsKeySize];
    char wgsKey[kCsKeySize];
};

struct CsSixParameter {
    double srcA, srcE2, wgsA, wgsE2;
    double dX, dY, dZ;
    double m[9];
    char srcKey[kCsKeySize];
    char wgsKey[kCsKeySize];
};

struct CsThreeParameter {
    double srcA, srcE2, wgsA, wgsE2;
    double dX, dY, dZ;
    char srcKey[kCsKeySize];
    char wgsKey[kCsKeySize];
};

struct CsFourParameter {
    double srcA, srcE2, wgsA, wgsE2;
    double dX, dY, dZ;
    double k;
    char srcKey[kCsKeySize];
    char wgsKey[kCsKeySize];
};

struct CsMolodensky {
    double dX, dY, dZ;
    double srcA, srcB, srcE2, srcF;
    double wgsA, wgsB, wgsE2, wgsF;
    char srcKey[kCsKeySize];
    char wgsKey[kCsKeySize];
};

// Per method: set-up (null with 104, or 139 for a WGS84 scale near 0), the
// three-dimensional kernel, and the two-dimensional forward and inverse.
CsBursaWolf* CS_bursaWolfSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84);
int CS_bursaWolfShift(double out[3], const double in[3], const CsBursaWolf* method);
int CS_bursaWolfForward(double out[3], const double in[3], const CsBursaWolf* method);
int CS_bursaWolfInverse(double out[3], const double in[3], const CsBursaWolf* method);

CsSevenParameter* CS_sevenParamSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84);
int CS_sevenParamShift(double out[3], const double in[3], const CsSevenParameter* method);
int CS_sevenParamForward(double out[3], const double in[3], const CsSevenParameter* method);
int CS_sevenParamInverse(double out[3], const double in[3], const CsSevenParameter* method);

CsThreeParameter* CS_threeParamSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84);
int CS_threeParamShift(double out[3], const double in[3], const CsThreeParameter* method);
int CS_threeParamForward(double out[3], const double in[3], const CsThreeParameter* method);
int CS_threeParamInverse(double out[3], const double in[3], const CsThreeParameter* method);

CsMolodensky* CS_molodenskySetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84);
int CS_molodenskyShift(double out[3], const double in[3], const CsMolodensky* method);
int CS_molodenskyForward(double out[3], const double in[3], const CsMolodensky* method);
int CS_molodenskyInverse(double out[3], const double in[3], const CsMolodensky* method);

CsSixParameter* CS_sixParamSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84);
int CS_sixParamShift(double out[3], const double in[3], const CsSixParameter* method);
int CS_sixParamForward(double out[3], const double in[3], const CsSixParameter* method);
int CS_sixParamInverse(double out[3], const double in[3], const CsSixParameter* method);

CsFourParameter* CS_fourParamSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84);
int CS_fourParamShift(double out[3], const double in[3], const CsFourParameter* method);
int CS_fourParamForward(double out[3], const double in[3], const CsFourParameter* method);
int CS_fourParamInverse(double out[3], const double in[3], const CsFourParameter* method);

// Copies the point; 0.
int CS_nullShift(double out[3], const double in[3]);

// The WGS72 to WGS84 formula and its reverse (the amounts computed from the
// input latitude); always 0.
int CS_wgs72Forward(double out[3], const double in[3]);
int CS_wgs72Inverse(double out[3], const double in[3]);

// ---------------------------------------------------------------------------
// The methods by step code, for the converter's steps and the catalogs'
// fallbacks (multiple regression included; its set-up reads the datum's .MRT
// file, MultipleRegression.h).

// The method object, or null with the reason reported (139 for a code that
// is no parameter method).
void* CS_datumShiftSetup(CsDatumShiftMethod method, const CsDatumBlock* datum,
                         const CsDatumBlock* wgs84);
int CS_datumShiftForward(CsDatumShiftMethod method, const void* object, double out[3],
                         const double in[3]);
int CS_datumShiftInverse(CsDatumShiftMethod method, const void* object, double out[3],
                         const double in[3]);
// The three-dimensional kernel (what a multiple regression falls back on).
int CS_datumShiftKernel(CsDatumShiftMethod method, const void* object, double out[3],
                        const double in[3]);
// Null is accepted.
void CS_datumShiftFree(CsDatumShiftMethod method, void* object);
