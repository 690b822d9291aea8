#!/usr/bin/env python3
"""Write data/Refract.txt: near-horizon refraction by ray tracing through a
standard atmosphere.

Atmosphere: spherically layered, Earth radius 6371 km; the temperature profile
of the U.S. Standard Atmosphere 1976 (lapse rates and layer heights, NOAA/NASA/
USAF 1976) lowered by 15 K so that the surface is at 0 degrees C; surface
pressure 1013.25 hPa; pressure from hydrostatic equilibrium of dry air
(g = 9.80665 m/s2, M = 0.0289644 kg/mol, R = 8.314462 J/(mol K)); refractivity
of dry air for visible light (about 0.57 micrometre) n - 1 = 2.93e-4 at 0 C and
1013.25 hPa, proportional to density.

Refraction is the total bending of a ray, computed from Bouguer's invariant
n r sin(z) = constant as the integral of tan(z) dn / n along the path (the
substitution r = r0 + u^2 removes the singularity where the ray is horizontal).

The table gives the refraction R against the true (airless) altitude h, so that
the apparent altitude is h + R:
  * h at or above the true altitude of the sea horizon: an observer at sea level;
  * h below it: the ray that grazes the sea surface and reaches the observer at
    the height from which the object stands exactly on the sea horizon (the
    largest refraction that an object at that true altitude can have).

The program checks itself against Saemundsson's formula (Sky and Telescope 72,
70, 1986; stated for 1010 hPa and 10 C) brought to 1013.25 hPa and 0 C, which
it should match to about one per cent between 3 and 6 degrees, and prints the
horizontal refraction at sea level.

Regenerate (from the repository root):  python3 tools/refraction.py --out data
"""

import argparse
import math
import os

R_EARTH = 6371000.0
G0 = 9.80665
M_AIR = 0.0289644
R_GAS = 8.314462
N0_MINUS_1 = 2.93e-4     # 0 C, 1013.25 hPa, visible light
P0 = 1013.25
T0 = 273.15
TOP = 100000.0           # m; the refractivity above is negligible

# U.S. Standard Atmosphere 1976: base height (m) and lapse rate (K/m) of each layer.
LAYERS = [(0.0, -0.0065), (11000.0, 0.0), (20000.0, 0.001), (32000.0, 0.0028),
          (47000.0, 0.0), (51000.0, -0.0028), (71000.0, -0.002), (84852.0, 0.0)]


def _build_layers():
    """Base temperature and pressure of each layer."""
    out = []
    t, p = T0, P0
    for i, (z0, lapse) in enumerate(LAYERS):
        out.append((z0, lapse, t, p))
        if i + 1 < len(LAYERS):
            dz = LAYERS[i + 1][0] - z0
            t1 = t + lapse * dz
            if lapse == 0.0:
                p = p * math.exp(-G0 * M_AIR * dz / (R_GAS * t))
            else:
                p = p * (t1 / t) ** (-G0 * M_AIR / (R_GAS * lapse))
            t = t1
    return out


BASES = _build_layers()


def atmosphere(z):
    """Temperature (K), pressure (hPa) and dT/dz at height z (m)."""
    z = max(z, 0.0)
    for z0, lapse, t0, p0 in reversed(BASES):
        if z >= z0:
            dz = z - z0
            t = t0 + lapse * dz
            if lapse == 0.0:
                p = p0 * math.exp(-G0 * M_AIR * dz / (R_GAS * t0))
            else:
                p = p0 * (t / t0) ** (-G0 * M_AIR / (R_GAS * lapse))
            return t, p, lapse
    raise ValueError(z)


def index(z):
    """Refractive index n and dn/dz at height z."""
    t, p, lapse = atmosphere(z)
    k = N0_MINUS_1 * T0 / P0
    nm1 = k * p / t
    dndz = nm1 * (-G0 * M_AIR / (R_GAS * t) - lapse / t)
    return 1.0 + nm1, dndz


def bending(z_start, c, z_end, steps=6000):
    """Bending (radians) of the ray with invariant c between the heights z_start
    (where the ray may be horizontal) and z_end > z_start."""
    if z_end <= z_start:
        return 0.0
    u_end = math.sqrt(z_end - z_start)
    h = u_end / steps
    total = 0.0
    for i in range(steps + 1):
        u = i * h
        z = z_start + u * u
        n, dndz = index(z)
        r = R_EARTH + z
        q = n * n * r * r - c * c
        d = 2.0 * (n * r) * (dndz * r + n)   # d(n^2 r^2)/dz
        if q <= 1e-3 * d:
            # (nearly) horizontal: tan(z) * 2u tends to 2c / sqrt(d(n^2 r^2)/dz)
            f = 2.0 * c / math.sqrt(d) * (-dndz / n) if abs(q) < 1e-3 * d else 0.0
        else:
            f = c / math.sqrt(q) * (-dndz / n) * 2.0 * u
        w = 1 if i in (0, steps) else (4 if i % 2 else 2)
        total += w * f
    return total * h / 3.0


