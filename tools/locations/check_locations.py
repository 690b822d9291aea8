#!/usr/bin/env python3
"""Check data/Locations.txt and data/Curloc.bak as the program reads them.

    python3 tools/locations/check_locations.py [--root DIR] [--jobs N]

Reads the location database item by item (items separated by commas or line
ends, blanks around an item dropped, double-quoted items verbatim, empty
items and items that start with "#" skipped), applies every range check of
the reader and of the zone-history check of the location dialog, then
compares each country's zone history with the IANA zone that
tests/data/zone_map.txt names for it: at noon UT of every day from 1970 to
2037, every hour from 36 hours before to 36 hours after every change of the
zone's offset, and every hour of every day on which one of the history's
rules falls.  Also checks that the weather the program estimates from every
neighbourhood's climate (mean plus half the daily and half the annual range,
each cycle at either extreme) stays within -120 to 70 C, 0 to 1200 mbar and
0 to 100 % at every hour and season.  Prints the number of mismatches and
exits with status 1 when a check fails or a mismatch is not listed as
expected in the zone table.
"""

from __future__ import annotations

import argparse
import multiprocessing
import os
import sys
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zonerules as zr  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
MAX_DATE = 10592250


class Items:
    def __init__(self, text: str, marker: str):
        self.items: list[str] = []
        for line in text.splitlines():
            pos = 0
            while pos <= len(line):
                rest = line[pos:].lstrip(" \t")
                pos = len(line) - len(rest)
                if rest.startswith('"'):
                    end = rest.find('"', 1)
                    end = len(rest) if end < 0 else end
                    item = rest[1:end]
                    comma = rest.find(",", end)
                    pos += (len(rest) if comma < 0 else comma) + 1
                else:
                    comma = rest.find(",")
                    item = (rest if comma < 0 else rest[:comma]).strip(" \t")
                    pos += (len(rest) if comma < 0 else comma) + 1
                if item and not item.startswith(marker):
                    self.items.append(item)
        self.pos = 0

    def next(self) -> str:
        if self.pos >= len(self.items):
            return ""
        self.pos += 1
        return self.items[self.pos - 1]


class Bad(Exception):
    pass


def num(s: str) -> float | None:
    try:
        return float(s)
    except ValueError:
        return None


def long_item(it: Items, lo: int, hi: int, what: str) -> int:
    v = num(it.next())
    if v is None or v != int(v) or not lo <= v <= hi:
        raise Bad(what)
    return int(v)


def double_item(it: Items, lo: float, hi: float, what: str, lo_incl=True) -> float:
    s = it.next()
    v = num(s)
    if v is None or v > hi or v < lo or (v == lo and not lo_incl):
        raise Bad(what)
    return v


def read_rule(it: Items, word: str, j: int, c: str) -> zr.Rule:
    where = f"{c} epoch {j} {word} rule"
    hour = long_item(it, 0, 23, f"{where}: hour")
    dow = long_item(it, 0, 6, f"{where}: day of week")
    week = long_item(it, 0, 5, f"{where}: week")
    dom = long_item(it, 0, 31, f"{where}: date of month")
    month = long_item(it, 1, 12, f"{where}: month")
    cal = it.next()
    if (dom == 31 and month in (2, 4, 6, 9, 11)) or (dom == 30 and month == 2):
        raise Bad(f"{where}: date of month")
    if cal not in ("Gregorian", "Hebrew"):
        raise Bad(f"{where}: date type")
    caltype = zr.GREGORIAN if cal == "Gregorian" else zr.HEBREW
    # the location dialog's own check: Hebrew rules may not name day 31,
    # and a date of month 0 cannot be evaluated
    if caltype == zr.HEBREW and dom == 31:
        raise Bad(f"{where}: Hebrew date of month 31")
    if dom == 0:
        raise Bad(f"{where}: date of month 0 cannot be evaluated")
    return zr.Rule(hour, dow, week, dom, month, caltype)


