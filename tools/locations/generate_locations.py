#!/usr/bin/env python3
"""Generate the location database (data/Locations.txt), the default location
(data/Curloc.bak) and the zone table of the tests (tests/data/zone_map.txt).

    python3 tools/locations/generate_locations.py [--root DIR] [--jobs N]

Reads entries.csv (countries and states with their IANA zones), places.csv
(towns, neighbourhoods, positions and climate) and sources.csv beside this
script, and the system's time-zone database through zoneinfo.  Each zone
history is derived from the database's changes and then checked against it:
at noon UT of every day from 1970 to 2037, every hour from 36 hours before
to 36 hours after every change, and every hour of every day on which one of
the history's rules falls.  The program stops with status 1 if any check
fails, any value is out of the file's ranges, or the weather estimated from
a neighbourhood's climate would leave its limits at some hour and season
(the derived daily humidity range is shrunk so that it does not).

Standard library only.
"""

from __future__ import annotations

import argparse
import csv
import math
import multiprocessing
import os
import sys
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zonerules as zr  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
FIRST_YEAR, LAST_YEAR = 1970, 2037
BEYOND = 2044                       # histories are also compared up to here
HEBREW_ZONES = {"Asia/Jerusalem"}   # zones whose rules may be Hebrew-calendar rules
DEFAULT = ("Israel", "Jerusalem", "Center")
LAPSE = 0.0065                      # K per metre, standard atmosphere


def read_csv(name: str) -> list[dict]:
    with open(os.path.join(HERE, name), newline="", encoding="utf-8") as f:
        lines = [ln for ln in f if not ln.startswith("#")]
    return list(csv.DictReader(lines))


def tzdata_version() -> str:
    try:
        with open("/usr/share/zoneinfo/tzdata.zi", encoding="utf-8") as f:
            first = f.readline().strip()
        if first.startswith("# version"):
            return first.split()[-1]
    except OSError:
        pass
    return "unknown"


# --------------------------------------------------------------------------
# Zone histories
# --------------------------------------------------------------------------

def build_zone(zone: str):
    d = zr.Deriver(zone, FIRST_YEAR, LAST_YEAR, hebrew=zone in HEBREW_ZONES)
    epochs = d.derive()
    n, bad, texts = zr.check_history(zone, epochs, FIRST_YEAR, LAST_YEAR)
    n2, bad2, texts2 = zr.check_history(zone, epochs, LAST_YEAR + 1, BEYOND)
    return zone, epochs, d.notes, (n, bad, texts), (n2, bad2, texts2)


def epoch_line(ep: zr.Epoch) -> str:
    last = "FALSE" if ep.last is None else ep.last
    tz = zr.fmt_hours(ep.tz * zr.HOUR)
    if not ep.dst:
        return f"{last}, {tz}, FALSE"
    return f"{last}, {tz}, TRUE, {ep.start.text()}, {ep.end.text()}"


def epoch_comment(ep: zr.Epoch) -> str:
    text = zr.describe_last(ep)
    if ep.dst:
        text += " - " + rule_words(ep.start, "into daylight saving") + " - " + \
            rule_words(ep.end, "back to standard time")
    else:
        text += " - no daylight saving"
    return "# " + text


WEEKDAYS = ["Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"]
GMONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
           "September", "October", "November", "December"]
HMONTHS = ["Nisan", "Iyar", "Sivan", "Tammuz", "Av", "Ellul", "Tishri", "Cheshvan",
           "Kislev", "Tevet", "Shevat", "Adar", "Adar 2"]


def rule_words(r: zr.Rule, what: str) -> str:
    month = (GMONTHS if r.caltype == zr.GREGORIAN else HMONTHS)[r.month - 1]
    if r.week == 0:
        day = f"{r.dom} {month}"
    elif r.week == 5:
        day = f"last {WEEKDAYS[r.dow]} of {month}"
    elif r.dom == 1:
        day = f"{['first', 'second', 'third', 'fourth'][r.week - 1]} {WEEKDAYS[r.dow]} of {month}"
    else:
        day = f"first {WEEKDAYS[r.dow]} on or after {r.dom + 7 * (r.week - 1)} {month}"
    return f"{what} {day} at {r.hour}:00"


# --------------------------------------------------------------------------
# Places and climate
# --------------------------------------------------------------------------

