// ATS77 transformation files of the Maritime provinces: a change of
// ellipsoid, then a complex polynomial in normalised coordinates with a
// collocation correction. A file serves one direction: NAD27 to ATS77 (1) or
// ATS77 to NAD27 (2). Read whole when opened; the province is in the third and
// fourth characters of the file name ("nb", "ns", "pe").
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr int kCsAts77MaxCoefficients = 10;

struct CsAts77Transform {
    double minLongitude = 1e32, minLatitude = 1e32;  // east-positive degrees
    double maxLongitude = -1e32, maxLatitude = -1e32;
    double density = 0;
    int province = 0;   // 1 nb, 2 ns, 3 pe
    int direction = 0;  // 1 NAD27 to ATS77, 2 back
    int coefficientCount = 0, degree = 0, pointCount = 0;
    double radiusLimit = 1.25;
    double sigmaSquared = 0;
    double lambda0 = 0, phi0 = 0;  // degrees, lambda0 positive west
    double sx = 0, sy = 0;
    double latOffset = 0, lonOffset = 0;  // seconds of arc
    double latDivisor = 0, lonDivisor = 0;
    // Collocation points, values (complex, real first), weights, the
    // polynomial's coefficients (complex) and one more value.
    std::vector<double> coefficients;
    double polynomial[kCsAts77MaxCoefficients][2] = {};
    std::string path;
    char name[32] = {};
};

// Reads the file (`density` in degrees replaces 0.1 when above 0); null with
// 104, 128, 107 or 113 reported (the path as context): among them a degree
// that is negative or needs more than ten coefficients, and counts the file
// cannot hold.
CsAts77Transform* CS_ats77Open(const char* path, unsigned secondNumber, double density);
// The same over bytes in memory under a name.
CsAts77Transform* CS_ats77OpenBytes(const char* name, std::span<const std::uint8_t> bytes,
                                    double density);
// Null is accepted.
void CS_ats77Free(CsAts77Transform* transform);
int CS_ats77Direction(const CsAts77Transform* transform);
// The density when the file serves `direction` and holds the point, else 0.
double CS_ats77Coverage(const CsAts77Transform* transform, int direction, const double ll[2]);
// 0 transformed; 1 outside the transformation's circle (output untouched) or
// after an ellipsoid change that did not converge (output written).
int CS_ats77Shift(const CsAts77Transform* transform, double out[2], const double in[2]);
