#!/usr/bin/env python3
"""Every command's --json output read back against its schema in docs/schemas.

Usage: check_json_schemas.py NEMORA_CLI SOURCE_DIR

Each command runs in a fresh folder with the shipped data, in English and in
Hebrew, by place name and by typed coordinates; every line it prints must be
one object that its command's schema accepts (the schemas forbid keys they do
not list, so a key outside the vocabulary fails here).
"""
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

cli, source = sys.argv[1], sys.argv[2]
schemas_dir = os.path.join(source, "docs", "schemas")
data_dir = os.path.join(source, "data")

store = {}
for name in os.listdir(schemas_dir):
    with open(os.path.join(schemas_dir, name), encoding="utf-8") as f:
        store[name] = json.load(f)
for name, schema in store.items():
    jsonschema.Draft202012Validator.check_schema(schema)


def validator(command):
    name = command + ".schema.json"
    resolver = jsonschema.RefResolver(base_uri=name, referrer=store[name], store=store)
    return jsonschema.Draft202012Validator(store[name], resolver=resolver)


failures = []
folder = tempfile.TemporaryDirectory(prefix="nemora-schemas-")
work = folder.name
# A few recorded sightings (the first rows of a bundled file) for the
# sightings command.
with open(os.path.join(data_dir, "sightings", "yallop.csv"), encoding="utf-8") as f:
    rows = [line for line in f if not line.startswith("#")]
sightings_file = os.path.join(work, "few.csv")
with open(sightings_file, "w", encoding="utf-8") as f:
    f.writelines(rows[:4])

places = ["--location Israel/Jerusalem/Center", "--lat -33.92 --lon 18.42 --height 10 --tz 2"]
# (schema, arguments after the inputs, standard input)
runs = [
    ("convert", "--date 2024-3-11 --time 18:00 convert --to Hebrew", ""),
    ("convert", "--date 2024-3-11 --time 18:00 convert --to JD", ""),
    ("convert", "--date - --time 18:00 convert --to Islamic --time-type-out UTC", "2024-3-10\n2024-4-20\n"),
    ("inputs", "--date 2024-3-11 --time 18:00 inputs", ""),
    ("report", "--date 2024-3-11 --time 18:00 report --body Moon --parameter Rise", ""),
    ("report", "report --list", ""),
    ("body", "--date 2024-3-11 --time 18:00 body --body Moon", ""),
    ("body", "--date 2024-3-11 --time 18:00 body --body Sirius", ""),
    ("crescent", "--date 2024-3-11 crescent", ""),
    ("crescent", "--date 2024-3-10 --criterion Yallop crescent --morning", ""),
    ("crescent", "--date - --mode photometric crescent", "2024-3-9\n2024-3-12\n"),
    ("phases", "--date 2025-1-1 phases --count 2", ""),
    ("first_visible", "--date 2025-1-1 --criterion Yallop first-visible --count 2", ""),
    ("first_visible", "--date 2025-1-1 --mode photometric first-visible --count 1 --old", ""),
    ("graph", "--date 2024-3-11 graph --kind probability --csv --out g.csv", ""),
    ("graph", "--date 2024-3-11 graph --kind finder --plot-mode sketch --csv --out f.csv", ""),
    ("map", "--date 2024-3-11 --criterion Odeh map --step 30 --out m.csv", ""),
]
for language in ["English", "Hebrew"]:
    for place in places:
        for schema, arguments, stdin in runs:
            command = [cli, "--data-dir", data_dir, "--json", "--language", language] + place.split() + arguments.split()
            done = subprocess.run(command, cwd=work, input=stdin, capture_output=True, text=True)
            label = " ".join(command[3:])
            if done.returncode != 0:
                failures.append(f"{label}: status {done.returncode}: {done.stderr.strip()}")
                continue
            lines = done.stdout.splitlines()
            if not lines:
                failures.append(f"{label}: no output")
            for line in lines:
                try:
                    validator(schema).validate(json.loads(line))
                except (ValueError, jsonschema.ValidationError) as e:
                    failures.append(f"{label}: {getattr(e, 'message', e)} in {line[:300]}")
                if "\u2066" in line or "\u2069" in line or "\u200f" in line:
                    failures.append(f"{label}: direction marks in JSON text: {line[:300]}")

for arguments, schema in [("places", "places"), (f"sightings {sightings_file} --no-delta-t-test", "sightings")]:
    command = [cli, "--data-dir", data_dir, "--json"] + arguments.split()
    done = subprocess.run(command, cwd=work, capture_output=True, text=True)
    if done.returncode != 0:
        failures.append(f"{arguments}: status {done.returncode}: {done.stderr.strip()}")
    for line in done.stdout.splitlines():
        try:
            validator(schema).validate(json.loads(line))
        except (ValueError, jsonschema.ValidationError) as e:
            failures.append(f"{arguments}: {getattr(e, 'message', e)} in {line[:300]}")

for failure in failures:
    print(failure)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
