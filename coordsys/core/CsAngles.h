// Angle wrapping shared by the projection families and the datum code.
#pragma once

// Wrap into (-180, +180], (-90, +90] and (-270, +270] degrees.
double CS_normDeg180(double degrees);
double CS_normDeg90(double degrees);
double CS_normDeg270(double degrees);
// Wraps into (-pi, +pi] radians.
double CS_normLngRad(double radians);
// Wraps a latitude into [-pi/2, +pi/2] radians; magnitudes up to pi/2 stay.
double CS_normLatRad(double radians);
// Wraps into [-pi, +pi] radians; magnitudes up to pi stay.
double CS_normLngRadAlt(double radians);
// Wraps a longitude/latitude pair (degrees) in place: latitudes beyond 90 fold
// back over the pole, longitudes beyond 270 wrap into (-180, +180]. 1 when
// either changed.
int CS_normGeographic(double ll[2]);

// Spherical azimuth (degrees, clockwise from north) of `to` seen from
// `from`; points are longitude, latitude in degrees. Where the direction is
// undefined (the two points on one meridian through a pole) the longitude
// difference in degrees.
double CS_azimuth(const double from[2], const double to[2]);
// Great-circle angle between two points (longitude, latitude), radians in
// and out, or degrees in and out.
double CS_angularDistanceRad(const double a[2], const double b[2]);
double CS_angularDistanceDeg(const double a[2], const double b[2]);
// Vincenty's inverse on the ellipsoid (equatorial radius, e^2) between p and
// q, in radians: the azimuth at q towards p in degrees; the distance, in the
// unit of the radius, is stored. Coincident points give 0 and 0. Within about
// half a degree of the antipode the refinement does not settle in its 15
// rounds and the result is off by kilometres (the families measure over
// half a second of arc).
double CS_ellipsoidDistAz(const double p[2], const double q[2], double radius, double eSq,
                          double* distance);
// The two points a fixed small arc (0.2 arc-second) from `to` on the bearings
// 90 degrees right (`right`) and left (`left`) of the azimuth from `from` to
// `to`, on the sphere; degrees in and out, longitudes wrapped. Returns 0.
int CS_perpendicularPoints(const double from[2], const double to[2], double left[2],
                           double right[2]);