def refraction_sea_level(apparent_deg):
    """Refraction (deg) for an observer at sea level and apparent altitude >= 0."""
    n0, _ = index(0.0)
    c = n0 * R_EARTH * math.cos(math.radians(apparent_deg))
    return math.degrees(bending(0.0, c, TOP))


def grazing(height):
    """(true altitude, refraction) in degrees of the ray that grazes the sea
    surface and reaches an observer at the given height (m)."""
    n0, _ = index(0.0)
    c = n0 * R_EARTH
    bend = bending(0.0, c, TOP) + bending(0.0, c, height)
    n_obs, _ = index(height)
    apparent = -math.degrees(math.acos(min(1.0, c / (n_obs * (R_EARTH + height)))))
    bend = math.degrees(bend)
    return apparent - bend, bend


def solve(fn, target, lo, hi):
    """x in [lo, hi] with fn(x) = target, fn monotonic."""
    flo = fn(lo) - target
    for _ in range(60):
        mid = 0.5 * (lo + hi)
        fm = fn(mid) - target
        if (fm < 0) == (flo < 0):
            lo, flo = mid, fm
        else:
            hi = mid
        if hi - lo < 1e-9:
            break
    return 0.5 * (lo + hi)


def refraction_true(h_deg, h_horizon):
    """Refraction (deg) for the true altitude h (deg) under the rule above."""
    if h_deg >= h_horizon:
        a = solve(lambda a: a - refraction_sea_level(a), h_deg, 0.0, h_deg + 1.0)
        return refraction_sea_level(a)
    height = solve(lambda z: grazing(z)[0], h_deg, 0.0, 40000.0)
    return grazing(height)[1]


def saemundsson(h):
    """Saemundsson's formula (for 1010 hPa and 10 C) brought to 1013.25 hPa and 0 C."""
    return 1.02 / math.tan(math.radians(h + 10.3 / (h + 5.11))) / 60.0 * 283.15 / 273.15 * 1013.25 / 1010.0


ALTITUDES = [-5.0, -4.0, -3.0, -2.0, -1.4, -1.0, -0.7, None, -0.3, 0.0, 0.5, 1.0, 1.7, 2.6, 3.7, 5.0]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", default="data")
    args = ap.parse_args()

    r0 = refraction_sea_level(0.0)
    h_horizon = -r0
    print("horizontal refraction at sea level: %.4f deg (%.2f arcmin); sea horizon at true altitude %.4f"
          % (r0, r0 * 60, h_horizon))
    for h in (3.0, 4.0, 4.83, 6.0, 10.0):
        r = refraction_true(h, h_horizon)
        ratio = r / saemundsson(h)
        print("h %5.2f  ray tracing %.5f  Saemundsson %.5f  ratio %.4f" % (h, r, saemundsson(h), ratio))
        if h <= 6.0:
            assert abs(ratio - 1) < 0.015, "ray tracing disagrees with Saemundsson's formula"

    pairs = []
    for h in ALTITUDES:
        if h is None:
            h = round(h_horizon, 4)
        r = refraction_true(h, h_horizon)
        pairs.append((h, r))
        print("%8.4f %.5f" % (h, r))
    for (h1, _), (h2, _) in zip(pairs, pairs[1:]):
        assert h2 > h1
    assert pairs[0][0] <= -4.1366 and pairs[-1][0] >= 4.829444444

    lines = [
        "# Refract.txt: atmospheric refraction near the horizon at 1013.25 hPa and 0 degrees C.",
        "# Pairs of true (airless) altitude and refraction - both in degrees - in rising",
        "# altitude; apparent altitude = true altitude + refraction.",
        "# Computed by ray tracing (tools/refraction.py) through a spherical standard",
        "# atmosphere: temperature profile of the U.S. Standard Atmosphere 1976 lowered",
        "# to 0 C at the surface; 1013.25 hPa at sea level; hydrostatic dry air; refractivity",
        "# 2.93e-4 at 0 C and 1013.25 hPa (visible light) proportional to density.",
        "# At or above the true altitude of the sea horizon (%.4f) the observer is at sea" % h_horizon,
        "# level; below it the value is that of the ray grazing the sea surface seen from",
        "# the height at which the object stands on the sea horizon.",
        "# Horizontal refraction at sea level: %.2f arcmin. Between 3 and 6 degrees the" % (r0 * 60),
        "# values agree within 1.5 per cent with Saemundsson's formula (Sky and Telescope",
        "# 72 70 1986) brought from 1010 hPa and 10 C to 1013.25 hPa and 0 C.",
        "# Regenerate: python3 tools/refraction.py --out data",
    ]
    lines += ["%.4f,%.5f" % p for p in pairs]
    with open(os.path.join(args.out, "Refract.txt"), "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