def station_pressure(h: float) -> float:
    """Mean pressure (mbar) at height h (m) in the standard atmosphere."""
    return 1013.25 * (1.0 - 2.25577e-5 * h) ** 5.25588


def saturation(t: float) -> float:
    """Saturation vapour pressure over water (mbar), Magnus form."""
    return 6.112 * math.exp(17.62 * t / (243.12 + t))


# Limits of the modelled weather at every hour and season.  The program
# estimates a quantity as mean + daily * D + annual * A with D and A between
# -1/2 and 1/2, so it ranges over mean -/+ (|daily| + |annual|) / 2; outside
# these limits the estimate is refused.
ENVELOPE = {"T": (-120.0, 70.0), "P": (0.0, 1200.0), "H": (0.0, 100.0)}
# The humidity envelope is kept this far (%) inside 0 and 100 so that the
# rounding of the program's double arithmetic cannot carry it out.
HUMIDITY_MARGIN = 0.1


def daily_humidity_range(t: float, dt: float, rh: float, annual: float) -> float:
    """Peak-to-peak daily range of relative humidity (%), negative because
    the humidity is lowest when the temperature is highest.  Derived with
    the vapour pressure taken as constant through the day, then shrunk so
    that the mean, the half annual range and the half daily range together
    stay within 0 to 100 %: the mean and the annual range are the published
    values and are kept; the daily range is the derived one.  One decimal;
    the bound is rounded towards zero so that the written value keeps it."""
    e = rh / 100.0 * saturation(t)
    hi = min(100.0, 100.0 * e / saturation(t - dt / 2))
    lo = 100.0 * e / saturation(t + dt / 2)
    room = 2 * min(rh, 100.0 - rh) - abs(annual) - 2 * HUMIDITY_MARGIN
    bound = math.floor(max(room, 0.0) * 10 + 1e-9) / 10
    return -min(round(hi - lo, 1), bound)


def envelope_problems(vals: dict) -> list[str]:
    """The quantities whose modelled value leaves its limits at some hour and
    season, with the decimal values as written (one decimal)."""
    errs = []
    for q, (lo, hi) in ENVELOPE.items():
        m = Fraction(r1(vals[q]))
        swing = (abs(Fraction(r1(vals["d" + q]))) + abs(Fraction(r1(vals["a" + q])))) / 2
        if m - swing < lo or m + swing > hi:
            errs.append(f"{q} {float(m - swing):g} to {float(m + swing):g} outside {lo:g} to {hi:g}")
    return errs


def r1(x: float) -> str:
    s = f"{x:.1f}"
    return "0.0" if s == "-0.0" else s


def check_ranges(vals: dict) -> list[str]:
    """The checks the program applies to a neighbourhood's items."""
    errs = []
    t, dt, at = vals["T"], vals["dT"], vals["aT"]
    p, dp, ap = vals["P"], vals["dP"], vals["aP"]
    h, dh, ah = vals["H"], vals["dH"], vals["aH"]

    def within(x, lim):
        return -2 * lim <= x <= 2 * lim
    if not -90 <= vals["lat"] <= 90:
        errs.append("latitude")
    if not -180 < vals["lon"] <= 180:
        errs.append("longitude")
    if not -1000 <= vals["height"] <= 100000:
        errs.append("height")
    if not -162 <= t <= 70:
        errs.append("mean temperature")
    if not within(dt, min(t + 162, 70 - t)):
        errs.append("daily temperature range")
    if not within(at, min(t - dt / 2 + 162, 70 - t - dt / 2)):
        errs.append("annual temperature range")
    if not 0 <= p <= 1150:
        errs.append("mean pressure")
    if not within(dp, min(p, 1150 - p)):
        errs.append("daily pressure range")
    if not within(ap, min(p - dp / 2, 1150 - p - dp / 2)):
        errs.append("annual pressure range")
    if not 0 <= h <= 100:
        errs.append("mean humidity")
    if not within(dh, min(h, 100 - h)):
        errs.append("daily humidity range")
    if not within(ah, min(h - dh / 2, 100 - h - dh / 2)):
        errs.append("annual humidity range")
    return errs


