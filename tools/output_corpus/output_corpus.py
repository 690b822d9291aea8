#!/usr/bin/env python3
"""A corpus of the command line's outputs, to show that a change of the code
changes none of them.

  output_corpus.py run BINARY FOLDER [--data-dir DIR] [--jobs N] [--scale S]
  output_corpus.py compare FOLDER_BEFORE FOLDER_AFTER

`run` calls the given nemora-cli with a fixed, reproducible set of command
lines (every command; places by coordinates over the whole globe and a few by
name; dates over three centuries and every date type; both languages; JSON and
text; the inputs' options varied) and keeps in FOLDER, for each call, its
standard output, its standard error with the exit status, and every file it
wrote. Where a command reads its dates from standard input (--date -), one call
gives one output per date line, which keeps the processes few.

`compare` compares two such folders byte for byte (all but the moment of
writing that an iCalendar file stamps on its events) and prints, per command, the
outputs, the calls and the files, with those that differ; it exits 1 when
anything differs or is missing.

Outputs counted: each date line of a batch call, each other call's standard
output, and each file written.
"""

import argparse
import concurrent.futures
import hashlib
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

SEED = 20241209

# Places by coordinates: (latitude, longitude, height m, zone h, dst).
COORDINATE_PLACES = [
    (31.78, 35.22, 780, 2, True), (21.42, 39.83, 277, 3, False), (51.48, 0.0, 45, 0, True),
    (40.71, -74.01, 10, -5, True), (-33.92, 18.42, 20, 2, False), (-33.87, 151.21, 40, 10, True),
    (35.68, 139.69, 40, 9, False), (55.75, 37.62, 150, 3, False), (64.15, -21.94, 30, 0, False),
    (78.22, 15.65, 10, 1, True), (-77.85, 166.67, 20, 12, True), (69.65, 18.96, 10, 1, True),
    (0.0, 0.0, 0, 0, False), (1.29, 103.85, 15, 8, False), (-0.18, -78.47, 2850, -5, False),
    (19.43, -99.13, 2240, -6, False), (-23.55, -46.63, 760, -3, False), (-54.8, -68.3, 20, -3, False),
    (30.04, 31.24, 23, 2, False), (33.89, 35.5, 50, 2, True), (24.71, 46.68, 612, 3, False),
    (35.69, 51.39, 1190, 3.5, False), (28.61, 77.21, 216, 5.5, False), (27.7, 85.32, 1400, 5.75, False),
    (-8.65, 115.22, 30, 8, False), (13.75, 100.5, 5, 7, False), (39.9, 116.4, 50, 8, False),
    (61.22, -149.9, 30, -9, True), (21.31, -157.86, 5, -10, False), (-41.29, 174.78, 20, 12, True),
    (-13.97, -171.75, 5, 13, False), (47.37, 8.54, 410, 1, True), (41.01, 28.98, 40, 3, False),
    (36.75, 3.06, 25, 1, False), (14.69, -17.44, 20, 0, False), (6.52, 3.38, 40, 1, False),
    (-1.29, 36.82, 1660, 3, False), (-26.2, 28.05, 1750, 2, False), (49.28, -123.12, 70, -8, True),
    (45.5, -73.57, 30, -5, True), (29.76, -95.37, 15, -6, True), (-34.6, -58.38, 25, -3, False),
    (-12.05, -77.04, 150, -5, False), (66.56, 25.0, 100, 2, True), (-66.0, 140.0, 40, 10, False),
    (89.5, 0.0, 0, 0, False), (-89.5, 0.0, 2800, 12, False), (12.0, 179.9, 0, 12, False),
]

# Places by name: each costs a lookup in the place finder, so they are few.
NAMED_PLACES = [
    "Israel/Jerusalem/Center", "London", "Cape Town", "Springfield, Illinois, USA",
    "Tokyo", "Reykjavik", "Sao Paulo", "Mecca",
]

BODIES = ["Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"]
STARS = ["Sirius", "Canopus", "Vega", "Polaris", "Regor"]
COMMON_PARAMETERS = ["Horizon coordinates", "Magnitude", "Distance & size", "Rise", "Set",
                     "Ecliptic coordinates", "Equatorial coordinates", "Finder chart",
                     "Probability", "Light curve"]
