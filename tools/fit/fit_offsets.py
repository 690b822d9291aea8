#!/usr/bin/env python3
"""Fits the photometric probability's two free numbers on Yallop's records
and says how well they predict evenings they were not fitted on.

The two numbers (magnitudes, in visibility/sky.cpp):
  kNakedEyeOffset  the crescent's contrast is taken this many magnitudes
                   fainter than the eye model says (positive: harder to see);
  kAidGain         through binoculars or a telescope it is taken this many
                   magnitudes brighter again than the aid model says (the
                   code leaves it out, and so reads it as 0, when the fit
                   does not earn it).
Both scale the contrast, so the probability of a record with them is a
function of its probability without them: the tool reads the probabilities
that `nemora-cli sightings FILE --json` prints, takes the frozen numbers
out again (read from visibility/sky.cpp), and refits. The function: the
contrast is averaged over the model's normal spread (kContrastSpread
magnitudes, 64 steps over 4 standard deviations each side, the default
speed) through the eye's chance of seeing, then calibrated with
Norm((NormInv(P) - 0.32848) * 1.339239) (extended sources).

Fit: least log loss (probabilities kept within 1e-6 of 0 and 1) over every
scored record of the Moon (naked eye and optical aid; cameras and records
under an overcast sky left out). Cross-validation: ten folds of whole
evenings (records of one date and side of the night stay together),
evenings dealt to folds in the order of a shuffle with seed 31 (Python's
random.Random); each fold's records are predicted with the numbers fitted
on the other nine. Variants: no number fitted, the offset alone, the offset
and the aid gain.

Usage (from the repository's top folder, after building):
  build/nemora-cli sightings data/sightings/yallop.csv --no-delta-t-test \\
      --json > /tmp/yallop.json
  python3 tools/fit/fit_offsets.py /tmp/yallop.json
Only Yallop's records may be given to it: the other bundled sets, and the
ICOP campaigns of 2009 on, are kept for testing what it fits.
"""
import argparse
import json
import math
import random
import re
import sys
from statistics import NormalDist

import numpy as np

SPREAD_STEPS = 64
SPREAD_RANGE = 4.0
CALIBRATION = (0.32848, 1.339239)
FLOOR = 1e-6
SEED = 31
FOLDS = 10
N = NormalDist()


def frozen(source):
    text = open(source, encoding="utf-8").read()

    def const(name, default=None):
        m = re.search(r"constexpr double %s = (-?[0-9.]+);" % name, text)
        if not m:
            if default is not None:
                return default  # a number the code does not use is 0
            sys.exit("%s not found in %s" % (name, source))
        return float(m.group(1))

    return const("kContrastSpread"), const("kNakedEyeOffset"), const("kAidGain", 0.0)


class Model:
    """Probability as a function of the log10 contrast, and back."""

    def __init__(self, spread):
        z = SPREAD_RANGE * (2.0 * (np.arange(SPREAD_STEPS) + 0.5) / SPREAD_STEPS - 1)
        w = np.exp(-z * z / 2)
        self.factor = 0.4 * spread * z
        self.w = w / w.sum()

    def raw(self, logc):
        logc = np.asarray(logc, dtype=float)
        r = 10.0 ** (logc[..., None] + self.factor)
        return np.sum((1 - np.exp(-1.267 * r * r)) ** 2 * self.w, axis=-1)

    def calibrated(self, logc):
        p = np.clip(self.raw(logc), 1e-300, 1 - 1e-16)
        a, b = CALIBRATION
        z = np.array([N.inv_cdf(float(x)) for x in np.ravel(p)]).reshape(p.shape)
        return np.array([N.cdf(float(x)) for x in np.ravel((z - a) * b)]).reshape(p.shape)

    def log_contrast(self, p):
        """The log10 contrast whose calibrated probability is p. A probability
        of 0 is a Moon the model does not look for (NaN: it stays 0); one of
        exactly 1 only says that the contrast is at least that of a raw
        probability of 1 - 1e-12, and that bound stands for it (with the
        offsets fitted here such a record keeps a probability above 0.999)."""
        if p <= 0:
            return math.nan
        a, b = CALIBRATION
        target = N.cdf(N.inv_cdf(p) / b + a) if p < 1 else 1 - 1e-12
        lo, hi = -6.0, 6.0
        for _ in range(60):
            mid = (lo + hi) / 2
            if self.raw(mid) < target:
                lo = mid
            else:
                hi = mid
        return (lo + hi) / 2


def records(path):
    out = []
    for line in open(path, encoding="utf-8"):
        r = json.loads(line)
        if "summary" in r or not r.get("evaluated") or r.get("body") != "Moon":
            continue
        if r.get("method") == "camera":
            continue
        clouds = r.get("extra_columns", {}).get("clouds")
        if clouds not in (None, "") and float(clouds) >= 1:
            continue
        out.append({"p": r["p"], "seen": bool(r["seen"]), "aid": r["method"] != "eye",
                    "evening": (r["day"]["fixed"], r["evening"])})
    return out