def read_database(text: str, climates: list | None = None):
    """The countries with their zone histories and places; the climate items
    of every neighbourhood are appended to climates when it is given."""
    climates = [] if climates is None else climates
    it = Items(text, "#")
    n = long_item(it, 0, 32766, "number of countries")
    countries = []
    for i in range(n):
        c = it.next()
        if not c:
            raise Bad(f"country name ({i}) missing")
        ntz = long_item(it, 1, 32766, f"number of zone histories for {c}")
        epochs = []
        for j in range(ntz):
            last = it.next()
            if last != "FALSE":
                v = num(last)
                if v is None or abs(v) > MAX_DATE:
                    raise Bad(f"last applicable date for {c} epoch {j}")
            tz_text = it.next()
            tz = num(tz_text)
            if tz is None or not -14 <= tz <= 14:
                raise Bad(f"time zone for {c} epoch {j}")
            flag = it.next()
            if flag not in ("TRUE", "FALSE"):
                raise Bad(f"DST flag for {c} epoch {j}")
            start = end = None
            if flag == "TRUE":
                start = read_rule(it, "start", j, c)
                end = read_rule(it, "end", j, c)
            epochs.append(zr.Epoch(None if last == "FALSE" else last, Fraction(tz_text),
                                   start, end))
        for j, ep in enumerate(epochs[:-1]):
            if ep.last is None:
                raise Bad(f"{c}: epoch {j} has no end but is not the last")
        ncity = long_item(it, 1, 32766, f"number of cities for {c}")
        cities = {}
        for k in range(ncity):
            y = it.next()
            if not y:
                raise Bad(f"town/city name missing for {c} city ({k})")
            nnb = long_item(it, 1, 32766, f"number of neighbourhoods for {c} city ({k})")
            nbs = {}
            for m in range(nnb):
                nm = it.next()
                if not nm:
                    raise Bad(f"neighbourhood name missing for {c}, {y} ({m})")
                w = f"{c}, {y}, {nm}"
                lat = double_item(it, -90, 90, f"latitude for {w}")
                lon = double_item(it, -180, 180, f"longitude for {w}", lo_incl=False)
                h = double_item(it, -1000, 100000, f"height for {w}")
                t = double_item(it, -162, 70, f"mean temperature for {w}")
                lim = min(t + 162, 70 - t)
                dt = double_item(it, -2 * lim, 2 * lim, f"daily temperature range for {w}")
                lim = min(t - dt / 2 + 162, 70 - t - dt / 2)
                double_item(it, -2 * lim, 2 * lim, f"annual temperature range for {w}")
                p = double_item(it, 0, 1150, f"mean pressure for {w}")
                lim = min(p, 1150 - p)
                dp = double_item(it, -2 * lim, 2 * lim, f"daily pressure range for {w}")
                lim = min(p - dp / 2, 1150 - p - dp / 2)
                double_item(it, -2 * lim, 2 * lim, f"annual pressure range for {w}")
                hu = double_item(it, 0, 100, f"mean humidity for {w}")
                lim = min(hu, 100 - hu)
                dh = double_item(it, -2 * lim, 2 * lim, f"daily humidity range for {w}")
                lim = min(hu - dh / 2, 100 - hu - dh / 2)
                double_item(it, -2 * lim, 2 * lim, f"annual humidity range for {w}")
                # the nine climate items just read, as written, for the envelope check
                climates.append((w, it.items[it.pos - 9:it.pos]))
                nbs.setdefault(nm, (lat, lon, h))
            cities.setdefault(y, nbs)
        countries.append((c, epochs, cities))
    return countries


# Limits of the weather the program estimates from a neighbourhood's climate:
# temperature (C), pressure (mbar) and relative humidity (%).
ENVELOPE = (("temperature", -120, 70), ("pressure", 0, 1200), ("humidity", 0, 100))


def envelope_problems(where: str, items: list[str]) -> list[str]:
    """The program estimates each quantity as mean + daily * D + annual * A
    with D and A between -1/2 and 1/2 (mean, daily range, annual range in the
    file's order), so it reaches mean -/+ (|daily| + |annual|) / 2 at some hour
    and season.  Checked twice: exactly on the decimal values as written, and
    in double arithmetic in the program's order at the four corners, so that
    rounding cannot carry a value that only touches a limit outside it."""
    errs = []
    for k, (what, lo, hi) in enumerate(ENVELOPE):
        m, d, a = (Fraction(x) for x in items[3 * k:3 * k + 3])
        swing = (abs(d) + abs(a)) / 2
        if m - swing < lo or m + swing > hi:
            errs.append(f"{where}: {what} reaches {float(m - swing):g} to {float(m + swing):g}, "
                        f"outside {lo} to {hi}")
            continue
        mf, df, af = (float(x) for x in items[3 * k:3 * k + 3])
        for D in (-0.5, 0.5):
            for A in (-0.5, 0.5):
                v = mf + df * D + af * A
                if not lo <= v <= hi:
                    errs.append(f"{where}: {what} {v!r} at D {D}, A {A} (double arithmetic), "
                                f"outside {lo} to {hi}")
    return errs