EXTRA_PARAMETERS = {
    "Sun": ["Next vernal equinox"],
    "Moon": ["Visibility by criterion", "Next new Moon", "Next old Moon", "Next conjunction",
             "Next full Moon", "Next back-to-back Moon", "Visibility map"],
}
DATE_TYPES = ["Fixed", "JD", "JDE", "MJD", "Gregorian", "Julian", "Hebrew", "Islamic"]
TIME_TYPES = ["UTC", "Local", "Mean Solar", "True Solar", "GMST", "LST", "Seasonal"]
CRITERIA = ["Photometric", "DALT-Width", "Maimonides", "Ilyas", "Yallop", "SAAO", "Karaite", "Odeh",
            "User:1,2,1,1,1,0.5"]
WEATHERS = ["Global", "Local", "Fixed:20,1013,50", "Fixed:-5,990,80",
            "Manual:15,10,12,1010,5,8,60,20,15"]
AIDS = ["eye", "binoculars", "binoculars:10x42", "telescope:80,30"]
SIGHTINGS = ["yallop.csv", "schaefer_odeh.csv", "alrefay.csv", "icouk.csv"]

# Mean new Moon near 6 January 2000 18:14 UT (fixed day number 730125.76) and
# the mean synodic month: evenings near them make the crescent commands meet
# young Moons of every kind.
NEW_MOON_FIXED = 730125.76
SYNODIC_MONTH = 29.530588853

FIXED_1900 = 693596  # 1 January 1900


