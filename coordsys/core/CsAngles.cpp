#include "coordsys/core/CsAngles.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// x unchanged within (-half, +half]; otherwise its remainder of `period`
// brought into that range.
double Wrap(double x, double half, double period) {
    if (std::fabs(x) < half || x == half) return x;
    double r = std::fmod(x, period);
    if (r <= -half) r += period;
    if (r > half) r -= period;
    return r;
}

}  // namespace

double CS_normDeg180(double degrees) {
    return Wrap(degrees, 180.0, 360.0);
}

double CS_normDeg90(double degrees) {
    return Wrap(degrees, 90.0, 180.0);
}

double CS_normDeg270(double degrees) {
    return Wrap(degrees, 270.0, 360.0);
}

double CS_normLngRad(double radians) {
    return Wrap(radians, kPi, 2.0 * kPi);
}

double CS_normLatRad(double radians) {
    if (std::fabs(radians) <= kPi / 2.0) return radians;
    double r = std::fmod(radians, kPi);
    if (r <= -kPi / 2.0) r += kPi;
    if (r > kPi / 2.0) r -= kPi;
    return r;
}

double CS_normLngRadAlt(double radians) {
    if (std::fabs(radians) <= kPi) return radians;
    double r = std::fmod(radians, 2.0 * kPi);
    if (r > kPi) r -= 2.0 * kPi;
    if (r < -kPi) r += 2.0 * kPi;
    return r;
}

int CS_normGeographic(double ll[2]) {
    int changed = 0;
    if (std::fabs(ll[1]) > 90.0) {
        double latitude = std::fmod(ll[1], 180.0);
        if (latitude > 90.0) latitude = 180.0 - latitude;
        if (latitude < -90.0) latitude = -180.0 - latitude;
        ll[1] = latitude;
        changed = 1;
    }
    if (std::fabs(ll[0]) > 270.0) {
        double longitude = std::fmod(ll[0], 360.0);
        while (longitude <= -180.0) longitude += 360.0;
        while (longitude > 180.0) longitude -= 360.0;
        ll[0] = longitude;
        changed = 1;
    }
    return changed;
}
