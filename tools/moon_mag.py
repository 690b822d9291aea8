#!/usr/bin/env python3
"""Writes data/MoonMag.txt: the Moon's total, foveal and peripheral
magnitudes at mean distance for each whole degree of phase angle 0 to 180.

Total magnitude (mean distance 384400 km, 1 au from the Sun):
  alpha <= 150 deg: m = -12.73 + 0.026 alpha + 4.0e-9 alpha^4
    (C. W. Allen, Astrophysical Quantities, 3rd ed., Athlone Press, London,
    1973, p. 144: V magnitude of the Moon, alpha the phase angle in degrees;
    Allen gives it for phase angles up to 150 deg);
  alpha > 150 deg: Allen's law is not given; the total is the light of the
    lit shape under the Lommel-Seeliger law (below), the same law that
    spreads the light for the foveal and peripheral magnitudes, joined to
    Allen's law at 150 deg: m = m(150) - 2.5 log10(L(alpha) / L(150)), L the
    integrated light. (Its slope at 150 deg is 0.073 magnitude per degree
    against Allen's 0.081, and it keeps within 0.02 magnitude of Allen's
    polynomial continued to 160 deg.)
  alpha = 180: no light at all; the row continues the step from 178 to 179
    so that the interpolation stays finite.

Foveal and peripheral magnitudes: the same light weighted by the eye's
central and off-centre fields. Each field weighs light at angular distance
rho from the fixation point by exp(-rho^2 / (2 sigma^2)); the magnitude in a
field is total - 2.5 log10(fraction of the lit shape's light it gathers).
The eye fixes the point (on the line from the Moon's centre toward the Sun)
that puts most light in the foveal field; the peripheral field is centred on
the same point. The light within the lit shape follows the Lommel-Seeliger
law (radiance proportional to mu0 / (mu0 + mu)) which makes the full Moon a
uniform disc, as it is seen to be (E. Lommel, Sitzungsberichte der
Akademie München 17, 95, 1887; H. Seeliger, Abhandlungen der Akademie
München 16, 405, 1888; B. Hapke, Theory of Reflectance and Emittance
Spectroscopy, 2nd ed., Cambridge, 2012, ch. 8 for its disc integral). The two widths sigma are chosen so that
the full disc (alpha = 0) of the mean Moon (semi-diameter of a 3476 km Moon
at 384400 km) gives total + 0.29 and total + 0.04, the offsets used for the
Sun's full disc: for a uniform disc of radius R centred on the field the
fraction is (1 - exp(-u)) / u with u = R^2 / (2 sigma^2).

Usage: python3 tools/moon_mag.py > data/MoonMag.txt
"""
import math
import sys

import numpy as np

MOON_RADIUS_KM = 1738.0
MEAN_DISTANCE_KM = 384400.0
FOVEAL_OFFSET = 0.29
PERIPHERAL_OFFSET = 0.04
ROWS = 181


def allen(alpha):
    return -12.73 + 0.026 * alpha + 4.0e-9 * alpha ** 4


JOIN = 150  # the largest phase angle of Allen's law (degrees)


def integrated_light(alpha):
    """Light of the whole lit shape under the Lommel-Seeliger law (the sum
    that lit_shape weighs), on a finer grid than the fields need so that the
    ratio to 150 degrees holds to a thousandth of a magnitude."""
    return float(np.sum(lit_shape(alpha, n=800)[2]))


def total_magnitude(alpha):
    if alpha <= JOIN:
        return allen(alpha)
    if alpha < 180:
        return allen(JOIN) - 2.5 * math.log10(integrated_light(alpha) / integrated_light(JOIN))
    return 2 * total_magnitude(179) - total_magnitude(178)


def sigma_for(offset, radius):
    """Width of a Gaussian field that gathers 10^(-offset/2.5) of a uniform
    disc of the given radius centred on it."""
    target = 10 ** (-offset / 2.5)
    lo, hi = 1e-9, 50.0  # u; the fraction (1 - exp(-u)) / u falls with u
    for _ in range(200):
        u = 0.5 * (lo + hi)
        if (1 - math.exp(-u)) / u > target:
            lo = u
        else:
            hi = u
    return radius / math.sqrt(2 * u)


