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
import world_cities as wc  # noqa: E402
import pickle  # noqa: E402

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

def tzif_key(zone: str):
    """What a zone's history from 1970 on depends on, read from its compiled
    TZif file: the offset and daylight-saving flag in force at the start of
    1970, every later transition with its offset and flag, and the rule for
    the years after the last transition (the footer). Zones with equal keys
    have equal histories, so one derivation serves them all."""
    import struct
    with open(os.path.join("/usr/share/zoneinfo", zone), "rb") as f:
        data = f.read()

    def header(off):
        return struct.unpack(">4sc15x6l", data[off:off + 44])
    _, _, isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt = header(0)
    off = 44 + timecnt * 5 + typecnt * 6 + charcnt + leapcnt * 8 + isstdcnt + isutcnt
    _, _, isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt = header(off)
    p = off + 44
    times = struct.unpack(f">{timecnt}q", data[p:p + 8 * timecnt])
    p += 8 * timecnt
    index = data[p:p + timecnt]
    p += timecnt
    types = [struct.unpack(">lBB", data[p + 6 * i:p + 6 * i + 6])[:2] for i in range(typecnt)]
    p += 6 * typecnt + charcnt + leapcnt * 12 + isstdcnt + isutcnt
    footer = data[p:].strip(b"\n")
    start = -2 * 86400
    earlier = [types[i] for t, i in zip(times, index) if t < start]
    initial = earlier[-1] if earlier else types[0]
    later = tuple((t, *types[i]) for t, i in zip(times, index) if t >= start)
    return (initial, later, footer)


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
# The world city list
# --------------------------------------------------------------------------

# A city of the list that lies this close to a hand-curated town and bears its
# name (or has it among its alternate names) is that town: it is not added again.
SAME_TOWN_KM = 30.0
# A city takes the climate of the nearest hand-curated station within this
# distance and height difference; any other city takes the climate that the
# Global weather basis computes for its latitude and height.
STATION_KM = 250.0
STATION_DH = 500.0
# Zones whose cities are left out (their histories cannot be written exactly).
LEFT_OUT: list[str] = []


def global_climate(lat: float, h: float) -> dict:
    """The values of the Global weather basis as a climate summary: mean
    27 - 0.467 |latitude| C moved to the height at 0.0065 C per metre, daily
    range 2 C, annual range 50 sin(latitude) C; pressure 1010 + 10 sin(2 x
    latitude) mbar (less (latitude + 45) / 3 south of 45 S) reduced to the
    height with a scale height of 7143 m; humidity 50 %."""
    p0 = 1010 + 10 * math.sin(math.radians(2 * lat))
    if lat < -45:
        p0 += (lat + 45) / 3
    return {"T": round(27 - 0.467 * abs(lat) - LAPSE * min(h, 10000), 1), "dT": 2.0,
            "aT": round(50 * math.sin(math.radians(lat)), 1),
            "P": round(p0 / math.exp(h / 7143), 1), "dP": 0.0, "aP": 0.0,
            "H": 50.0, "dH": 0.0, "aH": 0.0}


def station_climate(st: dict, h: float) -> dict:
    t = round(st["T"] + LAPSE * (st["height"] - h), 1)
    return {"T": t, "dT": st["dT"], "aT": st["aT"], "P": round(station_pressure(h), 1), "dP": 0.0, "aP": 0.0,
            "H": st["H"], "dH": daily_humidity_range(t, st["dT"], st["H"], st["aH"]), "aH": st["aH"]}