def check_curloc(text: str, countries) -> list[str]:
    it = Items(text, "~")
    vals = [it.next() for _ in range(11)]
    errs = []
    db = {c: cities for c, _, cities in countries}
    c, y, n = vals[0], vals[1], vals[2]
    if c not in db:
        return [f"Curloc.bak: unknown country {c!r}"]
    if y not in db[c]:
        return [f"Curloc.bak: unknown city {y!r}"]
    if n not in db[c][y]:
        return [f"Curloc.bak: unknown neighbourhood {n!r}"]
    lat, lon, h = db[c][y][n]
    if vals[3] != "#TRUE#":
        errs.append("Curloc.bak: place not marked valid")
    if abs(float(vals[4]) - lat) > 0.0005 or abs(float(vals[5]) - lon) > 0.0005:
        errs.append("Curloc.bak: position differs from the database")
    if float(vals[6]) != h:
        errs.append("Curloc.bak: height differs from the database")
    if not -14 <= float(vals[7]) <= 14:
        errs.append("Curloc.bak: time zone")
    for k in (8, 9, 10):
        if vals[k] not in ("#TRUE#", "#FALSE#"):
            errs.append(f"Curloc.bak: line {k + 1} is not a Boolean")
    return errs


def check_one(args):
    zone, epochs = args
    return zr.check_history(zone, epochs, 1970, 2037)


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--root", default=os.path.abspath(os.path.join(HERE, "..", "..")))
    ap.add_argument("--jobs", type=int, default=min(2, os.cpu_count() or 1))
    args = ap.parse_args()
    with open(os.path.join(args.root, "data", "Locations.txt"), encoding="ascii") as f:
        text = f.read()
    climates: list = []
    try:
        countries = read_database(text, climates)
    except Bad as e:
        print(f"Locations.txt: invalid {e}")
        return 1
    ncity = sum(len(c[2]) for c in countries)
    nnb = sum(len(nbs) for c in countries for nbs in c[2].values())
    print(f"Locations.txt: {len(countries)} countries or states, {ncity} towns or cities, "
          f"{nnb} neighbourhoods, {sum(len(c[1]) for c in countries)} zone-history epochs")
    outside = [e for w, items in climates for e in envelope_problems(w, items)]
    for e in outside:
        print(e)
    print(f"climate envelopes: {len(climates)} neighbourhoods checked (temperature -120 to 70 C, "
          f"pressure 0 to 1200 mbar, humidity 0 to 100 % at every hour and season), "
          f"{len(outside)} outside")
    with open(os.path.join(args.root, "data", "Curloc.bak"), encoding="ascii") as f:
        errs = check_curloc(f.read(), countries)
    for e in errs:
        print(e)
    zmap = {}
    with open(os.path.join(args.root, "tests", "data", "zone_map.txt"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            name, zone, expected = line.rstrip("\n").split("\t")
            zmap[name] = (zone, expected)
    failed = bool(errs) or bool(outside)
    jobs, keys = [], []
    for c, epochs, _ in countries:
        if c not in zmap:
            print(f"{c}: not in zone_map.txt")
            failed = True
            continue
        jobs.append((zmap[c][0], epochs))
        keys.append(c)
    if args.jobs > 1:
        with multiprocessing.Pool(args.jobs) as pool:
            results = pool.map(check_one, jobs)
    else:
        results = [check_one(j) for j in jobs]
    total_n = total_bad = 0
    for c, (zone, _), (n, bad, texts) in zip(keys, jobs, results):
        total_n += n
        total_bad += bad
        expected = zmap[c][1]
        if bad and expected == "none":
            failed = True
        if bad:
            print(f"{c} ({zone}): {bad} of {n} instants differ")
            for t in texts:
                print("    ", t)
    print(f"zone histories: {len(keys)} checked against /usr/share/zoneinfo 1970-2037, "
          f"{total_n} instants, {total_bad} mismatches")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
