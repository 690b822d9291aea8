#!/usr/bin/env python3
"""Write data/DeltaT.txt and data/PastDeltaT.txt, the two tables of Delta T.

Delta T = TT - UT in seconds. The program reads the values only, in order;
the year of each entry is implied by its position:

  DeltaT.txt      196 values for 1 January of 1620, 1622, ... 2010; accepted -10 to 130 s
  PastDeltaT.txt   43 values for the years -500, -450, ... 1600;     accepted 100 to 17000 s

Sources
-------
DeltaT.txt, 1620 to 1998: J. Meeus, Astronomical Algorithms, 2nd edition
(Willmann-Bell 1998), Table 10.A, the observed values of Delta T at the
beginning of the even years 1620 to 1998. Read from the transcription
v3/deltat/deltat.go of the public repository soniakeys/meeus (its last six
values, 2000 to 2010, are not Meeus's and are not used); --crosscheck compares
1620 to 1998 with a second transcription, trunk/Source/AADynamicalTime.pas of
BackupTheBerlios/xcalendar-svn (allowed difference 0.1 s: that one carries a
few later Almanac values to two decimals).

DeltaT.txt, 2000 to 2010: the monthly determinations of TT - UT1 published by
the IERS Rapid Service/Prediction Centre at the U.S. Naval Observatory, file
deltat.data (https://maia.usno.navy.mil/ser7/deltat.data), the value at
1 January of each year as published. The same file checks Meeus's values for
1974 to 1998 (allowed difference 0.1 s, the rounding of Table 10.A plus
later revision).

PastDeltaT.txt: the cubic spline through the historical determinations of
Delta T from eclipses (720 BC to AD 1600) and lunar occultations of
F. R. Stephenson, L. V. Morrison and C. Y. Hohenkerk, Measurement of the
Earth's rotation: 720 BC to AD 2015, Proc. R. Soc. A 472: 20160404 (2016),
as revised by L. V. Morrison, F. R. Stephenson, C. Y. Hohenkerk and
M. Zawilski, Addendum 2020, Proc. R. Soc. A 477: 20200776 (2021): the
polynomial coefficients of their Table S15 (version 2020, HM Nautical Almanac
Office, http://astro.ukho.gov.uk/nao/lvm/Table-S15.2020.txt) evaluated at each
year and rounded to whole seconds. The tabulated values of L. V. Morrison and
F. R. Stephenson, J. Hist. Astron. 35, 327 (2004) were not used: they come
in steps of 100 years only, and their value for -500 (17190 s) lies above
the accepted maximum of 17000 s; --ms2004 prints them beside ours.

The values are written as published. The program applies its own correction
for the Moon's tidal acceleration when it loads them.

Regenerate (from the repository root):
  git clone https://github.com/soniakeys/meeus /tmp/meeus
  git clone https://github.com/skyfielders/python-skyfield /tmp/skyfield
  curl -o /tmp/deltat.data https://maia.usno.navy.mil/ser7/deltat.data
  python3 tools/delta_t_tables.py --meeus /tmp/meeus/v3/deltat/deltat.go \\
      --iers /tmp/deltat.data --s15 /tmp/skyfield/Table-S15.2020.txt --out data
Optional checks: --crosscheck <AADynamicalTime.pas of xcalendar-svn> and
--ms2004 <skyfield/data/morrison_stephenson_deltat.npy of python-skyfield>.
(The copy of deltat.data used for the committed files is the one of the
public repository psychemedia/showntell, commit c2cac23590df; its values to
2010 are those of the USNO file.)
"""

import argparse
import array
import ast
import os
import re
import struct
import sys

MODERN_FIRST, MODERN_STEP, MODERN_COUNT = 1620, 2, 196
PAST_FIRST, PAST_STEP, PAST_COUNT = -500, 50, 43
MODERN_RANGE = (-10.0, 130.0)
PAST_RANGE = (100.0, 17000.0)
MEEUS_LAST = 1998

NUMBER = r"-?\d+(?:\.\d*)?"


