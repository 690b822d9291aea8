#!/usr/bin/env python3
"""Write data/Stars.txt, the catalogue of bright and navigational stars.

Selection: every star of visual magnitude V < 2.0, plus the 57 navigational
stars of the Nautical Almanac and Polaris.

Sources:
  * Astrometry: Hipparcos, the New Reduction (F. van Leeuwen 2007, Astronomy
    and Astrophysics 474, 653; CDS catalogue I/311), with the original Hipparcos
    Catalogue (ESA 1997, SP-1200; I/239) as backup; positions at epoch
    J1991.25 (ICRS), parallax, proper motion mu-alpha* = mu-alpha cos(dec) and
    mu-delta. Radial velocities: Pulkovo Compilation of Radial Velocities
    (G. A. Gontcharov 2006, Astronomy Letters 32, 759; III/252), backup General
    Catalogue of Mean Radial Velocities (M. Barbier-Brossat and P. Figon 2000;
    III/213). V magnitudes: Hipparcos Catalogue field H5 (Johnson V).
    Identifiers: Yale Bright Star Catalogue, 5th revised edition (D. Hoffleit
    and W. H. Warren 1991; V/50). All read from the merged machine-readable
    file catalogs/output/open-source-bsc/os-bright-star-catalog-hip.utf8 of
    the public repository johanley/star-catalog, which lists the source of
    every field.
  * Angular diameters: JMMC Measured Stellar Diameters Catalogue, JMDC
    (G. Duvert 2016; CDS II/345), version of 2020-07-30, file
    SearchCal/alx/config/JMDC/JMDC_full_20200730.csv of the public repository
    JMMC-OpenDev/SearchCal (commit 1b914307): the median of the limb-darkened
    diameters of a star (uniform-disc diameter where no limb-darkened value is
    given). Stars without a measurement get the diameter of the
    surface-brightness relation of Kervella et al. estimated from V and the
    JMDC-calibrated mean for their colour (see estimate_diameter below).
  * Names: the IAU Working Group on Star Names list (IAU Catalog of Star Names,
    2016-2022), and the Nautical Almanac spelling where the IAU has no name.

The positions are carried from J1991.25 to J2000.0 (8.75 Julian years) along
the straight-line space motion (parallax, proper motion and radial velocity);
the proper motion is then expressed as the rate of right ascension itself,
mu-alpha* / cos(dec), in arcseconds per year, and the rate of declination.
Diameter in km = angular diameter (radians) times distance (km).

Regenerate (from the repository root):
  git clone https://github.com/johanley/star-catalog /tmp/star-catalog
  git clone https://github.com/JMMC-OpenDev/SearchCal /tmp/SearchCal
  git -C /tmp/SearchCal show 1b914307:SearchCal/alx/config/JMDC/JMDC_full_20200730.csv > /tmp/jmdc.csv
  python3 tools/stars.py \
      --catalog /tmp/star-catalog/catalogs/output/open-source-bsc/os-bright-star-catalog-hip.utf8 \
      --diameters /tmp/jmdc.csv --out data
"""

import argparse
import csv
import math
import os
import re
import statistics
import sys

MAS = math.pi / 180.0 / 3600000.0        # radians per milliarcsecond
PC_KM = 30856775814913.673               # km per parsec (IAU 2012 au)
AU_KM_S_PER_YR = 4.740470463533348       # km/s per (au per year)
YEARS = (2451545.0 - 2448349.0625) / 365.25   # J1991.25 to J2000.0