def build_places(entries: list[dict], rows: list[dict], sources: dict) -> dict:
    names = [e["name"] for e in entries]
    out: dict[str, dict[str, list]] = {n: {} for n in names}
    station = {}
    problems = []
    for row in rows:
        c, city, nb = row["country"], row["city"], row["neighbourhood"]
        if c not in out:
            problems.append(f"unknown country {c!r} in places.csv")
            continue
        lat, lon, h = float(row["lat"]), float(row["lon"]), float(row["height"])
        if row["t_mean"]:
            if (c, city) in station:
                problems.append(f"second climate row for {c}/{city}")
            if row["source"] not in sources:
                problems.append(f"unknown source {row['source']!r} for {city}")
            station[(c, city)] = {k: float(row[k]) for k in
                                  ("t_mean", "t_daily", "t_jan", "t_jul",
                                   "rh_mean", "rh_jan", "rh_jul")}
            station[(c, city)]["height"] = h
            station[(c, city)]["source"] = row["source"]
        st = station.get((c, city))
        if st is None:
            problems.append(f"{c}/{city}/{nb}: no climate row before it")
            continue
        t = round(st["t_mean"] - LAPSE * (h - st["height"]), 1)
        dt = st["t_daily"]
        rh = st["rh_mean"]
        ah = round(st["rh_jul"] - st["rh_jan"], 1)
        vals = {
            "name": nb, "lat": lat, "lon": lon, "height": h,
            "T": t, "dT": dt, "aT": round(st["t_jul"] - st["t_jan"], 1),
            "P": round(station_pressure(h), 1), "dP": 0.0, "aP": 0.0,
            "H": rh, "dH": daily_humidity_range(t, dt, rh, ah), "aH": ah,
            "source": st["source"],
        }
        errs = check_ranges(vals)
        if errs:
            problems.append(f"{c}/{city}/{nb}: out of range: {', '.join(errs)}")
        errs = envelope_problems(vals)
        if errs:
            problems.append(f"{c}/{city}/{nb}: modelled weather out of range: {'; '.join(errs)}")
        out[c].setdefault(city, []).append(vals)
    for n in names:
        if not out[n]:
            problems.append(f"{n}: no town or city")
    return out, problems


# --------------------------------------------------------------------------
# Writing
# --------------------------------------------------------------------------

class Writer:
    def __init__(self):
        self.lines: list[str] = []

    def comment(self, text: str = ""):
        line = "#" + (" " + text if text else "")
        if "," in line or '"' in line:
            raise ValueError(f"comment line would be read as items: {line!r}")
        self.lines.append(line)

    def item(self, text: str):
        self.lines.append(text)

    def text(self) -> str:
        return "\n".join(self.lines) + "\n"


def name_item(name: str) -> str:
    if not name or "," in name or '"' in name or name.startswith("#") or name != name.strip():
        raise ValueError(f"name cannot be written as one item: {name!r}")
    return name


