#!/usr/bin/env python3
"""Write data/MoonLong.txt and data/Moonlat.txt, the periodic terms of the Moon.

The terms are those of the abridged lunar theory published by J. Meeus,
Astronomical Algorithms, 2nd edition (Willmann-Bell 1998), chapter 47, tables
47.A (longitude and distance, 60 terms) and 47.B (latitude, 60 terms), which
Meeus derived from the ELP-2000/82 theory of M. Chapront-Touze and J. Chapront.
Each row holds the multiples of D, M, M' and F and the coefficients: longitude
and latitude in 1e-6 degree (sine terms), distance in 1e-3 km (cosine terms).

The rows are read from a machine-readable transcription of the two tables,
v3/moonposition/moonposition.go of the public repository soniakeys/meeus;
--crosscheck compares them with a second, independent transcription
(pymeeus/Moon.py of the public repository architest/pymeeus). The tables are
then checked against Meeus's worked example 47.a (1992 April 12 at 0h TD):
sums -1127527, -3229126 and -16590875, longitude 133.162655 deg, latitude
-3.229126 deg and distance 368409.7 km.

Regenerate (from the repository root):
  git clone https://github.com/soniakeys/meeus /tmp/meeus
  git clone https://github.com/architest/pymeeus /tmp/pymeeus
  python3 tools/moon_tables.py --source /tmp/meeus/v3/moonposition/moonposition.go \
      --crosscheck /tmp/pymeeus/pymeeus/Moon.py --out data
"""

import argparse
import math
import os
import re
import sys

NUMBER = r"-?\d+(?:\.\d*)?"


def rows_between(text, start, end, width):
    """Integer rows of `width` numbers in text between the markers start and end."""
    i = text.index(start)
    j = text.index(end, i)
    rows = []
    for m in re.finditer(r"[{\[]\s*(%s(?:\s*,\s*%s)*)\s*[}\]]" % (NUMBER, NUMBER), text[i:j]):
        values = [float(v) for v in m.group(1).split(",")]
        if len(values) != width:
            continue
        if any(v != int(v) for v in values):
            sys.exit("non-integer value in row %s" % m.group(0))
        rows.append([int(v) for v in values])
    return rows