def build_world(entries: list[dict], places: dict, cities: list[dict]):
    """Adds the world city list to the curated entries and places. Returns the
    entries (curated first, in their order, then the new ones by country and
    zone), the search names of every city and the statistics."""
    names_of = wc.countries()
    admin1 = wc.admin1_names()
    problems: list[str] = []
    grid = wc.Grid(cities)
    # The country of each curated entry: that of the list's city nearest to its first town.
    curated_cc = {}
    curated_towns = []
    for e in entries:
        first_city, nbs = next(iter(places[e["name"]].items()))
        near = sorted(grid.near(nbs[0]["lat"], nbs[0]["lon"], 300.0), key=lambda x: x[0])
        if not near:
            problems.append(f"{e['name']}: no city of the world list within 300 km")
            continue
        curated_cc[e["name"]] = near[0][1]["cc"]
        for city, nbs in places[e["name"]].items():
            curated_towns.append({"entry": e["name"], "city": city, "lat": nbs[0]["lat"], "lon": nbs[0]["lon"],
                                  "cc": curated_cc[e["name"]]})
    towns_grid = wc.Grid(curated_towns)
    stations = []
    for e in entries:
        for city, nbs in places[e["name"]].items():
            v = nbs[0]
            stations.append({"lat": v["lat"], "lon": v["lon"], "height": v["height"], "T": v["T"], "dT": v["dT"],
                             "aT": v["aT"], "H": v["H"], "aH": v["aH"], "city": city, "source": v["source"]})
    stations_grid = wc.Grid(stations)

    search: dict[tuple[str, str], dict] = {}
    for e in entries:
        for city in places[e["name"]]:
            search[(e["name"], city)] = {"base": city, "region": "", "population": 0, "alts": [],
                                         "country": names_of[curated_cc[e["name"]]]["name"]
                                         if e["name"] in curated_cc else e["name"]}
    added = []
    same = 0
    for c in sorted(cities, key=lambda c: -c["population"]):
        keys = {wc.fold(c["name"]), wc.fold(c["ascii"])} | {wc.fold(a) for a in c["alts"]}
        twin = None
        for d, t in sorted(towns_grid.near(c["lat"], c["lon"], SAME_TOWN_KM), key=lambda x: x[0]):
            if t["cc"] == c["cc"] and wc.fold(t["city"]) in keys:
                twin = t
                break
        if twin is not None:
            s = search[(twin["entry"], twin["city"])]
            if s["population"] == 0:
                same += 1
                s["population"] = c["population"]
                s["region"] = admin1.get(f"{c['cc']}.{c['admin1']}", "")
                s["alts"] = [c["name"]] + c["alts"]
            continue
        added.append(c)

    # Entries of the new cities: one per country and zone.
    zones_of: dict[str, set] = {}
    for c in added:
        zones_of.setdefault(c["cc"], set()).add(c["zone"])
    curated_by_name = {e["name"]: e for e in entries}
    new_entries: dict[str, dict] = {}
    groups: dict[str, list] = {}
    for c in added:
        if c["cc"] not in names_of:
            problems.append(f"unknown country code {c['cc']} of {c['name']}")
            continue
        country = names_of[c["cc"]]["name"]
        label = c["zone"].split("/")[-1].replace("_", " ")
        name = country if len(zones_of[c["cc"]]) == 1 else f"{country} - {label} time"
        if name in curated_by_name and curated_by_name[name]["zone"] != c["zone"]:
            name = f"{country} - {label} time"
        if name in curated_by_name and curated_by_name[name]["zone"] != c["zone"]:
            problems.append(f"{name}: curated with another zone than {c['zone']}")
            continue
        if name not in curated_by_name and name not in new_entries:
            new_entries[name] = {"name": name, "zone": c["zone"], "continent": c["zone"].split("/")[0],
                                 "country": country}
        elif name in new_entries and new_entries[name]["zone"] != c["zone"]:
            problems.append(f"{name}: two zones {c['zone']} and {new_entries[name]['zone']}")
            continue
        groups.setdefault(name, []).append(c)

    stats = {"world": len(cities), "same": same, "station": 0, "global": 0, "heights": {}}
    for name, members in groups.items():
        existing = set(places.get(name, {}))
        base_count: dict[str, int] = {}
        for c in members:
            base_count[c["ascii"]] = base_count.get(c["ascii"], 0) + 1
        target = places.setdefault(name, {})
        for c in sorted(members, key=lambda c: -c["population"]):
            region = admin1.get(f"{c['cc']}.{c['admin1']}", "")
            city = c["ascii"]
            if base_count[city] > 1 or city in existing:
                city = f"{city} ({region or c['admin1'] or c['cc']})"
            n = 2
            unique = city
            while unique in target:
                unique = f"{city} {n}"
                n += 1
            city = unique
            near = sorted(stations_grid.near(c["lat"], c["lon"], STATION_KM), key=lambda x: x[0])
            near = [(d, s) for d, s in near if abs(s["height"] - c["height"]) <= STATION_DH]
            climate = None
            if near:
                climate = station_climate(near[0][1], c["height"])
                vals = {"lat": c["lat"], "lon": c["lon"], "height": c["height"], **climate}
                if check_ranges(vals) or envelope_problems(vals):
                    climate = None
            if climate is None:
                climate = global_climate(c["lat"], c["height"])
                source = "global"
                stats["global"] += 1
            else:
                source = f"station {near[0][1]['city']} ({near[0][1]['source']}) {near[0][0]:.0f} km"
                stats["station"] += 1
            stats["heights"][c["height_source"]] = stats["heights"].get(c["height_source"], 0) + 1
            vals = {"name": "Center", "lat": c["lat"], "lon": c["lon"], "height": c["height"], **climate,
                    "source": source}
            errs = check_ranges(vals) + envelope_problems(vals)
            if errs:
                problems.append(f"{name}/{city}: {', '.join(errs)}")
            target[city] = [vals]
            search[(name, city)] = {"base": c["ascii"], "region": region, "population": c["population"],
                                    "alts": [c["name"]] + c["alts"], "country": names_of[c["cc"]]["name"]}
    for name in groups:
        if name in curated_by_name:
            continue
    ordered = list(entries) + sorted(new_entries.values(), key=lambda e: e["name"])
    for e in ordered:
        e.setdefault("country", search[(e["name"], next(iter(places[e["name"]])))]["country"])
        # Towns of the list after the curated ones, in alphabetical order.
        cur = places[e["name"]]
        curated_part = [k for k in cur if not cur[k][0]["source"].startswith(("station", "global"))]
        world_part = sorted(k for k in cur if k not in curated_part)
        places[e["name"]] = {k: cur[k] for k in curated_part + world_part}
        if len(places[e["name"]]) > 32766:
            problems.append(f"{e['name']}: more than 32766 towns")
    return ordered, search, names_of, stats, problems


