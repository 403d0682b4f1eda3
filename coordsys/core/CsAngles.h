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
