#!/usr/bin/python3
"""Abridge the VSOP87 "D" planetary series into the data files Mercury.txt ... Saturn.txt.

VSOP87 (Bretagnon P., Francou G., "Planetary theories in rectangular and
spherical variables: VSOP87 solutions", Astronomy and Astrophysics 202, 309-315,
1988), version D: heliocentric ecliptic longitude L, latitude B (radians) and
radius vector R (au), ecliptic and equinox of date, each a sum over powers p of
tau^p * sum A cos(B + C tau), tau in Julian millennia of TDB from J2000.0.

The full series are read from one of:
  * the original distribution files VSOP87D.mer, VSOP87D.ven, VSOP87D.ear,
    VSOP87D.mar, VSOP87D.jup, VSOP87D.sat (term lines end with A, B, C), or
  * a line-by-line transcription of those files, vsop87d_full.py, in the public
    repository gmiller123456/vsop87-multilang (Languages/Python/vsop87d_full.py),
    which is what the shipped files were made from.
Before abridging, the full series are checked against the check values
published with the theory (file vsop87.chk) at JD 2451545.0 and 2122820.0.

Truncation: for each of L, B and R the terms are ranked by their largest
contribution over the span, A * |tau|max^p; the smallest are dropped as long as
the measured difference between the abridged series (with amplitudes rounded
to whole units of 1e-8) and the full series stays within the error budget in
arcseconds (for R: the budget times R, i.e. the same angle seen at the planet's
distance). The error is measured on random instants for the choice and then on
an independent dense grid over the whole span; the grid figures are printed and
written into the files.

Needs python3 with numpy (Debian package python3-numpy).

Regenerate the shipped files (from the repository root):
  git clone https://github.com/gmiller123456/vsop87-multilang /tmp/vsop87-multilang
  /usr/bin/python3 tools/vsop87_abridge.py \
      --source /tmp/vsop87-multilang/Languages/Python/vsop87d_full.py --out data
"""

import argparse
import math
import os
import re
import sys

import numpy as np

ARCSEC = 180.0 / math.pi * 3600.0

PLANETS = [  # file name, key in the transcription, extension of the original files
    ("Mercury", "mercury", "mer"),
    ("Venus", "venus", "ven"),
    ("Earth", "earth", "ear"),
    ("Mars", "mars", "mar"),
    ("Jupiter", "jupiter", "jup"),
    ("Saturn", "saturn", "sat"),
]

# Check values of vsop87.chk for version D: (JD, L rad, B rad, R au).
CHECKS = {
    "mercury": [(2451545.0, 4.4293481036, -0.0527573409, 0.46647148),
                (2122820.0, 5.0128397764, -0.1143275808, 0.43520632)],
    "venus": [(2451545.0, 3.1870221833, 0.0569782849, 0.72021293),
              (2122820.0, 3.3145399295, 0.0505016053, 0.72158198)],
    "earth": [(2451545.0, 1.7519238681, -0.0000039656, 0.98332768),
              (2122820.0, 1.6367193623, -0.0000031292, 0.98303318)],
    "mars": [(2451545.0, 6.2735389983, -0.0247779824, 1.39120769),
             (2122820.0, 2.7367104344, 0.0295522719, 1.65710023)],
    "jupiter": [(2451545.0, 0.6334614186, -0.0205001039, 4.96538132),
                (2122820.0, 1.2695066546, -0.0075335740, 5.11935874)],
    "saturn": [(2451545.0, 0.7980038761, -0.0401984149, 9.18384837),
               (2122820.0, 3.5570108069, 0.0435371139, 9.86699395)],
}

# Span of the error budget: 1 January -1000 (JD 1355807.5) to 31 December 3000.
TAU_MIN = (1355807.5 - 2451545.0) / 365250.0
TAU_MAX = (2817152.5 - 2451545.0) / 365250.0


class Term:
    __slots__ = ("a", "b", "c", "b_text", "c_text")

    def __init__(self, a, b_text, c_text):
        self.a = float(a)
        self.b_text = clean_number(b_text)
        self.c_text = clean_number(c_text)
        self.b = float(self.b_text)
        self.c = float(self.c_text)


def clean_number(text):
    """Shortest plain decimal text of a number as written in the source."""
    text = text.strip()
    if text.lower() in ("pi", "math.pi"):
        text = "3.14159265359"
    if "." in text and "e" not in text.lower():
        text = text.rstrip("0").rstrip(".")
    return text if text not in ("", "-") else "0"


def read_transcription(path):
    """series[key][letter][power] = [Term] from vsop87d_full.py."""
    pattern = re.compile(
        r"^\s*([a-z]+)_([lbr])_(\d)\+=\s*([-0-9.eE+]+)\s*\*\s*math\.cos\(\s*([-0-9.eE+]+)\s*\+\s*([-0-9.eE+]+)\s*\*t\)")
    series = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = pattern.match(line)
            if not m:
                continue
            planet, letter, power = m.group(1), m.group(2).upper(), int(m.group(3))
            terms = series.setdefault(planet, {}).setdefault(letter, {}).setdefault(power, [])
            terms.append(Term(m.group(4), m.group(5), m.group(6)))
    return series