def write_place_names(entries, places, search, names_of, world_source) -> str:
    out = [
        "# Nemora place names: how people may write the towns and countries of",
        "# data/Locations.txt. Generated file - do not edit by hand. Regenerate with",
        "#     python3 tools/locations/generate_locations.py",
        "#",
        f"# Source: {world_source}.",
        "# Geographical data from GeoNames (www.geonames.org), licensed under the Creative",
        "# Commons Attribution 4.0 License (CC BY 4.0); converted and filtered (cities of",
        "# 15,000 people or more and capitals; Latin, Hebrew and Arabic alternate names).",
        "# Country names and codes: ISO 3166-1 as listed by Debian's iso-codes package.",
        "#",
        "# Lines, fields separated by one tab (UTF-8):",
        "#   A  country  alias|alias|...            names and codes of a country",
        "#   E  entry of Locations.txt  country     a country or state of the database",
        "#   C  town  name  region  population  alternate|alternate|...",
        "#      a town of the entry above: its name in the database, its own name",
        "#      (without the region added to tell towns of one name apart), its first-",
        "#      order division and its population (0 unknown).",
    ]
    used = {e["country"] for e in entries}
    for code, c in sorted(names_of.items(), key=lambda kv: kv[1]["name"]):
        if c["name"] in used:
            out.append("\t".join(["A", c["name"], "|".join(a.replace("|", " ") for a in c["aliases"])]))
    for e in entries:
        out.append("\t".join(["E", e["name"], e["country"]]))
        for city in places[e["name"]]:
            s = search[(e["name"], city)]
            alts = []
            seen = {wc.fold(city), wc.fold(s["base"])}
            for a in s["alts"]:
                k = a.lower()
                if k in seen:
                    continue
                seen.add(k)
                alts.append(a)
            out.append("\t".join(["C", city, s["base"], s["region"], str(s["population"]), "|".join(alts)]))
    return "\n".join(out) + "\n"


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
    w.comment("from tools/locations/entries.csv and places.csv and sources.csv and the")
    w.comment("world city list (tools/locations/world_cities.py).")
    w.comment()
    w.comment("Sources")
    w.comment(f"  Time-zone histories: the IANA time zone database (tzdata {tzdata_version()})")
    w.comment("  as installed in /usr/share/zoneinfo (Debian package tzdata) and read through")
    w.comment("  Python zoneinfo. Each history reproduces that database from 1970 to 2037")
    w.comment("  (checked hourly around every change and at noon of every day).")
    w.comment("  Positions and heights: the towns of the first entries (up to Fiji) are")
    w.comment("  hand-curated with their neighbourhoods; every other town is a city of the")
    w.comment(f"  world list: {wc.GEONAMES_SOURCE}")
    w.comment("  with 15000 people or more or a capital - one neighbourhood Center at its")
    w.comment("  coordinates and height (GeoNames elevation or else its digital elevation")
    w.comment("  model value). Geographical data from GeoNames (www.geonames.org) under the")
    w.comment("  Creative Commons Attribution 4.0 License; converted and filtered. Other names")
    w.comment("  of the towns and countries: data/PlaceNames.txt. Left out: the cities of the")
    w.comment("  zones whose histories the rule form cannot follow exactly at every instant")
    w.comment(f"  from 1970 to 2037: {' '.join(LEFT_OUT) or 'none'}.")
    w.comment("  Climate: published climate normals of the national meteorological services")
    w.comment("  (typed by hand and rounded; a sample of cities was checked against published")
    w.comment("  tables - tools/locations/spot_checks.csv) - by source key:")
    for key in sorted(sources_used):
        w.comment(f"    {key}: {sources[key].replace(',', ' ')}")
    w.comment("  Station pressure: no published station pressure was used. The mean pressure")
    w.comment("  is that of the standard atmosphere at the neighbourhood's height")
    w.comment("  (1013.25 * (1 - 0.0000225577 * h) ^ 5.25588 mbar) and its daily and annual")
    w.comment("  ranges are written as 0.")
    w.comment(f"  Climate of the world list: a city within {STATION_KM:g} km and {STATION_DH:g} m of height of a")
    w.comment("  hand-curated town takes the climate of the nearest such town (its station)")
    w.comment("  moved to the city's height as above; every other city takes the values the")
    w.comment("  Global weather basis computes for its latitude and height (mean 27 - 0.467")
    w.comment("  |latitude| C less 0.0065 C per metre - daily range 2 C - annual range")
    w.comment("  50 sin(latitude) C - pressure 1010 + 10 sin(2 latitude) mbar reduced with")
    w.comment("  a scale height of 7143 m - humidity 50 %) so that there the Local basis")
    w.comment("  gives the Global basis's weather. The comment above each town says which.")
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
            source = nbs[0]["source"]
            w.comment(f"{city} - climate source {source}" if source in sources else f"{city} - climate {source}")
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
    ap.add_argument("--geonames", default=wc.GEONAMES, help="GeoNames cities file (default: the npm package's)")
    ap.add_argument("--cache", default="", help="file keeping derived zone histories between runs")
    args = ap.parse_args()

    entries = read_csv("entries.csv")
    rows = read_csv("places.csv")
    sources = {r["key"]: r["text"] for r in read_csv("sources.csv")}
    places, problems = build_places(entries, rows, sources)
    for p in problems:
        print("error:", p, file=sys.stderr)
    if problems:
        return 1

    curated_names = {e["name"] for e in entries}
    world = wc.load(args.geonames)
    entries, search, names_of, stats, problems = build_world(entries, places, world)
    for p in problems:
        print("error:", p, file=sys.stderr)
    if problems:
        return 1
    print(f"world list: {stats['world']} cities, {stats['same']} of them already curated; "
          f"climate from a curated station for {stats['station']}, from the Global basis for {stats['global']}; "
          f"heights {stats['heights']}")

    zone_names = sorted({e["zone"] for e in entries})
    # Derived histories may be kept between runs (the derivation and its
    # checks take minutes per hundred zones); the cache is keyed on tzdata.
    cache: dict = {}
    if args.cache and os.path.exists(args.cache):
        with open(args.cache, "rb") as f:
            cached = pickle.load(f)
        if cached.get("tzdata") == tzdata_version():
            cache = cached["zones"]
    # One derivation per distinct history (a zone whose rules may be Hebrew
    # ones is its own).
    representative = {}
    first_of_key: dict = {}
    for z in zone_names:
        key = ("hebrew", z) if z in HEBREW_ZONES else tzif_key(z)
        representative[z] = first_of_key.setdefault(key, z)
    todo = sorted({representative[z] for z in zone_names} - set(cache))
    print(f"{len(zone_names)} zones, {len(set(representative.values()))} distinct histories, "
          f"{len(todo)} to derive", flush=True)

    def keep(result):
        cache[result[0]] = result
        if args.cache:
            with open(args.cache, "wb") as f:
                pickle.dump({"tzdata": tzdata_version(), "zones": cache}, f)
    if args.jobs > 1 and len(todo) > 1:
        with multiprocessing.Pool(args.jobs) as pool:
            for r in pool.imap_unordered(build_zone, todo):
                keep(r)
                print(f"derived {r[0]} ({len(cache)} kept)", flush=True)
    else:
        for z in todo:
            keep(build_zone(z))
    for z in zone_names:
        if z not in cache:
            r = cache[representative[z]]
            cache[z] = (z,) + tuple(r[1:])
    zones = {z: (cache[z][1], cache[z]) for z in zone_names}
    # A zone whose offset since 1970 is no short decimal number of hours
    # (Africa/Monrovia kept UT-0:44:30 until 1972) cannot be written in the
    # database's decimal hours: its cities are left out.
    # The cities of a zone whose derived history does not follow the database
    # at every instant checked from 1970 to 2037 are left out too, so that every
    # town's local time is exact (these few histories have a changeover at an
    # hour the rule form cannot hold).
    unwritable = set()
    for z in zone_names:
        try:
            for ep in zones[z][0]:
                zr.fmt_hours(ep.tz * zr.HOUR)
        except ValueError:
            unwritable.add(z)
        if zones[z][1][3][1] and not any(e["zone"] == z and e["name"] in curated_names for e in entries):
            unwritable.add(z)
    if unwritable:
        dropped = [e["name"] for e in entries if e["zone"] in unwritable]
        print(f"left out (offset not writable in decimal hours, or history not exact): {', '.join(sorted(unwritable))}: "
              f"{', '.join(dropped)} ({sum(len(places[n]) for n in dropped)} cities)")
        LEFT_OUT.extend(sorted(unwritable))
        entries = [e for e in entries if e["zone"] not in unwritable]
        zone_names = [z for z in zone_names if z not in unwritable]

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

    used = {v["source"] for c in places.values() for nbs in c.values() for v in nbs if v["source"] in sources}
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
    with open(os.path.join(args.root, "data", "PlaceNames.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(write_place_names(entries, places, search, names_of, wc.GEONAMES_SOURCE))
    with open(os.path.join(args.root, "data", "Curloc.bak"), "w", encoding="ascii", newline="\n") as f:
        f.write(write_curloc(places))
    with open(os.path.join(args.root, "tests", "data", "zone_map.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(write_zone_map(entries, zones))
    return 1 if total_bad else 0


if __name__ == "__main__":
    sys.exit(main())