# Navigational stars of the Nautical Almanac (57) and Polaris: name, Bayer
# designation as written in the catalogue file.
NAVIGATIONAL = [
    ("Acamar", "θ1 Eri"), ("Achernar", "α Eri"), ("Acrux", "α1 Cru"), ("Adhara", "ε CMa"),
    ("Aldebaran", "α Tau"), ("Alioth", "ε UMa"), ("Alkaid", "η UMa"), ("Alnair", "α Gru"),
    ("Alnilam", "ε Ori"), ("Alphard", "α Hya"), ("Alphecca", "α CrB"), ("Alpheratz", "α And"),
    ("Altair", "α Aql"), ("Ankaa", "α Phe"), ("Antares", "α Sco"), ("Arcturus", "α Boo"),
    ("Atria", "α TrA"), ("Avior", "ε Car"), ("Bellatrix", "γ Ori"), ("Betelgeuse", "α Ori"),
    ("Canopus", "α Car"), ("Capella", "α Aur"), ("Deneb", "α Cyg"), ("Denebola", "β Leo"),
    ("Diphda", "β Cet"), ("Dubhe", "α UMa"), ("Elnath", "β Tau"), ("Eltanin", "γ Dra"),
    ("Enif", "ε Peg"), ("Fomalhaut", "α PsA"), ("Gacrux", "γ Cru"), ("Gienah", "γ Crv"),
    ("Hadar", "β Cen"), ("Hamal", "α Ari"), ("Kaus Australis", "ε Sgr"), ("Kochab", "β UMi"),
    ("Markab", "α Peg"), ("Menkar", "α Cet"), ("Menkent", "θ Cen"), ("Miaplacidus", "β Car"),
    ("Mirfak", "α Per"), ("Nunki", "σ Sgr"), ("Peacock", "α Pav"), ("Pollux", "β Gem"),
    ("Procyon", "α CMi"), ("Rasalhague", "α Oph"), ("Regulus", "α Leo"), ("Rigel", "β Ori"),
    ("Rigil Kentaurus", "α1 Cen"), ("Sabik", "η Oph"), ("Schedar", "α Cas"), ("Shaula", "λ Sco"),
    ("Sirius", "α CMa"), ("Spica", "α Vir"), ("Suhail", "λ Vel"), ("Vega", "α Lyr"),
    ("Zubenelgenubi", "α2 Lib"), ("Polaris", "α UMi"),
]

# Names of the other stars brighter than V 2.0 (IAU names; Regor is the
# customary name of gamma-2 Velorum, which has no IAU name).
OTHER_NAMES = {
    "β Cru": "Mimosa", "α2 Cen": "Toliman", "α Gem": "Castor", "ζ Ori": "Alnitak",
    "γ2 Vel": "Regor", "δ CMa": "Wezen", "θ Sco": "Sargas", "β Aur": "Menkalinan",
    "γ Gem": "Alhena", "δ Vel": "Alsephina", "β CMa": "Mirzam",
}

GREEK = {"α": "alf", "β": "bet", "γ": "gam", "δ": "del", "ε": "eps", "ζ": "zet", "η": "eta",
         "θ": "the", "ι": "iot", "κ": "kap", "λ": "lam", "μ": "mu", "ν": "nu", "ξ": "ksi",
         "ο": "omi", "π": "pi", "ρ": "rho", "σ": "sig", "τ": "tau", "υ": "ups", "φ": "phi",
         "χ": "chi", "ψ": "psi", "ω": "ome"}


def read_catalog(path):
    """Records of the merged bright-star file (fixed columns)."""
    stars = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.strip():
                continue
            col = lambda a, b: line[a:b].strip()
            stars.append({
                "hip": int(col(0, 6)),
                "ra": float(col(44, 56)), "dec": float(col(58, 71)),   # radians, J1991.25
                "plx": float(col(72, 79)), "pmra": float(col(80, 88)), "pmdec": float(col(89, 97)),
                "rv": float(col(98, 105)) if col(98, 105) else None,
                "v": float(col(147, 152)), "bv": float(col(168, 174)) if col(168, 174) else None,
                "hd": col(188, 194), "hr": col(195, 199), "bayer": col(201, 208),
            })
    return stars


def normalise(ident):
    """Identifier in a comparable form: 'alf01 Cru', '* alf Cru' -> 'alf1cru'."""
    s = ident.lower().replace("*", "").replace(".", "").replace(" ", "")
    s = re.sub(r"^([a-z]+)0+(\d)", r"\1\2", s)
    return s


def bayer_keys(bayer):
    m = re.match(r"(\S)(\d?) (\w+)$", bayer)
    if not m:
        return []
    return [normalise(GREEK[m.group(1)] + m.group(2) + m.group(3))]


def read_diameters(path):
    """{normalised identifier: [angular diameters in mas]} from the JMDC."""
    out = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for row in csv.DictReader(f):
            value = None
            for field in ("LD_DIAM", "UD_DIAM"):
                try:
                    x = float(row[field])
                except ValueError:
                    continue
                if x > 0:
                    value = x
                    break
            if value is None:
                continue
            keys = {normalise(row["ID1"]), normalise(row["ID2"])}
            for key in keys:
                if key:
                    out.setdefault(key, []).append(value)
    return out