def read_original(directory, ext):
    """{letter: {power: [Term]}} from an original VSOP87D.xxx file."""
    header = re.compile(r"VSOP87 VERSION D\d\s+\S+\s+VARIABLE (\d) \(LBR\)\s+\*T\*\*(\d)\s+(\d+) TERMS")
    out = {}
    current = None
    with open(os.path.join(directory, "VSOP87D." + ext), encoding="ascii") as f:
        for line in f:
            m = header.search(line)
            if m:
                letter = "LBR"[int(m.group(1)) - 1]
                current = out.setdefault(letter, {}).setdefault(int(m.group(2)), [])
                continue
            fields = line.split()
            if current is not None and len(fields) >= 3:
                current.append(Term(fields[-3], fields[-2], fields[-1]))
    return out


def evaluate(series_letter, tau):
    """Sum of one variable (L, B or R) at the instants tau (array)."""
    total = np.zeros_like(tau)
    for power, terms in series_letter.items():
        a = np.array([t.a for t in terms])
        b = np.array([t.b for t in terms])
        c = np.array([t.c for t in terms])
        s = np.zeros_like(tau)
        for lo in range(0, len(terms), 256):
            s += (a[lo:lo + 256, None] * np.cos(b[lo:lo + 256, None] + c[lo:lo + 256, None] * tau[None, :])).sum(axis=0)
        total += s * tau ** power
    return total


def check_full(key, series):
    for jd, l_chk, b_chk, r_chk in CHECKS[key]:
        tau = np.array([(jd - 2451545.0) / 365250.0])
        l = math.fmod(evaluate(series["L"], tau)[0], 2 * math.pi)
        if l < 0:
            l += 2 * math.pi
        b = evaluate(series["B"], tau)[0]
        r = evaluate(series["R"], tau)[0]
        if abs(l - l_chk) > 2e-10 or abs(b - b_chk) > 2e-10 or abs(r - r_chk) > 5e-7:
            sys.exit("%s: the full series do not reproduce the check values at JD %.1f "
                     "(L %.10f B %.10f R %.8f)" % (key, jd, l, b, r))


def flatten(series_letter):
    """[(power, index in power, Term)] for one variable."""
    return [(p, i, t) for p in sorted(series_letter) for i, t in enumerate(series_letter[p])]


def contributions(flat, tau, rounded):
    """Per term: contribution to the sum (rows) at the instants tau (columns),
    and the rounding error of its amplitude in 1e-8 units."""
    a = np.array([t.a for _, _, t in flat])
    b = np.array([t.b for _, _, t in flat])
    c = np.array([t.c for _, _, t in flat])
    p = np.array([pw for pw, _, _ in flat], dtype=float)
    shape = np.cos(b[:, None] + c[:, None] * tau[None, :]) * tau[None, :] ** p[:, None]
    return a[:, None] * shape, (rounded - a)[:, None] * shape