def gregorian_from_fixed(fixed):
    """Gregorian (year, month, day) of a fixed day number (day 1 = 1 January 1)."""
    d0 = fixed - 1
    n400, d1 = divmod(d0, 146097)
    n100, d2 = divmod(d1, 36524)
    n4, d3 = divmod(d2, 1461)
    n1, d4 = divmod(d3, 365)
    year = 400 * n400 + 100 * n100 + 4 * n4 + n1
    if n100 == 4 or n1 == 4:
        return year, 12, 31
    year += 1
    leap = year % 4 == 0 and (year % 100 != 0 or year % 400 == 0)
    days = [31, 29 if leap else 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
    doy = d4
    month = 1
    while doy >= days[month - 1]:
        doy -= days[month - 1]
        month += 1
    return year, month, doy + 1


class Corpus:
    """The reproducible list of calls."""

    def __init__(self, scale):
        self.rng = random.Random(SEED)
        self.scale = scale
        self.calls = []  # dicts: command, args, stdin, outputs, files

    def n(self, count):
        return max(1, int(round(count * self.scale)))

    def place(self, named_share=0.0):
        r = self.rng
        if r.random() < named_share:
            return ["--location", r.choice(NAMED_PLACES)]
        lat, lon, height, zone, dst = r.choice(COORDINATE_PLACES)
        args = ["--lat", str(lat), "--lon", str(lon), "--tz", str(zone)]
        if r.random() < 0.7:
            args += ["--height", str(height)]
        if dst:
            args.append("--dst")
        return args

    def options(self, visibility=False):
        """Language, JSON and, now and then, the inputs that shape the results."""
        r = self.rng
        args = []
        if r.random() < 0.5:
            args += ["--language", "Hebrew"]
        if r.random() < 0.3:
            args += ["--weather", r.choice(WEATHERS)]
        if r.random() < 0.3:
            args += ["--criterion", r.choice(CRITERIA)]
        if r.random() < 0.2:
            args += ["--precision", str(r.choice([0, 1, 2]))]
        if visibility:
            if r.random() < 0.25:
                args += ["--observer", r.choice(["overall", "1", "-0.5", "2"])]
            if r.random() < 0.2:
                args += ["--aid", r.choice(AIDS)]
            if r.random() < 0.2:
                args += ["--model", r.choice(["contrast", "classic"])]
            if r.random() < 0.2:
                args += ["--speed", str(r.choice([16, 32, 128]))]
            if r.random() < 0.2:
                args += ["--mode", r.choice(["photometric", "criterion"])]
        return args

    def json(self):
        return ["--json"] if self.rng.random() < 0.5 else []

    def time(self):
        r = self.rng
        return ["--time", "%d:%02d:%02d" % (r.randrange(24), r.randrange(60), r.randrange(60))]

    def random_fixed(self):
        return FIXED_1900 + self.rng.randrange(0, 200 * 365)

    def date_text(self, date_type, fixed=None):
        """One date of the given type (some of them impossible, as users type them)."""
        r = self.rng
        if fixed is None:
            fixed = self.random_fixed()
        if date_type == "Fixed":
            return str(fixed)
        if date_type == "JD":
            return "%.4f" % (fixed + 1721424.5 + r.random())
        if date_type == "JDE":
            return "%.3f" % (fixed + 1721424.5 + r.random())
        if date_type == "MJD":
            return "%.2f" % (fixed - 678576 + r.random())
        if date_type == "Gregorian":
            y, m, d = gregorian_from_fixed(fixed)
            if r.random() < 0.02:
                d = 30 if m == 2 else 31  # a day that may not exist
            return "%d-%d-%d" % (y, m, d)
        if date_type == "Julian":
            y, m, d = gregorian_from_fixed(fixed - 13)
            return "%d-%d-%d" % (y, m, min(d, 28))
        if date_type == "Hebrew":
            return "%d-%d-%d" % (r.randrange(5650, 5860), r.randrange(1, 14), r.randrange(1, 30))
        return "%d-%d-%d" % (r.randrange(1310, 1520), r.randrange(1, 13), r.randrange(1, 30))

    def evening_fixed(self):
        """A day near a mean new Moon (the day before to four days after)."""
        k = self.rng.randrange(-1200, 1200)
        return int(NEW_MOON_FIXED + k * SYNODIC_MONTH) + self.rng.randrange(-1, 5)

    def add(self, command, args, stdin=None, outputs=1, files=()):
        self.calls.append({"command": command, "args": args, "stdin": stdin,
                           "outputs": outputs, "files": list(files)})

    def batch(self, command, head, tail, date_type, dates):
        if "--location" in head:
            dates = dates[:3]  # a named place is looked up again for every line
        self.add(command, head + ["--date-type", date_type, "--date", "-"] + tail,
                 stdin="".join(d + "\n" for d in dates), outputs=len(dates))

    def build(self):
        r = self.rng
        # convert: every date type into every other, many places, batches of dates
        for _ in range(self.n(66)):
            dt = r.choice(DATE_TYPES)
            to = r.choice(DATE_TYPES)
            tail = ["convert", "--to", to]
            if to in ("Gregorian", "Julian", "Hebrew", "Islamic") and r.random() < 0.7:
                tail += ["--time-type-out", r.choice(TIME_TYPES)]
            head = self.place(0.03) + self.options() + self.json()
            if dt in ("Gregorian", "Julian", "Hebrew", "Islamic"):
                head += self.time()
                if r.random() < 0.3:
                    head += ["--time-type", r.choice(TIME_TYPES)]
                if r.random() < 0.1:
                    head += ["--pm"]
            self.batch("convert", head, tail, dt, [self.date_text(dt) for _ in range(100)])
        # inputs: the window's labels
        for _ in range(self.n(25)):
            dt = r.choice(["Gregorian", "Hebrew", "Islamic", "Julian", "JD"])
            head = self.place(0.05) + self.options(True) + self.json()
            if dt != "JD":
                head += self.time()
            self.batch("inputs", head, ["inputs"], dt, [self.date_text(dt) for _ in range(40)])
        # report: every body's every parameter, and a few stars
        combos = [(b, p) for b in BODIES for p in COMMON_PARAMETERS + EXTRA_PARAMETERS.get(b, [])]
        combos += [(s, p) for s in STARS for p in COMMON_PARAMETERS]
        for body, parameter in combos:
            for _ in range(self.n(2)):
                head = self.place(0.02) + self.options(True) + self.json() + self.time()
                if r.random() < 0.2:
                    head.append("--output-txt")  # the report kept in Output.txt too
                size = 8 if parameter == "Next back-to-back Moon" else 32
                dates = [self.date_text("Gregorian", self.evening_fixed()
                                        if body == "Moon" else None) for _ in range(size)]
                self.batch("report", head, ["report", "--body", body, "--parameter", parameter],
                           "Gregorian", dates)
        self.add("report", ["report", "--list"])
        self.add("report", ["report", "--list", "--json"])
        # body: every field of the position record
        for body in BODIES + STARS:
            for _ in range(self.n(3)):
                dt = r.choice(["Gregorian", "JD", "Fixed"])
                head = self.place(0.02) + self.options() + self.json()
                if dt == "Gregorian":
                    head += self.time()
                self.batch("body", head, ["body", "--body", body], dt,
                           [self.date_text(dt) for _ in range(40)])
        # crescent: evenings and mornings near new Moons
        for _ in range(self.n(70)):
            head = self.place(0.02) + self.options(True) + self.json() + ["--time", "12:00"]
            tail = ["crescent"] + (["--morning"] if r.random() < 0.3 else [])
            self.batch("crescent", head, tail, "Gregorian",
                       [self.date_text("Gregorian", self.evening_fixed()) for _ in range(50)])
        # phases
        for i in range(self.n(30)):
            head = self.place(0.02) + self.options() + self.json() + ["--time", "12:00"]
            count = str(r.choice([1, 3, 6, 13]))
            if i % 4 == 0:
                date = self.date_text("Gregorian")
                self.add("phases", head + ["--date-type", "Gregorian", "--date", date, "phases",
                                           "--count", count, "--ics", "phases.ics"],
                         files=["phases.ics"])
            else:
                self.batch("phases", head, ["phases", "--count", count], "Gregorian",
                           [self.date_text("Gregorian") for _ in range(10)])
        # first-visible
        for i in range(self.n(30)):
            head = self.place(0.05) + self.options(True) + self.json() + ["--time", "12:00"]
            tail = ["first-visible", "--count", str(r.choice([1, 2, 4]))]
            if r.random() < 0.3:
                tail.append("--old")
            if i % 3 == 0:
                self.add("first-visible", head + ["--date-type", "Gregorian", "--date",
                                                  self.date_text("Gregorian")] + tail
                         + ["--ics", "crescents.ics"], files=["crescents.ics"])
            else:
                self.batch("first-visible", head, tail, "Gregorian",
                           [self.date_text("Gregorian") for _ in range(3)])
        # graph --csv: each kind, to standard output or to a file
        for i in range(self.n(50)):
            kind = r.choice(["probability", "light", "finder"])
            head = (self.place(0.03) + self.options(True) + ["--date-type", "Gregorian", "--date",
                    self.date_text("Gregorian", self.evening_fixed()), "--time", "12:00"])
            tail = ["graph", "--kind", kind, "--csv"]
            if kind != "probability" or r.random() < 0.3:
                tail += ["--body", r.choice(BODIES)]
            if kind == "finder" and r.random() < 0.6:
                tail += ["--plot-mode", r.choice(["full", "sketch", "proportional"])]
            if i % 2:
                self.add("graph", head + tail + ["--out", "graph.csv"], files=["graph.csv"])
            else:
                self.add("graph", head + tail)
        # map on small regions: the table of cells and the text
        for i in range(self.n(24)):
            lat0 = r.randrange(-80, 70)
            lon0 = r.randrange(-180, 170)
            head = (self.options(True) + ["--date-type", "Gregorian", "--date",
                    self.date_text("Gregorian", self.evening_fixed()), "--time", "12:00"])
            tail = ["map", "--step", str(r.choice([1, 2, 2.5])), "--lat-range",
                    "%d:%d" % (lat0, lat0 + 10), "--lon-range", "%d:%d" % (lon0, lon0 + 10),
                    "--threads", "1", "--out", "map.csv"]
            if r.random() < 0.3:
                tail.append("--morning")
            self.add("map", head + tail, files=["map.csv"])
        # sightings: each bundled file once (without the Delta T re-runs, to save time)
        for name in SIGHTINGS:
            head = self.json() + (["--language", "Hebrew"] if name == "yallop.csv" else [])
            head += ["--output-txt"] if name in ("yallop.csv", "icouk.csv") else []
            self.add("sightings", head + ["sightings", os.path.join("@DATA@", "sightings", name),
                                          "--threads", "1", "--no-delta-t-test"])
        # places
        for text in ["cape town", "london", "spring", "sao paulo", "al-quds", "yo", "zzzz"]:
            self.add("places", ["places", "--search", text] + self.json())
        for country in ["israel", "Japan", "united kingdom", "Narnia"]:
            self.add("places", ["places", "--country", country] + self.json())
        self.add("places", ["places"])
        self.add("places", ["places", "--json"])
        # inputs that cannot be used: each is explained with status 2
        for args in (["--tz", "30", "--lat", "1", "--lon", "1", "inputs"],
                     ["--weather", "Fixed:20,1013", "--lat", "1", "--lon", "1", "inputs"],
                     ["--criterion", "nonsense", "--lat", "1", "--lon", "1", "inputs"],
                     ["--date-type", "Gregorian", "--date", "2024-2-30", "--lat", "1", "--lon", "1",
                      "inputs"],
                     ["--location", "Nowhereville", "inputs"],
                     ["--language", "French", "inputs"]):
            self.add("inputs", args)
        return self.calls


# The only part of an output that depends on the clock: an iCalendar event's
# stamp of the moment the file was written.
STAMP = re.compile(rb"DTSTAMP:\d{8}T\d{6}Z")


def without_clock(name, data):
    return STAMP.sub(b"DTSTAMP:(the moment of writing)", data) if name.endswith(".ics") else data


def run_call(binary, data_dir, folder, index, call):
    name = "%05d" % index
    args = [a.replace("@DATA@", data_dir) for a in call["args"]]
    with tempfile.TemporaryDirectory(dir=folder) as work:
        start = time.monotonic()
        proc = subprocess.run([binary, "--data-dir", data_dir] + args, cwd=work,
                              input=(call["stdin"] or "").encode(), capture_output=True)
        with open(os.path.join(folder, name + ".out"), "wb") as f:
            f.write(proc.stdout)
        with open(os.path.join(folder, name + ".err"), "wb") as f:
            f.write(proc.stderr.replace(data_dir.encode(), b"@DATA@"))
            f.write(b"\nexit status %d\n" % proc.returncode)
        # every file the call wrote, expected or not (Output.txt, pictures ...)
        written = sorted(os.listdir(work))
        for w in written:
            with open(os.path.join(work, w), "rb") as f:
                data = without_clock(w, f.read())
            with open(os.path.join(folder, name + ".file." + w), "wb") as f:
                f.write(data)
    return written, time.monotonic() - start


def run(ns):
    binary = os.path.abspath(ns.binary)
    data_dir = os.path.abspath(ns.data_dir)
    folder = ns.folder
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    calls = Corpus(ns.scale).build()
    with concurrent.futures.ThreadPoolExecutor(max_workers=ns.jobs) as pool:
        written = list(pool.map(lambda ic: run_call(binary, data_dir, folder, *ic),
                                enumerate(calls)))
    manifest = []
    for index, (call, (files, seconds)) in enumerate(zip(calls, written)):
        manifest.append({"call": "%05d" % index, "command": call["command"],
                         "outputs": call["outputs"], "files": files, "args": call["args"],
                         "seconds": round(seconds, 3)})
    with open(os.path.join(folder, "manifest.json"), "w") as f:
        json.dump({"binary": binary, "calls": manifest}, f, indent=0)
    outputs = sum(c["outputs"] + len(c["files"]) for c in manifest)
    print("%d calls, %d outputs (%d files written) in %s" %
          (len(manifest), outputs, sum(len(c["files"]) for c in manifest), folder))


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(without_clock(path, f.read())).digest()


def compare(ns):
    with open(os.path.join(ns.before, "manifest.json")) as f:
        before = json.load(f)["calls"]
    with open(os.path.join(ns.after, "manifest.json")) as f:
        after = {c["call"]: c for c in json.load(f)["calls"]}
    totals = {}
    differing = []
    for call in before:
        t = totals.setdefault(call["command"], {"calls": 0, "outputs": 0, "files": 0, "differ": 0})
        t["calls"] += 1
        t["outputs"] += call["outputs"] + len(call["files"])
        t["files"] += len(call["files"])
        other = after.get(call["call"])
        names = [call["call"] + ".out", call["call"] + ".err"]
        names += [call["call"] + ".file." + w for w in call["files"]]
        if other is not None:
            names += [call["call"] + ".file." + w for w in other["files"] if w not in call["files"]]
        bad = [n for n in names
               if other is None or not os.path.exists(os.path.join(ns.after, n))
               or not os.path.exists(os.path.join(ns.before, n))
               or digest(os.path.join(ns.before, n)) != digest(os.path.join(ns.after, n))]
        if bad:
            t["differ"] += 1
            differing.append((call, bad))
    print("%-14s %7s %8s %6s %7s" % ("command", "calls", "outputs", "files", "differ"))
    for command, t in sorted(totals.items()):
        print("%-14s %7d %8d %6d %7d" % (command, t["calls"], t["outputs"], t["files"], t["differ"]))
    calls = sum(t["calls"] for t in totals.values())
    outputs = sum(t["outputs"] for t in totals.values())
    files = sum(t["files"] for t in totals.values())
    print("%-14s %7d %8d %6d %7d" % ("all", calls, outputs, files, len(differing)))
    for call, bad in differing[:20]:
        print("differs: %s %s: %s" % (call["call"], " ".join(call["args"]), " ".join(bad)))
    if len(after) != len(before):
        print("the folders hold %d and %d calls" % (len(before), len(after)))
        return 1
    print("identical" if not differing else "%d calls differ" % len(differing))
    return 1 if differing else 0


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="verb", required=True)
    r = sub.add_parser("run", help="run the corpus with a nemora-cli into a folder")
    r.add_argument("binary")
    r.add_argument("folder")
    r.add_argument("--data-dir", default=os.path.join(here, "..", "..", "data"))
    r.add_argument("--jobs", type=int, default=2, help="calls at a time (default 2)")
    r.add_argument("--scale", type=float, default=1.0, help="share of the calls (default 1)")
    c = sub.add_parser("compare", help="compare two corpus folders byte for byte")
    c.add_argument("before")
    c.add_argument("after")
    ns = parser.parse_args()
    if ns.verb == "run":
        run(ns)
        return 0
    return compare(ns)


if __name__ == "__main__":
    sys.exit(main())
