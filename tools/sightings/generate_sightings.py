#!/usr/bin/env python3
"""Converts public transcriptions of crescent-sighting campaigns into the
program's sightings files (data/sightings/*.csv).

    python3 tools/sightings/generate_sightings.py

Inputs (kept beside this script, byte for byte as published):
  yallop_1997_transcription.csv   Yallop, B. D., "A Method for Predicting the
      First Sighting of the New Crescent Moon", NAO Technical Note No. 69,
      HM Nautical Almanac Office (1997), the 295 records of its table of
      sightings, as transcribed in the public repository
      github.com/EmmaAlexander/mphys-moon (University of Manchester MPhys
      project), file Data/Yallop/yallop_sighting_data_original.csv, commit
      84f75cae022852899e4b31817d6e59e60bced44e.
  alrefay_2018_transcription.csv  Alrefay, T. et al., "Analysis of
      observations of earliest visibility of the lunar crescent", The
      Observatory 138 (2018): sightings and non-sightings from Saudi Arabia
      1988-2015, as transcribed in the same repository, file
      Data/Alrefay/alrefay_2018_sighting_data_original.csv, same commit.

  schaefer_odeh_allawi_2022_transcription.csv  the merged records of
      Schaefer (his compilation of crescent sightings 1859-1996) and Odeh
      (Odeh, M. Sh., "New criterion for lunar crescent visibility",
      Experimental Astronomy 18 (2004) 39, records 1985-2005) used by Allawi,
      Z. T., "Lunar crescent visibility prediction by an artificial neural
      network", Computation 10 (2022) 186, supplementary table, as
      transcribed in the same repository, file
      Data/Schaefer-Odeh/schaefer_odeh_allawi_2022_sighting_data.csv,
      same commit.
  icouk_transcription.csv  the observation reports of the crescent
      observers of the United Kingdom (ICOUK, moonsighting.org.uk,
      "view observation results", 2015-2023) with their sky (clear, partly
      cloudy, totally cloudy), as transcribed in the same repository, file
      Data/ICOUK/icouk_sighting_data_original.csv, same commit.

How Yallop's visibility codes are read (the letter outside the brackets is
the naked eye, the one inside what optical aid gave; B and T name the aid):
  V     seen with the naked eye
  V(V)  seen with the naked eye, and with optical aid
  V(F)  seen with the naked eye once optical aid had found it
  V(B)  seen with binoculars (the naked-eye outcome is not given)
  V(T)  seen with a telescope (the naked-eye outcome is not given)
  I     not seen (naked eye; no optical aid reported)
  I(V)  not seen with the naked eye, seen with optical aid
  I(I)  seen neither with the naked eye nor with optical aid
  I(B)  not seen with binoculars, hence not with the naked eye either
Each record gives one row per outcome it states: a naked-eye row and/or an
optical-aid row (method binoculars or telescope when named, else "optical").
The same codes in Yallop's Prediction column stand for his classes:
V = A, V(V) = B, V(F) = C, I(V) = D, I(I) = E, I = F (checked against his q
and the class limits +0.216, -0.014, -0.160, -0.232, -0.293 below).

Dates: the JD column is the conjunction (JD - 2400000) and Age the hours from
it to the instant Yallop's ARCV, W' and q describe. Where the local date of
that instant (longitude/15 hours from UT) differs from the Y, M, D columns
the record's date is taken from the instant, so that the record and
Yallop's own q describe the same evening; such records are listed in the
output's header.

Alrefay's Means column: N seen with the naked eye, T seen with a telescope
(the naked-eye outcome is not given), Not_seen seen neither way (a naked-eye
row and a telescope row). All are evenings of the new crescent. A date
written "2015/06./17" is read as 2015-06-17; records that repeat another
record field for field are kept (they are in the published table).

The Schaefer-Odeh table: column C names the compiler (S Schaefer, O Odeh);
the date and time are Allawi's best time in UT (so the evening's local date
is taken at longitude/15 hours); all are evenings of the new crescent (the
Moon's age is positive). Column SO is the outcome, in Yallop's codes plus
I(B) (not seen with the naked eye, seen with binoculars) and I(T) (the same
with a telescope); ANN Vis, Allawi's network's prediction, is kept as an
extra column. Rows that are already in Yallop's table (the same local date
within 0.5 degrees of latitude and longitude) are left out, so that the file
is independent of Yallop's, and so are records from 2009 on: those of the
ICOP campaigns are reserved for independent checks.

ICOUK: one row per method a report names. A report that names one method
gives that row; "not seen" with several methods gives a "no" row for each;
"seen" with "and" (both) a "yes" row for each; "seen" with "and/or" or "or"
gives one "yes" row for the strongest aid named (what the naked eye showed,
the aid shows too). Clouds: clear 0, partly cloudy 0.5, totally cloudy or
rainy 1; the analysis leaves records under an overcast sky out of the
scores.
"""