def read_meeus_go(path):
    """The 196 numbers of table10A in deltat.go (1620 to 2010)."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    start = text.index("table10A")
    body = text[text.index("{", start) + 1:text.index("}", start)]
    values = [float(v) for v in re.findall(NUMBER, body)]
    if len(values) != MODERN_COUNT:
        sys.exit("deltat.go: expected %d values, found %d" % (MODERN_COUNT, len(values)))
    return values


def read_meeus_pas(path):
    """The numbers of DeltaTTable in AADynamicalTime.pas (1620 onwards)."""
    with open(path, encoding="latin-1") as f:
        text = f.read()
    start = text.index("DeltaTTable")
    body = text[text.index("(", text.index("=", start)) + 1:text.index(");", start)]
    body = re.sub(r"//[^\n]*", "", body)
    return [float(v) for v in re.findall(NUMBER, body)]


def read_iers(path):
    """Monthly TT - UT1 of deltat.data as {(year, month): seconds}."""
    values = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 4:
                values[(int(parts[0]), int(parts[1]))] = (float(parts[3]), parts[3])
    return values


def read_s15(path):
    """Rows (K_i, K_i+1, a0, a1, a2, a3) of Table S15."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 7 and parts[0].isdigit():
                rows.append(tuple(float(v) for v in parts[1:]))
    if not rows:
        sys.exit("Table S15: no rows found")
    # The spline is continuous: each row starts where the one before ends.
    for (k0, k1, a0, a1, a2, a3), nxt in zip(rows, rows[1:]):
        if k1 != nxt[0] or abs(a0 + a1 + a2 + a3 - nxt[2]) > 0.01:
            sys.exit("Table S15: rows %s and %s do not join" % (k0, nxt[0]))
    return rows


def s15_delta_t(rows, year):
    for k0, k1, a0, a1, a2, a3 in rows:
        if k0 <= year <= k1:
            t = (year - k0) / (k1 - k0)
            return a0 + t * (a1 + t * (a2 + t * a3))
    sys.exit("Table S15 does not cover the year %s" % year)


def read_npy(path):
    """A (2, n) float64 array of a .npy file as two lists."""
    with open(path, "rb") as f:
        data = f.read()
    header_len = struct.unpack("<H", data[8:10])[0]
    header = ast.literal_eval(data[10:10 + header_len].decode("latin-1"))
    values = array.array("d")
    values.frombytes(data[10 + header_len:])
    n = header["shape"][1]
    return list(values[:n]), list(values[n:])


def comment(text):
    # Items are split at commas, so a comment with a comma must be quoted.
    if '"' in text:
        sys.exit("comment with a double quote: " + text)
    line = "# " + text
    return '"%s"' % line if "," in line else line


def write(path, header, values, first, step):
    lines = [comment(s) for s in header]
    for k, (value, text) in enumerate(values):
        shown = text if text is not None else "%.6g" % value
        lines.append("%s, # %d" % (shown, first + step * k))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


MODERN_HEADER = [
    "Delta T = TT - UT in seconds at 1 January of the years 1620 to 2010 in steps of 2 years.",
    "One value per entry in order (196 entries); the year after each value is a comment.",
    "1620 to 1998: J. Meeus - Astronomical Algorithms - 2nd edition (Willmann-Bell 1998)",
    "  Table 10.A: observed values of Delta T at the beginning of the even years;",
    "  read from a public machine-readable transcription of that table (soniakeys/meeus v3/deltat/deltat.go)",
    "  and checked against a second one and against the IERS values 1974 to 1998.",
    "2000 to 2010: IERS Rapid Service/Prediction Centre (U.S. Naval Observatory) -",
    "  monthly determinations of TT - UT1 in deltat.data (maia.usno.navy.mil/ser7)",
    "  at 1 January of each year - as published.",
    "Values as published: the program corrects the entries before 1955.5 for the",
    "  tidal acceleration of the Moon when it loads them.",
    "Generated by tools/delta_t_tables.py; see that file for the command that regenerates it.",
]

