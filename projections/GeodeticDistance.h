// The distance and azimuth between two geographic points that the families'
// scale and convergence routines measure against. It lives beside the
// latitude series because the pole and antipode cases take the meridional arc.
#pragma once

// The azimuth at p1 towards p2 in degrees (-180..+180, clockwise from north);
// the distance between them, in the unit of the radius, is stored. Points are
// longitude, latitude in degrees; e^2 of 0 is the sphere of that radius.
double CS_geodeticDistAz(double radius, double eSq, const double p1[2], const double p2[2],
                         double* distance);
