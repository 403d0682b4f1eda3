#!/usr/bin/python3
"""Writes curves.dxf and curves.golden: splines and ellipses made by ezdxf, with their lengths
and the points at distances k * length / 10 (k = 0..10) as ezdxf evaluates them.

ezdxf evaluates the curves (BSpline.derivative and .point, ConstructionEllipse.vertices and
its axes); the length is the Gauss-Legendre integral of the speed over each knot span (each
quarter turn of an ellipse) cut into 64 pieces, and the parameter at a distance is found by
Newton steps on that integral. Run once (Debian package python3-ezdxf):

    /usr/bin/python3 make_curve_golden.py
"""
import math

import ezdxf
import numpy as np
from ezdxf.math import Vec3, closed_uniform_bspline

NODES, WEIGHTS = np.polynomial.legendre.leggauss(20)
PIECES = 64


class Curve:
    def __init__(self, speed, point, t0, t1, breaks):
        self.speed, self.point, self.t0, self.t1 = speed, point, t0, t1
        self.stations = sorted({t0, t1, *[b for b in breaks if t0 < b < t1]})

    def integral(self, a, b):
        total = 0.0
        h = (b - a) / PIECES
        for i in range(PIECES):
            lo = a + i * h
            mid, half = lo + h / 2, h / 2
            total += half * sum(w * self.speed(mid + half * x) for x, w in zip(NODES, WEIGHTS))
        return total

    def length_to(self, t):
        total = 0.0
        for a, b in zip(self.stations, self.stations[1:]):
            if t <= a:
                break
            total += self.integral(a, min(b, t))
        return total

    def param_at(self, distance, total):
        t = self.t0 + (self.t1 - self.t0) * distance / total
        for _ in range(30):
            f = self.length_to(t) - distance
            if abs(f) < 1e-15 * total:
                break
            t -= f / self.speed(t)
            t = min(max(t, self.t0), self.t1)
        return t


def spline_curve(spline):
    b = spline.construction_tool()
    knots = b.knots()
    p = b.degree
    t0, t1 = knots[p], knots[len(b.control_points)]
    return Curve(lambda t: b.derivative(t, n=1)[1].magnitude, lambda t: Vec3(b.point(t)), t0, t1,
                 knots)


def ellipse_curve(ellipse):
    e = ellipse.construction_tool()
    t0 = e.start_param
    t1 = e.end_param
    while t1 <= t0:
        t1 += 2 * math.pi
    major, minor = e.major_axis, e.minor_axis
    quarters = [k * math.pi / 2 for k in range(-8, 17)]
    return Curve(lambda t: (-math.sin(t) * major + math.cos(t) * minor).magnitude,
                 lambda t: Vec3(list(e.vertices([t]))[0]), t0, t1, quarters)


def main():
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_open_spline([(0, 0, 0), (2, 5, 1), (6, 6, -1), (9, 1, 2), (12, 4, 0)], degree=3)
    msp.add_rational_spline([(0, 0), (3, 6), (7, 6), (10, 0)], weights=[1, 0.3, 4, 1], degree=3)
    msp.add_open_spline([(0, 0), (1, 3), (4, 4), (6, 0), (9, 2), (10, 5)], degree=2)
    fit = [(0, 0), (2, 3), (5, 1), (8, 4), (11, 0)]
    msp.add_cad_spline_control_frame(fit).fit_points = fit  # control points and fit points
    closed = msp.add_spline()
    closed.apply_construction_tool(
        closed_uniform_bspline([(0, 0), (4, 0), (6, 3), (3, 6), (-1, 4)], order=4))
    closed.closed = True
    msp.add_ellipse((100, 0, 0), major_axis=(4, 2, 0), ratio=0.5, start_param=0.3, end_param=4.0)
    normal = Vec3(0.2, 0.3, 0.9).normalize()
    msp.add_ellipse((0, 50, 10), major_axis=normal.cross((1, 0, 0)).normalize(5), ratio=0.3,
                    dxfattribs={"extrusion": normal})
    msp.add_ellipse((20, 50), major_axis=(0, 3), ratio=0.7, start_param=5.0, end_param=1.0)
    doc.saveas("curves.dxf")

    lines = ["# handle length | handle distance x y z (ezdxf 0.18.1)"]
    for entity in msp:
        curve = spline_curve(entity) if entity.dxftype() == "SPLINE" else ellipse_curve(entity)
        total = curve.length_to(curve.t1)
        lines.append("%s length %.17g" % (entity.dxf.handle, total))
        for k in range(11):
            d = total * k / 10
            p = curve.point(curve.param_at(d, total) if 0 < k < 10 else (curve.t0, curve.t1)[k // 10])
            lines.append("%s %.17g %.17g %.17g %.17g" % (entity.dxf.handle, d, p.x, p.y, p.z))
    with open("curves.golden", "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