PAST_HEADER = [
    "Delta T = TT - UT in seconds for the years -500 to 1600 in steps of 50 years",
    "  (astronomical year numbering: 0 is 1 BC).",
    "One value per entry in order (43 entries); the year after each value is a comment.",
    "Source: F. R. Stephenson - L. V. Morrison - C. Y. Hohenkerk: Measurement of the Earth's",
    "  rotation: 720 BC to AD 2015 - Proc. R. Soc. A 472: 20160404 (2016) - as revised in",
    "  L. V. Morrison - F. R. Stephenson - C. Y. Hohenkerk - M. Zawilski: Addendum 2020 -",
    "  Proc. R. Soc. A 477: 20200776 (2021). Their cubic spline through the determinations",
    "  of Delta T from historical eclipses (and lunar occultations from 1600) is published",
    "  as polynomial coefficients in Table S15 version 2020 (HM Nautical Almanac Office -",
    "  astro.ukho.gov.uk/nao/lvm/Table-S15.2020.txt); each value here is that spline",
    "  evaluated at the year and rounded to whole seconds.",
    "Values as published: the program corrects every entry for the tidal acceleration",
    "  of the Moon when it loads them.",
    "Generated by tools/delta_t_tables.py; see that file for the command that regenerates it.",
]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--meeus", required=True, help="v3/deltat/deltat.go of soniakeys/meeus")
    ap.add_argument("--iers", required=True, help="deltat.data of the USNO")
    ap.add_argument("--s15", required=True, help="Table-S15.2020.txt")
    ap.add_argument("--crosscheck", help="trunk/Source/AADynamicalTime.pas of xcalendar-svn")
    ap.add_argument("--ms2004", help="skyfield/data/morrison_stephenson_deltat.npy")
    ap.add_argument("--out", default="data")
    args = ap.parse_args()

    meeus = read_meeus_go(args.meeus)[:(MEEUS_LAST - MODERN_FIRST) // MODERN_STEP + 1]
    if args.crosscheck:
        other = read_meeus_pas(args.crosscheck)
        worst = max(abs(a - b) for a, b in zip(meeus, other))
        print("cross-check of Table 10.A: largest difference %.2f s over %d values" % (worst, len(meeus)))
        if worst > 0.1 + 1e-9:
            sys.exit("the two transcriptions of Table 10.A differ by more than 0.1 s")

    iers = read_iers(args.iers)
    worst = 0.0
    for k, value in enumerate(meeus):
        year = MODERN_FIRST + MODERN_STEP * k
        if (year, 1) in iers:
            worst = max(worst, abs(value - iers[(year, 1)][0]))
    print("Table 10.A against IERS 1974 to 1998: largest difference %.3f s" % worst)
    if worst > 0.1:
        sys.exit("Table 10.A and the IERS values differ by more than 0.1 s")

    modern = [(v, None) for v in meeus]
    for year in range(MEEUS_LAST + MODERN_STEP, MODERN_FIRST + MODERN_STEP * MODERN_COUNT, MODERN_STEP):
        if (year, 1) not in iers:
            sys.exit("deltat.data has no value for 1 January %d" % year)
        modern.append(iers[(year, 1)])
    assert len(modern) == MODERN_COUNT

    s15 = read_s15(args.s15)
    past = []
    for k in range(PAST_COUNT):
        value = float(round(s15_delta_t(s15, PAST_FIRST + PAST_STEP * k)))
        past.append((value, "%.0f" % value))

    for name, table, (low, high) in (("DeltaT.txt", modern, MODERN_RANGE), ("PastDeltaT.txt", past, PAST_RANGE)):
        for value, _ in table:
            if not low <= value <= high:
                sys.exit("%s: value %s outside the accepted %s to %s" % (name, value, low, high))

    if args.ms2004:
        jd, values = read_npy(args.ms2004)
        print("Morrison and Stephenson 2004 beside Table S15 (s):")
        for j, v in zip(jd, values):
            year = round((j - 1721059.5) / 365.2425)
            if PAST_FIRST <= year <= 1600:
                ours = past[(year - PAST_FIRST) // PAST_STEP][0]
                note = "  outside the accepted range" if not PAST_RANGE[0] <= v <= PAST_RANGE[1] else ""
                print("  %5d  %7.0f  %7.0f%s" % (year, v, ours, note))

    write(os.path.join(args.out, "DeltaT.txt"), MODERN_HEADER, modern, MODERN_FIRST, MODERN_STEP)
    write(os.path.join(args.out, "PastDeltaT.txt"), PAST_HEADER, past, PAST_FIRST, PAST_STEP)
    print("wrote DeltaT.txt (%d values) and PastDeltaT.txt (%d values)" % (len(modern), len(past)))


if __name__ == "__main__":
    main()