import csv
import datetime
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
OUT = os.path.join(ROOT, "data", "sightings")

TRANSCRIPTION = ("github.com/EmmaAlexander/mphys-moon, commit "
                 "84f75cae022852899e4b31817d6e59e60bced44e")

YALLOP_LIMITS = [(0.216, "A"), (-0.014, "B"), (-0.160, "C"), (-0.232, "D"), (-0.293, "E")]
PREDICTION_CLASS = {"V": "A", "V(V)": "B", "V(F)": "C", "I(V)": "D", "I(I)": "E", "I": "F"}

# Visibility code -> list of (method, seen).
YALLOP_OUTCOMES = {
    "V": [("eye", "yes")],
    "V(V)": [("eye", "yes"), ("optical", "yes")],
    "V(F)": [("eye", "yes"), ("optical", "yes")],
    "V(B)": [("binoculars", "yes")],
    "V(T)": [("telescope", "yes")],
    "I": [("eye", "no")],
    "I(V)": [("eye", "no"), ("optical", "yes")],
    "I(I)": [("eye", "no"), ("optical", "no")],
    "I(B)": [("eye", "no"), ("binoculars", "no")],
}

SCHAEFER_ODEH_OUTCOMES = {
    "V": [("eye", "yes")],
    "V(F)": [("eye", "yes"), ("optical", "yes")],
    "I": [("eye", "no")],
    "I(V)": [("eye", "no"), ("optical", "yes")],
    "I(B)": [("eye", "no"), ("binoculars", "yes")],
    "I(T)": [("eye", "no"), ("telescope", "yes")],
}

ICOUK_METHODS = {"Naked-eye": "eye", "Binoculars": "binoculars", "Telescope": "telescope"}
ICOUK_CLOUDS = {"clear": "0", "partly_cloudy": "0.5", "totally_cloudy": "1", "rainy": "1"}

ALREFAY_OUTCOMES = {
    "N": [("eye", "yes")],
    "T": [("telescope", "yes")],
    "Not_seen": [("eye", "no"), ("telescope", "no")],
}


def yallop_class(q):
    for limit, letter in YALLOP_LIMITS:
        if q > limit:
            return letter
    return "F"


def local_date(jd, longitude):
    """Gregorian date at local mean time of a Julian Day (UT)."""
    fixed = jd - 1721424.5 + longitude / 360.0
    return datetime.date.fromordinal(int(math.floor(fixed)))


def write(path, header_lines, columns, rows):
    tmp = path + ".tmp"
    with open(tmp, "w", newline="") as f:
        for line in header_lines:
            f.write("# " + line + "\n" if line else "#\n")
        w = csv.writer(f, lineterminator="\n")
        w.writerow(columns)
        for r in rows:
            w.writerow(r)
    os.replace(tmp, path)


