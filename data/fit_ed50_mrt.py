#!/usr/bin/env python3
"""Writes ED50-MREG.mrtdef: a synthetic multiple-regression definition for the
datum ED50-MREG of Datums.csdef.

The published regression coefficients are not reproduced here. Instead the
polynomials are a least-squares fit, of total degree 5 in U and V, to the
Molodensky shift of the datum's own translations (-87, -98, -121 m from the
International 1924 ellipsoid to WGS84), sampled every half degree over the
whole usable range |U|, |V| <= 1.4 with U = K (latitude - 52) and
V = K (longitude - 10), K = 0.05235988. Run it from this directory:

    python3 fit_ed50_mrt.py > ED50-MREG.mrtdef
"""
import math

K = 0.05235988
LAT0, LON0 = 52.0, 10.0
DX, DY, DZ = -87.0, -98.0, -121.0
A, F = 6378388.0, 1.0 / 297.0
A84, F84 = 6378137.0, 1.0 / 298.257223563
ARCSEC = 4.848136811076368e-6
TERMS = [(q, p) for p in range(6) for q in range(6) if q + p <= 5]


def molodensky(lon, lat):
    """The standard Molodensky shift at height 0: seconds, seconds, metres."""
    e2 = 2 * F - F * F
    b = A * (1 - F)
    da, df = A84 - A, F84 - F
    phi, lam = math.radians(lat), math.radians(lon)
    sp, cp, sl, cl = math.sin(phi), math.cos(phi), math.sin(lam), math.cos(lam)
    w = 1 - e2 * sp * sp
    n = A / math.sqrt(w)
    m = A * (1 - e2) / w ** 1.5
    dphi = ((m * A / b + n * b / A) * df * sp * cp + DZ * cp - DX * sp * cl - DY * sp * sl
            + da * n * e2 * sp * cp / A) / (m * ARCSEC)
    dlam = (DY * cl - DX * sl) / (n * ARCSEC * cp)
    dh = (DX * cl + DY * sl) * cp + DZ * sp - da * A / n + df * (b / A) * n * sp * sp
    return dlam, dphi, dh


def solve(matrix, vector):
    """Gaussian elimination with partial pivoting."""
    n = len(vector)
    rows = [row[:] + [v] for row, v in zip(matrix, vector)]
    for col in range(n):
        pivot = max(range(col, n), key=lambda r: abs(rows[r][col]))
        rows[col], rows[pivot] = rows[pivot], rows[col]
        for r in range(n):
            if r != col:
                factor = rows[r][col] / rows[col][col]
                rows[r] = [x - factor * y for x, y in zip(rows[r], rows[col])]
    return [rows[i][n] / rows[i][i] for i in range(n)]


def main():
    samples = []
    lat = LAT0 - 1.4 / K
    while lat <= LAT0 + 1.4 / K:
        lon = LON0 - 1.4 / K
        while lon <= LON0 + 1.4 / K:
            samples.append((lon, lat))
            lon += 0.5
        lat += 0.5
    basis = [[((lat - LAT0) * K) ** q * ((lon - LON0) * K) ** p for q, p in TERMS]
             for lon, lat in samples]
    shifts = [molodensky(lon, lat) for lon, lat in samples]
    normal = [[sum(row[i] * row[j] for row in basis) for j in range(len(TERMS))]
              for i in range(len(TERMS))]
    print("# ED50-MREG: synthetic multiple regression, not the published coefficients.")
    print("# Written by fit_ed50_mrt.py (see there); compiled into ED50-MREG.MRT.")
    print("# Terms: list, power of U, power of V, coefficient (seconds of arc for")
    print("# longitude and latitude, metres for height).")
    print(f"uPowers = 6\nvPowers = 6\nk = {K}")
    print(f"latitudeOffset = {-LAT0}\nlongitudeOffset = {-LON0}")
    for index, name in enumerate(("longitude", "latitude", "height")):
        values = [s[index] for s in shifts]
        rhs = [sum(row[i] * v for row, v in zip(basis, values)) for i in range(len(TERMS))]
        coefficients = solve(normal, rhs)
        worst = max(abs(sum(c * x for c, x in zip(coefficients, row)) - v)
                    for row, v in zip(basis, values))
        unit = "m" if name == "height" else "seconds"
        print(f"# {name}: largest residual against Molodensky {worst:.4f} {unit}")
        for (q, p), c in zip(TERMS, coefficients):
            print(f"{name} {q} {p} {c:.10f}")


if __name__ == "__main__":
    main()