def read_go(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return (rows_between(text, "var ta", "type tbs", 6),
            rows_between(text, "var tb", "func Node", 5))


def read_pymeeus(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return (rows_between(text, "PERIODIC_TERMS_LR_TABLE", "PERIODIC_TERMS_B_TABLE", 6),
            rows_between(text, "PERIODIC_TERMS_B_TABLE", "class Moon", 5))


def sind(x):
    return math.sin(math.radians(x % 360.0))


def moon(lon_rows, lat_rows, jde):
    """Geocentric longitude, latitude (deg, mean equinox of date, no nutation),
    distance (km) and the three sums."""
    t = (jde - 2451545.0) / 36525.0
    lp = 218.3164477 + 481267.88123421 * t - 0.0015786 * t ** 2 + t ** 3 / 538841 - t ** 4 / 65194000
    d = 297.8501921 + 445267.1114034 * t - 0.0018819 * t ** 2 + t ** 3 / 545868 - t ** 4 / 113065000
    m = 357.5291092 + 35999.0502909 * t - 0.0001536 * t ** 2 + t ** 3 / 24490000
    mp = 134.9633964 + 477198.8675055 * t + 0.0087414 * t ** 2 + t ** 3 / 69699 - t ** 4 / 14712000
    f = 93.272095 + 483202.0175233 * t - 0.0036539 * t ** 2 - t ** 3 / 3526000 + t ** 4 / 863310000
    a1 = 119.75 + 131.849 * t
    a2 = 53.09 + 479264.29 * t
    a3 = 313.45 + 481266.484 * t
    e = 1 - 0.002516 * t - 0.0000074 * t ** 2
    sl = sr = sb = 0.0
    for cd, cm, cmp, cf, cl, cr in lon_rows:
        arg = cd * d + cm * m + cmp * mp + cf * f
        ef = e ** abs(cm)
        sl += cl * ef * sind(arg)
        sr += cr * ef * math.cos(math.radians(arg % 360.0))
    for cd, cm, cmp, cf, cb in lat_rows:
        arg = cd * d + cm * m + cmp * mp + cf * f
        sb += cb * e ** abs(cm) * sind(arg)
    sl += 3958 * sind(a1) + 1962 * sind(lp - f) + 318 * sind(a2)
    sb += (-2235 * sind(lp) + 382 * sind(a3) + 175 * sind(a1 - f) + 175 * sind(a1 + f)
           + 127 * sind(lp - mp) - 115 * sind(lp + mp))
    return (lp + sl / 1e6) % 360.0, sb / 1e6, 385000.56 + sr / 1000.0, sl, sb, sr


SOURCE_LINES = [
    "Source: J. Meeus - Astronomical Algorithms - 2nd edition (Willmann-Bell 1998)",
    "chapter 47 - tables 47.A and 47.B: the 60 largest periodic terms of the",
    "Moon's longitude and distance and the 60 of its latitude - abridged by Meeus",
    "from the lunar theory ELP-2000/82 of M. Chapront-Touze and J. Chapront.",
    "Transcription read: soniakeys/meeus v3/moonposition/moonposition.go - checked",
    "against pymeeus/Moon.py of architest/pymeeus and against Meeus example 47.a.",
    "Regenerate: python3 tools/moon_tables.py --source <moonposition.go> --out data",
]


def write(path, title, columns, rows):
    lines = ["~ " + title]
    lines += ["~ " + s for s in SOURCE_LINES]
    lines.append("~ One row per term: " + columns)
    lines.append("~ The next line is the heading item: it is read and discarded.")
    lines.append(title)
    lines += [",".join(str(v) for v in row) for row in rows]
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--source", required=True, help="moonposition.go of soniakeys/meeus")
    ap.add_argument("--crosscheck", help="Moon.py of architest/pymeeus")
    ap.add_argument("--out", default="data")
    args = ap.parse_args()

    lon_rows, lat_rows = read_go(args.source)
    if len(lon_rows) != 60 or len(lat_rows) != 60:
        sys.exit("expected 60 + 60 rows, found %d + %d" % (len(lon_rows), len(lat_rows)))
    if args.crosscheck:
        lon2, lat2 = read_pymeeus(args.crosscheck)
        if (lon2, lat2) != (lon_rows, lat_rows):
            for k, (a, b) in enumerate(zip(lon_rows + lat_rows, lon2 + lat2)):
                if a != b:
                    print("row %d differs: %s / %s" % (k, a, b))
            sys.exit("the two transcriptions differ")
        print("cross-check: both transcriptions agree row by row")
    for row in lon_rows + lat_rows:
        if abs(row[1]) > 2 or any(abs(v) > 100000000 for v in row):
            sys.exit("row out of range: %s" % row)

    lam, beta, dist, sl, sb, sr = moon(lon_rows, lat_rows, 2448724.5)
    print("example 47.a: sum l %.0f  sum b %.0f  sum r %.0f  lambda %.6f  beta %.6f  delta %.1f"
          % (sl, sb, sr, lam, beta, dist))
    if (round(sl) != -1127527 or round(sb) != -3229126 or round(sr) != -16590875
            or abs(lam - 133.162655) > 1e-6 or abs(beta + 3.229126) > 1e-6 or abs(dist - 368409.7) > 0.05):
        sys.exit("the tables do not reproduce Meeus example 47.a")

    write(os.path.join(args.out, "MoonLong.txt"), "Periodic terms of the Moon's longitude and distance",
          "multiples of D and M and M' and F - longitude in 1e-6 degree (sine) - distance in 1e-3 km (cosine)",
          lon_rows)
    write(os.path.join(args.out, "Moonlat.txt"), "Periodic terms of the Moon's latitude",
          "multiples of D and M and M' and F - latitude in 1e-6 degree (sine)",
          lat_rows)
    print("wrote MoonLong.txt (60 rows) and Moonlat.txt (60 rows)")


if __name__ == "__main__":
    main()