def yallop():
    src = os.path.join(HERE, "yallop_1997_transcription.csv")
    with open(src, newline="") as f:
        records = list(csv.DictReader(f))
    if len(records) != 295:
        sys.exit("expected 295 Yallop records, found %d" % len(records))
    rows, corrected, class_mismatch = [], [], []
    for r in sorted(records, key=lambda r: int(r["No"])):
        no = int(r["No"])
        code = r["Visibility"].strip()
        prediction = r["Prediction"].strip()
        if code not in YALLOP_OUTCOMES:
            sys.exit("record %d: unknown visibility code %r" % (no, code))
        if prediction not in PREDICTION_CLASS:
            sys.exit("record %d: unknown prediction code %r" % (no, prediction))
        lat, lon = float(r["Lat"]), float(r["Long"])
        q = float(r["q"])
        given = datetime.date(int(r["Y"]), int(r["M"]), int(r["D"]))
        instant = float(r["JD"]) + 2400000 + float(r["Age"]) / 24
        date = local_date(instant, lon)
        if date != given:
            corrected.append("No. %d: %s in the table, %s from JD + Age at longitude %g" %
                             (no, given.isoformat(), date.isoformat(), lon))
        # Yallop's q is printed to three decimals, so a q on a class limit
        # may round either way; only a clear mismatch is reported.
        if yallop_class(q) != PREDICTION_CLASS[prediction] and \
                all(abs(q - limit) > 0.0015 for limit, _ in YALLOP_LIMITS):
            class_mismatch.append("No. %d: q %s, prediction %s" % (no, r["q"], prediction))
        evening = "true" if r["M/E"].strip() == "E" else "false"
        for method, seen in YALLOP_OUTCOMES[code]:
            rows.append([date.isoformat(), evening, r["Lat"], r["Long"], method, seen, "Yallop 1997",
                         no, code, r["ARCV"], r["W'"], r["q"], prediction, PREDICTION_CLASS[prediction]])
    header = [
        "Recorded first sightings and non-sightings of the lunar crescent:",
        "Yallop, B. D., \"A Method for Predicting the First Sighting of the New",
        "Crescent Moon\", NAO Technical Note No. 69, HM Nautical Almanac Office (1997),",
        "295 records 1859-1996, as transcribed in " + TRANSCRIPTION + ",",
        "Data/Yallop/yallop_sighting_data_original.csv.",
        "Generated - do not edit by hand. Regenerate with:",
        "    python3 tools/sightings/generate_sightings.py",
        "",
        "One row per outcome a record states (naked eye, optical aid); the reading",
        "of Yallop's codes is written in the generator. Extra columns, from his",
        "table: yallop_no (record number), yallop_code (his visibility code),",
        "yallop_arcv (geocentric arc of vision, degrees), yallop_w (topocentric",
        "crescent width, arc minutes), yallop_q (his q), yallop_prediction (his",
        "predicted code) and yallop_class (the class A-F that code stands for).",
        "Heights are not given (sea level); zones are longitude/15 hours.",
    ]
    if corrected:
        header += ["", "Dates taken from the conjunction (JD) and Age columns, which the table's",
                   "other values describe:"] + ["  " + c for c in corrected]
    if class_mismatch:
        header += ["", "Prediction codes that do not match q:"] + ["  " + c for c in class_mismatch]
    columns = ["date", "evening", "lat", "lon", "method", "seen", "source", "yallop_no", "yallop_code",
               "yallop_arcv", "yallop_w", "yallop_q", "yallop_prediction", "yallop_class"]
    write(os.path.join(OUT, "yallop.csv"), header, columns, rows)
    return len(records), len(rows), corrected, class_mismatch


def alrefay():
    src = os.path.join(HERE, "alrefay_2018_transcription.csv")
    with open(src, newline="") as f:
        reader = csv.reader(f)
        head = [h.strip() for h in next(reader)]
        records = [dict(zip(head, [c.strip() for c in row])) for row in reader if row]
    rows = []
    for n, r in enumerate(records, start=1):
        means = r["Means"]
        if means not in ALREFAY_OUTCOMES:
            sys.exit("Alrefay record %d: unknown means %r" % (n, means))
        y, m, d = [int(p.strip(".")) for p in r["Date"].split("/")]
        date = datetime.date(y, m, d)
        for method, seen in ALREFAY_OUTCOMES[means]:
            rows.append([date.isoformat(), "true", r["Lat."], r["Long."], method, seen, "Alrefay 2018", n, means,
                         r["Age"], r["Lag"], r["ARCV"], r["ARCL"], r["DAZ"]])
    header = [
        "Recorded first sightings and non-sightings of the new crescent in Saudi Arabia",
        "1988-2015: Alrefay, T. et al., \"Analysis of observations of earliest",
        "visibility of the lunar crescent\", The Observatory 138 (2018),",
        "as transcribed in " + TRANSCRIPTION + ",",
        "Data/Alrefay/alrefay_2018_sighting_data_original.csv.",
        "Generated - do not edit by hand. Regenerate with:",
        "    python3 tools/sightings/generate_sightings.py",
        "",
        "One row per outcome a record states; N: naked eye, T: telescope, Not_seen:",
        "neither (a naked-eye and a telescope row). Extra columns from the table:",
        "alrefay_no (row number), alrefay_means, alrefay_age (hours), alrefay_lag",
        "(minutes), alrefay_arcv, alrefay_arcl, alrefay_daz (degrees).",
        "Heights are not given (sea level); zones are longitude/15 hours.",
    ]
    columns = ["date", "evening", "lat", "lon", "method", "seen", "source", "alrefay_no", "alrefay_means",
               "alrefay_age", "alrefay_lag", "alrefay_arcv", "alrefay_arcl", "alrefay_daz"]
    write(os.path.join(OUT, "alrefay.csv"), header, columns, rows)
    return len(records), len(rows)