def lit_shape(alpha_deg, n=240):
    """Points (x, y) of the lit shape on a disc of radius 1 (Sun toward +x)
    and the light of each (Lommel-Seeliger radiance times area)."""
    a = math.radians(alpha_deg)
    y = (np.arange(n) + 0.5) / n * 2 - 1
    s = np.sqrt(1 - y * y)
    t = (np.arange(n) + 0.5) / n
    # Each row is lit from the terminator (-s cos alpha) to the limb (s).
    x0 = -s * math.cos(a)
    width = s - x0
    X = x0[:, None] + width[:, None] * t[None, :]
    Y = np.broadcast_to(y[:, None], X.shape)
    Z = np.sqrt(np.clip(1 - X * X - Y * Y, 0, None))
    mu0 = np.clip(X * math.sin(a) + Z * math.cos(a), 0, None)
    with np.errstate(invalid="ignore", divide="ignore"):
        radiance = np.where(mu0 + Z > 0, mu0 / (mu0 + Z), 0.0)
    light = radiance * (width[:, None] / n) * (2.0 / n)
    return X.ravel(), Y.ravel(), light.ravel()


def fraction(X, Y, light, xf, sigma):
    w = np.exp(-((X - xf) ** 2 + Y ** 2) / (2 * sigma * sigma))
    return float(np.sum(light * w) / np.sum(light))


def offsets(alpha, radius, sig_f, sig_p):
    # The lit shape vanishes at new Moon; its shape (and so the fractions)
    # tends to that of the thinnest crescent.
    X, Y, light = lit_shape(min(alpha, 179.99))
    sf, sp = sig_f / radius, sig_p / radius  # in units of the radius
    # The fixation point that gathers most light in the foveal field.
    grid = np.linspace(-1, 1, 81)
    best = max(grid, key=lambda xf: fraction(X, Y, light, xf, sf))
    lo, hi = best - 0.025, best + 0.025
    g = (math.sqrt(5) - 1) / 2
    for _ in range(30):
        c, d = hi - g * (hi - lo), lo + g * (hi - lo)
        if fraction(X, Y, light, c, sf) > fraction(X, Y, light, d, sf):
            hi = d
        else:
            lo = c
    xf = 0.5 * (lo + hi)
    ff = fraction(X, Y, light, xf, sf)
    fp = fraction(X, Y, light, xf, sp)
    return -2.5 * math.log10(ff), -2.5 * math.log10(fp), xf


def main():
    radius = math.degrees(math.asin(MOON_RADIUS_KM / MEAN_DISTANCE_KM))
    sig_f = sigma_for(FOVEAL_OFFSET, radius)
    sig_p = sigma_for(PERIPHERAL_OFFSET, radius)
    out = sys.stdout
    w = out.write
    w("# MoonMag.txt: magnitudes of the Moon above the atmosphere at its mean distance (384400 km)\n")
    w("# and 1 au from the Sun for each whole degree of phase angle 0 (full) to 180 (new).\n")
    w("# Each record: phase angle (degrees) - total - foveal - peripheral magnitude.\n")
    w("# Total: C. W. Allen - Astrophysical Quantities - 3rd ed. (1973) p. 144:\n")
    w("#   m = -12.73 + 0.026 a + 4.0e-9 a^4 (a the phase angle in degrees) up to 150 degrees;\n")
    w("#   beyond it the light of the lit shape under the Lommel-Seeliger law (the law of the\n")
    w("#   foveal and peripheral spread below) joined to Allen's at 150: m = m(150) - 2.5 log10(L(a) / L(150));\n")
    w("#   at 180 (no light) the step from 178 to 179 is continued to keep the table finite.\n")
    w("# Foveal and peripheral: total - 2.5 log10 of the fraction of the lit shape's light that\n")
    w("#   the eye's central and off-centre fields gather. Each field weighs light at angular\n")
    w("#   distance d from the fixation point by exp(-d^2 / (2 s^2)): s = %.4f degrees (foveal)\n" % sig_f)
    w("#   and s = %.4f degrees (peripheral). The eye fixes the point on the Moon's axis toward\n" % sig_p)
    w("#   the Sun that puts most light in the foveal field. Light within the lit shape follows\n")
    w("#   the Lommel-Seeliger law (radiance mu0 / (mu0 + mu); Lommel 1887 and Seeliger 1888; its disc\n")
    w("#   integral: B. Hapke - Theory of Reflectance and Emittance Spectroscopy - 2nd ed. (2012) ch. 8)\n")
    w("#   which makes the full Moon a uniform disc. The two widths give the full disc of the mean\n")
    w("#   Moon (semi-diameter %.4f degrees)\n" % radius)
    w("#   total + 0.29 and total + 0.04: the offsets of the Sun's full disc. A thin crescent\n")
    w("#   spreads its light along the limb so that less of it falls within the foveal field.\n")
    w("# Regenerate: python3 tools/moon_mag.py > data/MoonMag.txt\n")
    for alpha in range(ROWS):
        m = total_magnitude(alpha)
        df, dp, _ = offsets(alpha, radius, sig_f, sig_p)
        w("%d,%.3f,%.3f,%.3f\n" % (alpha, m, m + df, m + dp))


if __name__ == "__main__":
    main()