def to_j2000(s):
    """Position, rates and distance at J2000.0 from the J1991.25 record."""
    d = 1000.0 / s["plx"]                                    # pc
    ra, dec = s["ra"], s["dec"]
    p = [math.cos(dec) * math.cos(ra), math.cos(dec) * math.sin(ra), math.sin(dec)]
    east = [-math.sin(ra), math.cos(ra), 0.0]
    north = [-math.sin(dec) * math.cos(ra), -math.sin(dec) * math.sin(ra), math.cos(dec)]
    # velocity in pc per year
    mu_e = s["pmra"] * MAS * d
    mu_n = s["pmdec"] * MAS * d
    vr = (s["rv"] or 0.0) / AU_KM_S_PER_YR / 206264.80624709636
    v = [mu_e * east[i] + mu_n * north[i] + vr * p[i] for i in range(3)]
    x = [d * p[i] + YEARS * v[i] for i in range(3)]
    d2 = math.sqrt(sum(c * c for c in x))
    ra2 = math.atan2(x[1], x[0]) % (2 * math.pi)
    dec2 = math.asin(x[2] / d2)
    east2 = [-math.sin(ra2), math.cos(ra2), 0.0]
    north2 = [-math.sin(dec2) * math.cos(ra2), -math.sin(dec2) * math.sin(ra2), math.cos(dec2)]
    mu_alpha_star = sum(v[i] * east2[i] for i in range(3)) / d2 / MAS / 1000.0   # arcsec/yr
    mu_delta = sum(v[i] * north2[i] for i in range(3)) / d2 / MAS / 1000.0
    return math.degrees(ra2), math.degrees(dec2), d2, mu_alpha_star / math.cos(dec2), mu_delta


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--catalog", required=True)
    ap.add_argument("--diameters", required=True)
    ap.add_argument("--out", default="data")
    args = ap.parse_args()

    stars = read_catalog(args.catalog)
    by_bayer = {s["bayer"]: s for s in stars if s["bayer"]}
    diam = read_diameters(args.diameters)

    chosen = []   # (name, star)
    for name, bayer in NAVIGATIONAL:
        if bayer not in by_bayer:
            sys.exit("navigational star not found: %s (%s)" % (name, bayer))
        chosen.append((name, by_bayer[bayer]))
    taken = {s["hip"] for _, s in chosen}
    for s in stars:
        if s["v"] < 2.0 and s["hip"] not in taken:
            if s["bayer"] not in OTHER_NAMES:
                sys.exit("no name for the bright star HIP %d (%s)" % (s["hip"], s["bayer"]))
            chosen.append((OTHER_NAMES[s["bayer"]], s))
    chosen.sort(key=lambda c: c[1]["v"])

    fit = fit_surface_brightness(stars, diam)
    print("surface-brightness fit log10(theta/mas) + 0.2 V = poly(B-V): %d stars, rms %.3f dex, "
          "coefficients %s" % (fit["n"], fit["rms"], " ".join("%.5f" % c for c in fit["coef"])))

    estimated = []
    records = []
    for name, s in chosen:
        values = measured(s, name, diam)
        if values:
            theta = statistics.median(values)
        else:
            theta = estimate_theta(fit, s)
            estimated.append(name)
        ra, dec, dist, dra, ddec = to_j2000(s)
        diameter = theta * MAS * dist * PC_KM
        records.append((name, ra, dec, dist, dra, ddec, s["rv"], s["v"], diameter))
        print("%-16s V %5.2f  theta %7.3f mas%s  d %8.2f pc  D %.4g km" % (
            name, s["v"], theta, " (estimated)" if not values else "", dist, diameter))
    if any(r[6] is None for r in records):
        sys.exit("a star without radial velocity")
    write(os.path.join(args.out, "Stars.txt"), records, estimated, fit)
    print("wrote %d stars; diameters estimated for %d: %s" % (len(records), len(estimated), ", ".join(estimated)))


def measured(s, name, diam):
    keys = {"hd" + s["hd"], "hr" + s["hr"], normalise(name)} | set(bayer_keys(s["bayer"]))
    values = []
    for key in keys:
        values += diam.get(key, [])
    return values