def write_locations(entries, places, zones, sources_used, sources) -> str:
    w = Writer()
    w.comment("Nemora location database: countries or states with their time-zone histories")
    w.comment("and their towns or cities divided into neighbourhoods.")
    w.comment("Generated file - do not edit by hand. Regenerate with:")
    w.comment("    python3 tools/locations/generate_locations.py")
    w.comment("from tools/locations/entries.csv and places.csv and sources.csv.")
    w.comment()
    w.comment("Sources")
    w.comment(f"  Time-zone histories: the IANA time zone database (tzdata {tzdata_version()})")
    w.comment("  as installed in /usr/share/zoneinfo (Debian package tzdata) and read through")
    w.comment("  Python zoneinfo. Each history reproduces that database from 1970 to 2037")
    w.comment("  (checked hourly around every change and at noon of every day).")
    w.comment("  Positions and heights: city-centre coordinates and heights (hand-curated).")
    w.comment("  Climate: published climate normals of the national meteorological services")
    w.comment("  (typed by hand and rounded; a sample of cities was checked against published")
    w.comment("  tables - tools/locations/spot_checks.csv) - by source key:")
    for key in sorted(sources_used):
        w.comment(f"    {key}: {sources[key].replace(',', ' ')}")
    w.comment("  Station pressure: no published station pressure was used. The mean pressure")
    w.comment("  is that of the standard atmosphere at the neighbourhood's height")
    w.comment("  (1013.25 * (1 - 0.0000225577 * h) ^ 5.25588 mbar) and its daily and annual")
    w.comment("  ranges are written as 0.")
    w.comment()
    w.comment("Conventions")
    w.comment("  Zone: hours ahead of UT. A last applicable date is a fixed day number")
    w.comment("  (day 1 = 1 January of year 1) with the UT fraction of the day; the epoch")
    w.comment("  applies up to and including that instant. The comment line above each epoch")
    w.comment("  gives the same instant as a date and the rules in words.")
    w.comment("  Rules: hour (local clock) - weekday (0 = Sunday) - week (0 fixed date;")
    w.comment("  1 to 4 the n-th weekday counted from the date of month; 5 the last) -")
    w.comment("  date of month - month - calendar. The hour of the change back is read on")
    w.comment("  the daylight-saving clock. A year whose changes follow no weekday rule is an")
    w.comment("  epoch of its own with fixed dates. A change back at 24:00 on the daylight-")
    w.comment("  saving clock is written as 0:00 of the next day and its epoch ends at the")
    w.comment("  change itself; a short epoch without daylight saving then bridges to the")
    w.comment("  next one.")
    w.comment("  Temperature: annual mean; daily range = annual mean of the daily maximum less")
    w.comment("  the daily minimum; annual range = July mean less January mean (negative where")
    w.comment("  January is the warmer month); moved to the neighbourhood's height at")
    w.comment("  0.0065 C per metre from the city's station.")
    w.comment("  Relative humidity: annual mean; annual range = July mean less January mean;")
    w.comment("  daily range derived from the mean humidity and the daily temperature range")
    w.comment("  with the vapour pressure held constant through the day (Magnus formula) -")
    w.comment("  negative because the humidity is lowest in the afternoon. The weather at an")
    w.comment("  instant is mean + daily range x D + annual range x A with D and A between")
    w.comment("  -1/2 and 1/2 - so it reaches mean -/+ (|daily| + |annual|) / 2. The derived")
    w.comment("  daily range is therefore shrunk where needed (never the published mean or")
    w.comment(f"  annual range) so that this stays within {HUMIDITY_MARGIN:g} to {100 - HUMIDITY_MARGIN:g} %")
    w.comment("  at every hour and season; temperature and pressure stay within -120 to 70 C")
    w.comment("  and 0 to 1200 mbar likewise (tools/locations/check_locations.py checks all")
    w.comment("  three).")
    w.comment("  Each neighbourhood: name - latitude (N +) - longitude (E +) - height (m) -")
    w.comment("  T mean - T daily range - T annual range - P mean - P daily - P annual -")
    w.comment("  RH mean - RH daily range - RH annual range.")
    w.comment()
    w.comment("Number of countries or states")
    w.item(str(len(entries)))
    for e in entries:
        name, zone = e["name"], e["zone"]
        epochs = zones[zone][0]
        w.comment()
        w.comment(f"{'=' * 70}")
        w.comment(f"{name} - zone history of {zone}")
        w.item(name_item(name))
        w.comment("Number of zone-history epochs")
        w.item(str(len(epochs)))
        for ep in epochs:
            w.comment(epoch_comment(ep)[2:])
            w.item(epoch_line(ep))
        cities = places[name]
        w.comment("Number of towns or cities")
        w.item(str(len(cities)))
        for city, nbs in cities.items():
            w.comment(f"{city} - climate source {nbs[0]['source']}")
            w.item(name_item(city))
            w.item(str(len(nbs)))
            for v in nbs:
                w.item(", ".join([
                    name_item(v["name"]), f"{v['lat']:.4f}", f"{v['lon']:.4f}", f"{v['height']:g}",
                    r1(v["T"]), r1(v["dT"]), r1(v["aT"]),
                    r1(v["P"]), r1(v["dP"]), r1(v["aP"]),
                    r1(v["H"]), r1(v["dH"]), r1(v["aH"])]))
    return w.text()


def write_curloc(places) -> str:
    c, city, nb = DEFAULT
    v = next(x for x in places[c][city] if x["name"] == nb)
    return "\n".join([
        "~ Nemora default location (read when Curloc.txt is missing or bad).",
        "~ Position and height as in data/Locations.txt - written by",
        "~ python3 tools/locations/generate_locations.py",
        f'"{c}"', f'"{city}"', f'"{nb}"', "#TRUE#",
        f"{v['lat']:.4f}", f"{v['lon']:.4f}", f"{v['height']:g}",
        "2", "#FALSE#", "#TRUE#", "#FALSE#"]) + "\n"