def abridge_variable(letter, flat, budget, scale_for):
    """Choose the terms to keep. Returns (kept flags, measured max error in arcsec)."""
    tau_abs = max(abs(TAU_MIN), abs(TAU_MAX))
    amp = np.array([t.a for _, _, t in flat])
    rounded = np.round(amp * 1e8) / 1e8
    weight = amp * np.array([tau_abs ** pw for pw, _, _ in flat])
    # Terms whose amplitude rounds to zero go first, then the smallest effective amplitude.
    order = np.lexsort((weight, rounded != 0))
    n = len(flat)

    rng = np.random.default_rng(87)
    tau_sel = rng.uniform(TAU_MIN, TAU_MAX, 40000)
    tau_sel = np.concatenate([tau_sel, [TAU_MIN, TAU_MAX, 0.0]])
    scale_sel = scale_for(tau_sel)
    # worst[k]: largest error when the first k terms of the order are dropped.
    worst = np.zeros(n + 1)
    for lo in range(0, len(tau_sel), 4000):
        t = tau_sel[lo:lo + 4000]
        m, r = contributions([flat[i] for i in order], t, rounded[order])
        dropped = np.vstack([np.zeros((1, len(t))), np.cumsum(m, axis=0)])
        round_rest = np.vstack([np.cumsum(r[::-1], axis=0)[::-1], np.zeros((1, len(t)))])
        err = np.abs(dropped + round_rest) * ARCSEC / scale_sel[lo:lo + 4000][None, :]
        worst = np.maximum(worst, err.max(axis=1))
    ok = worst <= 0.9 * budget
    must_keep = int(np.sum(rounded == 0))  # never keep a term that rounds to 0
    k = must_keep
    while k < n and ok[k + 1]:
        k += 1

    # Independent check on a dense grid over the whole span; back off if it fails.
    tau_grid = np.linspace(TAU_MIN, TAU_MAX, 200001)
    while True:
        keep = np.zeros(n, dtype=bool)
        keep[order[k:]] = True
        err = 0.0
        for lo in range(0, len(tau_grid), 5000):
            t = tau_grid[lo:lo + 5000]
            m, r = contributions(flat, t, rounded)
            diff = np.where(keep[:, None], r, m).sum(axis=0)
            err = max(err, float(np.max(np.abs(diff) * ARCSEC / scale_for(t))))
        if err <= budget or k == must_keep:
            return keep, err
        k = max(must_keep, k - max(1, (k - must_keep) // 20))


def write_file(path, name, series, keep_flags, errors, budget, source_note):
    lines = []
    w = lines.append
    w("# %s: heliocentric ecliptic longitude L and latitude B (radians) and radius" % name)
    w("# vector R (au) referred to the ecliptic and equinox of date. Each record:")
    w("# label (series letter and power of tau) then ordinal then amplitude A in")
    w("# units of 1e-8 then phase B (radians) then frequency C (radians per Julian")
    w("# millennium); the series is the sum over p of tau^p * sum A cos(B + C tau)")
    w("# with tau = (JDE - 2451545) / 365250.")
    w("# Source: VSOP87 version D (P. Bretagnon and G. Francou 1988 Astronomy and")
    w("# Astrophysics 202 309-315) abridged by tools/vsop87_abridge.py from the full")
    w("# series in %s." % source_note)
    w("# Truncation: terms dropped while the difference from the full series stays")
    w("# within %g arcsecond in L and B and within %g arcsecond times R in R over the" % (budget, budget))
    w("# years -1000 to 3000. Measured maximum difference on a grid of 200001 instants:")
    for letter in "LBR":
        flat = flatten(series[letter])
        kept = int(keep_flags[letter].sum())
        w("#   %s: %d of %d terms kept; max error %.3f arcsec%s" % (
            letter, kept, len(flat), errors[letter], " (as angle: dR/R)" if letter == "R" else ""))
    w("# Regenerate: /usr/bin/python3 tools/vsop87_abridge.py --source <vsop87d_full.py> --out data")
    for letter in "LBR":
        flat = flatten(series[letter])
        keep = keep_flags[letter]
        by_power = {}
        for (power, _, term), k in zip(flat, keep):
            if k:
                by_power.setdefault(power, []).append(term)
        for power in sorted(by_power):
            for n, term in enumerate(by_power[power], start=1):
                amp = int(round(term.a * 1e8))
                if letter == "L" and not 0 <= amp <= 3000000000000:
                    sys.exit("L amplitude out of range")
                if letter != "L" and not 0 <= amp <= 1000000000:
                    sys.exit("%s amplitude out of range" % letter)
                if not 0 <= term.b <= 6.284 or not 0 <= term.c <= 300000:
                    sys.exit("phase or frequency out of range: %s %s" % (term.b_text, term.c_text))
                w("%s%d,%d,%d,%s,%s" % (letter, power, n, amp, term.b_text, term.c_text))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--source", required=True,
                    help="vsop87d_full.py, or a folder with the original VSOP87D.* files")
    ap.add_argument("--out", default="data", help="folder for the output files")
    ap.add_argument("--earth-budget", type=float, default=1.0, help="arcseconds (Earth)")
    ap.add_argument("--planet-budget", type=float, default=2.0, help="arcseconds (other planets)")
    ap.add_argument("--only", help="one planet name, e.g. Earth")
    args = ap.parse_args()

    if os.path.isdir(args.source):
        full = {key: read_original(args.source, ext) for _, key, ext in PLANETS}
        source_note = "the original distribution files VSOP87D.*"
    else:
        full = read_transcription(args.source)
        source_note = ("vsop87d_full.py of the public repository" +
                       "\n# gmiller123456/vsop87-multilang (a transcription of the files VSOP87D.*)")

    for name, key, _ in PLANETS:
        if args.only and args.only != name:
            continue
        series = full[key]
        check_full(key, series)
        budget = args.earth_budget if name == "Earth" else args.planet_budget
        r_full = lambda t, s=series: evaluate(s["R"], t)
        keep_flags, errors = {}, {}
        for letter in "LBR":
            flat = flatten(series[letter])
            scale = r_full if letter == "R" else (lambda t: np.ones_like(t))
            keep_flags[letter], errors[letter] = abridge_variable(letter, flat, budget, scale)
            counts = {}
            for (power, _, _), k in zip(flat, keep_flags[letter]):
                if k:
                    counts[power] = counts.get(power, 0) + 1
            print("%-8s %s: %4d of %4d terms kept %s; max error %.3f arcsec" % (
                name, letter, int(keep_flags[letter].sum()), len(flat),
                " ".join("%s%d:%d" % (letter, p, counts[p]) for p in sorted(counts)), errors[letter]))
            sys.stdout.flush()
        write_file(os.path.join(args.out, name + ".txt"), name, series, keep_flags, errors, budget, source_note)


if __name__ == "__main__":
    main()