def yallop_places():
    """(local date, lat, lon) of every record of Yallop's table."""
    with open(os.path.join(HERE, "yallop_1997_transcription.csv"), newline="") as f:
        out = []
        for r in csv.DictReader(f):
            lon = float(r["Long"])
            instant = float(r["JD"]) + 2400000 + float(r["Age"]) / 24
            out.append((local_date(instant, lon), float(r["Lat"]), lon))
        return out


def parse_utc(text):
    text = " ".join(text.split())
    day, clock = text.split(" ")
    if day[4] == "-":
        y, m, d = day.split("-")
    else:
        d, m, y = day.split("-")
    h, mi, se = [int(x) for x in clock.split(":")]
    return datetime.datetime(int(y), int(m), int(d), h, mi, se)


def schaefer_odeh():
    src = os.path.join(HERE, "schaefer_odeh_allawi_2022_transcription.csv")
    with open(src, newline="") as f:
        reader = csv.reader(f)
        head = [h.strip() for h in next(reader)]
        records = [dict(zip(head, [c.strip() for c in row])) for row in reader if row]
    yallop_set = yallop_places()
    rows, in_yallop, reserved = [], [], 0
    for n, r in enumerate(records, start=1):
        code = r["SO"]
        if code not in SCHAEFER_ODEH_OUTCOMES:
            sys.exit("Schaefer-Odeh record %d: unknown outcome %r" % (n, code))
        if float(r["Age"]) <= 0:
            sys.exit("Schaefer-Odeh record %d: not an evening of the new crescent" % n)
        lat, lon = float(r["Lat"]), float(r["Lon"])
        utc = parse_utc(r["Sight Date Best Time"])
        if utc.year >= 2009:
            reserved += 1
            continue
        date = (utc + datetime.timedelta(hours=lon / 15)).date()
        if any(d == date and abs(la - lat) <= 0.5 and abs(lo - lon) <= 0.5 for d, la, lo in yallop_set):
            in_yallop.append("No. %d (%s): %s at %g, %g" % (n, r["C"], date.isoformat(), lat, lon))
            continue
        compiler = "Schaefer" if r["C"] == "S" else "Odeh 2004"
        for method, seen in SCHAEFER_ODEH_OUTCOMES[code]:
            rows.append([date.isoformat(), "true", r["Lat"], r["Lon"], method, seen, compiler + ", Allawi 2022", n,
                         r["C"], code, utc.strftime("%H:%M:%S"), r["Age"], r["W"], r["ARCL"], r["ARCV"], r["DAZ"],
                         r["ANN Vis"]])
    header = [
        "Recorded first sightings and non-sightings of the new crescent compiled by",
        "Schaefer (1859-1996) and by Odeh (Experimental Astronomy 18 (2004) 39,",
        "1985-2005), merged in Allawi, Z. T., Computation 10 (2022) 186, supplementary",
        "table, as transcribed in " + TRANSCRIPTION + ",",
        "Data/Schaefer-Odeh/schaefer_odeh_allawi_2022_sighting_data.csv.",
        "Generated - do not edit by hand. Regenerate with:",
        "    python3 tools/sightings/generate_sightings.py",
        "",
        "One row per outcome a record states (the reading of the codes is written in",
        "the generator). Left out: %d records already in Yallop's table (yallop.csv)," % len(in_yallop),
        "so that the two files are independent, and %d from 2009 on (reserved)." % reserved,
        "Extra columns from the table: so_no (row number), so_compiler (S Schaefer,",
        "O Odeh), so_code (outcome), so_best_time (Allawi's best time, UT), so_age",
        "(hours), so_w (arc minutes), so_arcl, so_arcv, so_daz (degrees), so_ann",
        "(Allawi's network's prediction). Heights are not given (sea level); zones",
        "are longitude/15 hours.",
    ]
    columns = ["date", "evening", "lat", "lon", "method", "seen", "source", "so_no", "so_compiler", "so_code",
               "so_best_time", "so_age", "so_w", "so_arcl", "so_arcv", "so_daz", "so_ann"]
    write(os.path.join(OUT, "schaefer_odeh.csv"), header, columns, rows)
    return len(records), len(rows), in_yallop, reserved


