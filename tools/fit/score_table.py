#!/usr/bin/env python3
"""Prints the photometric probability's scores on every bundled sightings file
as one table (Markdown): per file and observing method, the records (seen),
P's ROC area and Brier score with their 95 % intervals over evenings, the
best criterion's area, P's area minus that criterion's with its interval, and
the sightings P predicts (P >= 0.5).

Usage: python3 tools/fit/score_table.py [--cli build/nemora-cli] [-- extra
options for the command, e.g. --model classic or --weather Global]
"""
import argparse
import json
import subprocess
import sys

FILES = ["yallop.csv", "schaefer_odeh.csv", "icouk.csv", "alrefay.csv"]


def fmt(x):
    return "-" if x is None else "%.3f" % x


def interval(row, key):
    if row.get(key) is None:
        return "-"
    return "%s (%s-%s)" % (fmt(row[key]), fmt(row.get(key + "_low")), fmt(row.get(key + "_high")))


def summary(cli, path, extra):
    out = subprocess.run([cli] + extra + ["sightings", path, "--no-delta-t-test", "--json"],
                         capture_output=True, text=True, check=False).stdout
    return json.loads(out.strip().splitlines()[-1])["summary"]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", default="build/nemora-cli")
    ap.add_argument("--data", default="data/sightings")
    ap.add_argument("extra", nargs="*")
    a = ap.parse_args()
    print("| File | Group | Records (seen) | P's ROC area | Brier | Best criterion's area | P minus it "
          "| Seen predicted |")
    print("|---|---|---|---|---|---|---|---|")
    for f in FILES:
        s = summary(a.cli, "%s/%s" % (a.data, f), a.extra)
        for g in s["scores"]:
            rows = {r["name"]: r for r in g["rows"]}
            p = rows.get("Photometric model")
            if p is None:
                continue
            crit = [r for n, r in rows.items() if n != "Photometric model" and r.get("roc_area") is not None]
            best = max(crit, key=lambda r: r["roc_area"]) if crit else None
            print("| %s | %s | %d (%d) | %s | %s | %s | %s | %d of %d |" % (
                f, g["group"], g["records"], g["seen"], interval(p, "roc_area"), interval(p, "brier"),
                "%s %s" % (best["name"], interval(best, "roc_area")) if best else "-",
                interval(best, "p_minus_roc_area") if best else "-",
                p["seen_predicted"], g["seen"]))


if __name__ == "__main__":
    sys.exit(main())
