#!/usr/bin/env python3
"""Coefficients of the cosine and sine used by the sums of periodic terms
(ephemeris/hbody.cpp, seriesCos and seriesSin).

With u = r^2 and r in [-pi/2, pi/2]: cos r = 1 + u p(u), sin r = r + r u q(u).
p and q start as the Taylor series of (cos r - 1) / r^2 and (sin r / r - 1) / r^2
to degree 15 in u, are written in Chebyshev polynomials over u in
[0, (pi/2)^2], and are cut to degree 7 (Chebyshev economization). Everything
is exact rational arithmetic; the printed bound is the sum of the dropped
Chebyshev coefficients times (pi/2)^2, which bounds the difference from cos r
(or, times pi/2, from sin r). Prints the coefficients as C++ hexadecimal
floating literals, lowest degree first.

Usage: tools/series_polynomials.py
"""
import math
from fractions import Fraction as F

PI = F("3.1415926535897932384626433832795028841971")
U = (PI / 2) ** 2
TAYLOR_TERMS = 16
DEGREE = 7


def add(a, b):
    return [(a[i] if i < len(a) else 0) + (b[i] if i < len(b) else 0) for i in range(max(len(a), len(b)))]


def multiply(a, b):
    out = [F(0)] * (len(a) + len(b) - 1)
    for i, x in enumerate(a):
        for j, y in enumerate(b):
            out[i + j] += x * y
    return out


def economize(taylor, degree):
    # In x on [-1, 1] with u = U (x + 1) / 2.
    in_x, power = [F(0)], [F(1)]
    for c in taylor:
        in_x = add(in_x, [c * t for t in power])
        power = multiply(power, [U / 2, U / 2])
    cheb_polys = [[F(1)], [F(0), F(1)]]
    while len(cheb_polys) < len(in_x):
        a = [F(0)] + [2 * t for t in cheb_polys[-1]]
        b = cheb_polys[-2] + [F(0)] * (len(a) - len(cheb_polys[-2]))
        cheb_polys.append([a[i] - b[i] for i in range(len(a))])
    rest, cheb = in_x[:], [F(0)] * len(in_x)
    for n in range(len(in_x) - 1, -1, -1):
        cheb[n] = rest[n] / cheb_polys[n][n]
        for i in range(n + 1):
            rest[i] -= cheb[n] * cheb_polys[n][i]
    dropped = sum(abs(c) for c in cheb[degree + 1:])
    kept = [F(0)] * (degree + 1)
    for n in range(degree + 1):
        for i, t in enumerate(cheb_polys[n]):
            kept[i] += cheb[n] * t
    # Back to u: x = 2 u / U - 1.
    in_u, power = [F(0)], [F(1)]
    for c in kept:
        in_u = add(in_u, [c * t for t in power])
        power = multiply(power, [F(-1), 2 / U])
    return in_u, dropped


def main():
    cosine = [F((-1) ** (j + 1), math.factorial(2 * j + 2)) for j in range(TAYLOR_TERMS)]
    sine = [F((-1) ** (j + 1), math.factorial(2 * j + 3)) for j in range(TAYLOR_TERMS)]
    for name, taylor in (("p (cosine)", cosine), ("q (sine)", sine)):
        coefficients, dropped = economize(taylor, DEGREE)
        print(f"{name}: bound {float(dropped * U):.3g}")
        print(", ".join(float(c).hex() for c in coefficients))


if __name__ == "__main__":
    main()