def predict(model, rec, logc, offset, gain):
    shift = np.where([r["aid"] for r in rec], gain, 0.0) - offset
    p = np.array([r["p"] for r in rec], dtype=float)
    ok = ~np.isnan(logc)
    out = p.copy()
    if ok.any():
        out[ok] = model.calibrated(logc[ok] + 0.4 * shift[ok])
    return out


def log_loss(p, seen):
    p = np.clip(p, FLOOR, 1 - FLOOR)
    return float(np.mean(np.where(seen, -np.log(p), -np.log(1 - p))))


def brier(p, seen):
    return float(np.mean((p - seen) ** 2))


def roc_area(p, seen):
    pos, neg = p[seen], p[~seen]
    if len(pos) == 0 or len(neg) == 0:
        return math.nan
    greater = (pos[:, None] > neg[None, :]).sum()
    ties = (pos[:, None] == neg[None, :]).sum()
    return float((greater + 0.5 * ties) / (len(pos) * len(neg)))


def golden(f, lo, hi, steps=40):
    g = (math.sqrt(5) - 1) / 2
    c, d = hi - g * (hi - lo), lo + g * (hi - lo)
    fc, fd = f(c), f(d)
    for _ in range(steps):
        if fc < fd:
            hi, d, fd = d, c, fc
            c = hi - g * (hi - lo)
            fc = f(c)
        else:
            lo, c, fc = c, d, fd
            d = lo + g * (hi - lo)
            fd = f(d)
    return (lo + hi) / 2


def fit(model, rec, logc, variant):
    seen = np.array([r["seen"] for r in rec])
    if variant == "none":
        return 0.0, 0.0

    def loss(offset, gain):
        return log_loss(predict(model, rec, logc, offset, gain), seen)

    if variant == "offset":
        return golden(lambda o: loss(o, 0.0), -4, 4), 0.0
    # The gain touches only the aid records; the offset all of them.
    offset, gain = 0.0, 0.0
    for _ in range(4):
        offset = golden(lambda o: loss(o, gain), -4, 4)
        gain = golden(lambda g: loss(offset, g), -4, 4)
    return offset, gain


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("json", help="nemora-cli sightings data/sightings/yallop.csv --json output")
    ap.add_argument("--source", default="visibility/sky.cpp")
    a = ap.parse_args()
    spread, offset0, gain0 = frozen(a.source)
    model = Model(spread)
    rec = records(a.json)
    # Take the frozen numbers out: back to the model's own contrast.
    logc = np.array([model.log_contrast(r["p"]) for r in rec])
    for i, r in enumerate(rec):
        if not math.isnan(logc[i]):
            logc[i] -= 0.4 * ((gain0 if r["aid"] else 0.0) - offset0)
    seen = np.array([r["seen"] for r in rec])
    aid = np.array([r["aid"] for r in rec])
    evenings = sorted({r["evening"] for r in rec})
    random.Random(SEED).shuffle(evenings)
    fold_of = {e: i % FOLDS for i, e in enumerate(evenings)}
    fold = np.array([fold_of[r["evening"]] for r in rec])
    print("Records %d (naked eye %d, optical aid %d), evenings %d, frozen offset %.3f gain %.3f;"
          " probability 1 (contrast at its bound) %d, probability 0 %d"
          % (len(rec), int((~aid).sum()), int(aid.sum()), len(evenings), offset0, gain0,
             sum(r["p"] >= 1 for r in rec), sum(r["p"] <= 0 for r in rec)))
    for variant in ("none", "offset", "offset+gain"):
        oof = np.zeros(len(rec))
        fitted = []
        for k in range(FOLDS):
            train, test = fold != k, fold == k
            sub = [r for r, t in zip(rec, train) if t]
            o, g = fit(model, sub, logc[train], variant)
            fitted.append((o, g))
            oof[test] = predict(model, [r for r, t in zip(rec, test) if t], logc[test], o, g)
        o, g = fit(model, rec, logc, variant)
        print("\nVariant %s: fitted on all records offset %.3f gain %.3f; folds' offsets %s; gains %s"
              % (variant, o, g, " ".join("%.2f" % f[0] for f in fitted), " ".join("%.2f" % f[1] for f in fitted)))
        for name, sel in (("naked eye", ~aid), ("optical aid", aid), ("all", np.ones(len(rec), bool))):
            p, s = oof[sel], seen[sel]
            print("  out of fold, %-11s n %3d  Brier %.3f  log loss %.3f  ROC area %.3f  seen predicted %d of %d"
                  "  not seen predicted %d of %d" % (
                      name, sel.sum(), brier(p, s), log_loss(p, s), roc_area(p, s),
                      int(((p >= 0.5) & s).sum()), int(s.sum()), int(((p >= 0.5) & ~s).sum()), int((~s).sum())))


if __name__ == "__main__":
    sys.exit(main())