def fit_surface_brightness(stars, diam):
    """Least-squares cubic of log10(theta) + 0.2 V against B-V over the stars of
    the catalogue file that have a measured diameter, with 3-sigma clipping."""
    points = []
    for s in stars:
        if s["bv"] is None or not s["bayer"] and not s["hd"]:
            continue
        values = measured(s, "", diam)
        if values:
            points.append((s["bv"], math.log10(statistics.median(values)) + 0.2 * s["v"]))
    keep = points
    for _ in range(5):
        coef = polyfit([x for x, _ in keep], [y for _, y in keep], 3)
        res = [y - polyval(coef, x) for x, y in keep]
        rms = math.sqrt(sum(r * r for r in res) / len(res))
        new = [(x, y) for x, y in points if abs(y - polyval(coef, x)) <= 3 * rms]
        if len(new) == len(keep):
            break
        keep = new
    return {"coef": coef, "rms": rms, "n": len(keep),
            "bv_range": (min(x for x, _ in keep), max(x for x, _ in keep))}


def estimate_theta(fit, s):
    lo, hi = fit["bv_range"]
    bv = min(max(s["bv"], lo), hi)
    return 10 ** (polyval(fit["coef"], bv) - 0.2 * s["v"])


def polyfit(xs, ys, degree):
    """Least-squares polynomial coefficients (constant first) by normal equations."""
    n = degree + 1
    a = [[sum(x ** (i + j) for x in xs) for j in range(n)] for i in range(n)]
    b = [sum(y * x ** i for x, y in zip(xs, ys)) for i in range(n)]
    for col in range(n):                       # Gauss-Jordan with partial pivoting
        piv = max(range(col, n), key=lambda r: abs(a[r][col]))
        a[col], a[piv] = a[piv], a[col]
        b[col], b[piv] = b[piv], b[col]
        for r in range(n):
            if r != col:
                f = a[r][col] / a[col][col]
                a[r] = [a[r][k] - f * a[col][k] for k in range(n)]
                b[r] -= f * b[col]
    return [b[i] / a[i][i] for i in range(n)]


def polyval(coef, x):
    return sum(c * x ** i for i, c in enumerate(coef))


def write(path, records, estimated, fit):
    lines = [
        "# Stars.txt: bright and navigational stars. One record per star: name then right",
        "# ascension and declination (degrees - ICRS at epoch J2000.0) then distance (parsecs",
        "# from parallax) then the rates of right ascension and declination (arcseconds per",
        "# year; the right ascension rate is mu-alpha* / cos(dec)) then radial velocity (km/s",
        "# positive receding) then visual magnitude V then diameter (km = angular diameter",
        "# times distance).",
        "# Selection: every star brighter than V 2.0 and the 57 navigational stars of the",
        "# Nautical Almanac and Polaris. Names: IAU Catalog of Star Names (WGSN); Regor is",
        "# the customary name of gamma-2 Velorum.",
        "# Astrometry: Hipparcos New Reduction (van Leeuwen 2007 - A&A 474 653) at J1991.25",
        "# carried to J2000.0 along the space motion; backup Hipparcos Catalogue (ESA 1997).",
        "# Radial velocities: Pulkovo Compilation (Gontcharov 2006 - Astron. Lett. 32 759)",
        "# backup Barbier-Brossat and Figon 2000. V: Hipparcos Catalogue (ESA 1997).",
        "# These were read from the merged file os-bright-star-catalog-hip.utf8 of the",
        "# public repository johanley/star-catalog.",
        "# Angular diameters: JMMC Measured Stellar Diameters Catalogue JMDC (Duvert 2016 -",
        "# CDS II/345 - version 2020-07-30): median of the measurements of the star.",
        "# Without a measurement (%d stars) the diameter comes from a surface-brightness" % len(estimated),
        "# relation log10(theta) + 0.2 V = cubic in B-V fitted to the JMDC stars of the",
        "# file (%d stars - rms %.2f dex). Estimated:" % (fit["n"], fit["rms"]),
    ]
    for k in range(0, len(estimated), 8):
        lines.append("#   " + " ".join(estimated[k:k + 8]))
    lines += [
        "# Regenerate: python3 tools/stars.py --catalog <os-bright-star-catalog-hip.utf8>",
        "#   --diameters <JMDC_full_20200730.csv> --out data",
    ]
    for name, ra, dec, dist, dra, ddec, rv, v, diameter in records:
        lines.append("%s,%.7f,%.7f,%.4f,%.6f,%.6f,%.2f,%.2f,%.0f" % (
            name, ra, dec, dist, dra, ddec, rv, v, diameter))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