def write_zone_map(entries, zones) -> str:
    out = [
        "# Zone table of the zone-history test: each country or state of",
        "# data/Locations.txt (first column) with the IANA zone whose history it",
        "# carries (second column) and the differences expected between the two",
        "# (third column). The columns are separated by one tab.",
        "#",
        "# The offset of a UT instant is that of the epoch whose last applicable date",
        "# is the first not earlier than the instant. Within that epoch the change",
        "# day is the local date of the instant in standard time and the instant is",
        "# compared with the instant of the change itself (into daylight saving at",
        "# the rule's hour on the standard clock; back at the rule's hour on the",
        "# daylight-saving clock). Read so the histories match the database at every",
        "# instant checked from 1970 to 2037: the third column is none for every",
        "# entry. Beyond 2037 the last epoch stays open-ended; where it cannot",
        "# follow the database there the third column says so (informational only).",
        "#",
        f"# Generated with tzdata {tzdata_version()} by tools/locations/generate_locations.py",
    ]
    for e in entries:
        r = zones[e["zone"]][1]
        (n, bad, _), (n2, bad2, _) = r[3], r[4]
        note = "none" if bad == 0 else f"{bad} instants differ 1970-2037"
        if bad2:
            note += f"; after 2037 the open-ended last epoch differs at {bad2} of {n2} instants checked to {BEYOND}"
        out.append(f"{e['name']}\t{e['zone']}\t{note}")
    return "\n".join(out) + "\n"


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--root", default=os.path.abspath(os.path.join(HERE, "..", "..")),
                    help="repository root (default: two levels above this script)")
    ap.add_argument("--jobs", type=int, default=min(2, os.cpu_count() or 1))
    args = ap.parse_args()

    entries = read_csv("entries.csv")
    rows = read_csv("places.csv")
    sources = {r["key"]: r["text"] for r in read_csv("sources.csv")}
    places, problems = build_places(entries, rows, sources)
    for p in problems:
        print("error:", p, file=sys.stderr)
    if problems:
        return 1

    zone_names = sorted({e["zone"] for e in entries})
    if args.jobs > 1:
        with multiprocessing.Pool(args.jobs) as pool:
            results = pool.map(build_zone, zone_names)
    else:
        results = [build_zone(z) for z in zone_names]
    zones = {r[0]: (r[1], r) for r in results}

    total_n = total_bad = 0
    for zone in zone_names:
        epochs, (_, _, notes, (n, bad, texts), (n2, bad2, _)) = zones[zone]
        total_n += n
        total_bad += bad
        ndst = sum(1 for ep in epochs if ep.dst)
        nheb = sum(1 for ep in epochs if ep.dst and zr.HEBREW in (ep.start.caltype, ep.end.caltype))
        print(f"{zone:32s} {len(epochs):3d} epochs ({ndst} with daylight saving"
              f"{f', {nheb} with Hebrew rules' if nheb else ''}): "
              f"{n} instants checked 1970-2037, {bad} mismatches"
              f"{f'; after 2037: {bad2} of {n2} differ' if bad2 else ''}")
        for t in texts:
            print("    mismatch:", t)
        for t in notes:
            print("    note:", t)
    print(f"zone check: {len(zone_names)} zones, {total_n} instants, {total_bad} mismatches")

    used = {v["source"] for c in places.values() for nbs in c.values() for v in nbs}
    text = write_locations(entries, places, zones, used, sources)
    ncities = sum(len(c) for c in places.values())
    nnb = sum(len(nbs) for c in places.values() for nbs in c.values())
    continents: dict[str, int] = {}
    for e in entries:
        continents[e["continent"]] = continents.get(e["continent"], 0) + 1
    print(f"{len(entries)} countries or states ({', '.join(f'{k} {v}' for k, v in sorted(continents.items()))}), "
          f"{ncities} towns or cities, {nnb} neighbourhoods")

    os.makedirs(os.path.join(args.root, "data"), exist_ok=True)
    os.makedirs(os.path.join(args.root, "tests", "data"), exist_ok=True)
    with open(os.path.join(args.root, "data", "Locations.txt"), "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    with open(os.path.join(args.root, "data", "Curloc.bak"), "w", encoding="ascii", newline="\n") as f:
        f.write(write_curloc(places))
    with open(os.path.join(args.root, "tests", "data", "zone_map.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(write_zone_map(entries, zones))
    return 1 if total_bad else 0


if __name__ == "__main__":
    sys.exit(main())