def icouk():
    src = os.path.join(HERE, "icouk_transcription.csv")
    with open(src, newline="", encoding="utf-8-sig") as f:
        records = list(csv.DictReader(f))
    rows = []
    for n, r in enumerate(records, start=1):
        seen = {"Seen": "yes", "Not_seen": "no"}.get(r["Seen?"])
        if seen is None:
            sys.exit("ICOUK record %d: unknown outcome %r" % (n, r["Seen?"]))
        clouds = ICOUK_CLOUDS.get(r["Clouds"].lower())
        if clouds is None:
            sys.exit("ICOUK record %d: unknown sky %r" % (n, r["Clouds"]))
        text = r["Method"]
        both = "_and_" in text and "and/or" not in text
        names = text.replace("_and/or_", " ").replace("_and_", " ").replace("_or_", " ").split()
        if any(m not in ICOUK_METHODS for m in names):
            sys.exit("ICOUK record %d: unknown method %r" % (n, text))
        methods = [ICOUK_METHODS[m] for m in names]
        if seen == "yes" and len(methods) > 1 and not both:
            methods = ["telescope" if "telescope" in methods else "binoculars"]
        date = datetime.datetime.strptime(r["Date"], "%d-%b-%y").date()
        for method in methods:
            rows.append([date.isoformat(), "true", r["Lat"].strip(), r["Lon"].strip(), method, seen, clouds, "ICOUK", n, r["Method"],
                         r["Clouds"], r["Location"]])
    header = [
        "Crescent observation reports of the United Kingdom 2015-2023: ICOUK,",
        "moonsighting.org.uk, \"view observation results\", as transcribed in",
        TRANSCRIPTION + ", Data/ICOUK/icouk_sighting_data_original.csv.",
        "Generated - do not edit by hand. Regenerate with:",
        "    python3 tools/sightings/generate_sightings.py",
        "",
        "One row per method a report names (the reading is written in the",
        "generator). Clouds: clear 0, partly cloudy 0.5, totally cloudy or rainy 1;",
        "records under an overcast sky are not scored. Extra columns: icouk_no (row",
        "number), icouk_method, icouk_sky and icouk_place as reported. Heights are",
        "not given (sea level); zones are longitude/15 hours.",
    ]
    columns = ["date", "evening", "lat", "lon", "method", "seen", "clouds", "source", "icouk_no", "icouk_method",
               "icouk_sky", "icouk_place"]
    write(os.path.join(OUT, "icouk.csv"), header, columns, rows)
    return len(records), len(rows)


def main():
    os.makedirs(OUT, exist_ok=True)
    n, rows, corrected, mismatch = yallop()
    print("yallop.csv: %d records, %d rows, %d dates corrected, %d prediction mismatches" %
          (n, rows, len(corrected), len(mismatch)))
    n, rows = alrefay()
    print("alrefay.csv: %d records, %d rows" % (n, rows))
    n, rows, in_yallop, reserved = schaefer_odeh()
    print("schaefer_odeh.csv: %d records, %d rows, %d left out as Yallop's, %d reserved (2009 on)" %
          (n, rows, len(in_yallop), reserved))
    n, rows = icouk()
    print("icouk.csv: %d records, %d rows" % (n, rows))


if __name__ == "__main__":
    main()
