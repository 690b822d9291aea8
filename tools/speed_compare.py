#!/usr/bin/env python3
"""Our speed next to the reference ephemeris's, interleaved in one run.

Each round runs our benchmarks (bench/, a Release build's nemora_bench), then
the same operations in astronomy-engine under node (tools/oracle/peer_bench.js),
then the command line itself (10,000 fixed days to Hebrew dates, 300 evenings'
`crescent --json` at Jerusalem, and the start-up of `nemora-cli inputs`); the
table gives the median of the rounds and their range, CPU time per call (per
cell for the maps: the whole process's CPU time over the map's cells), and
the peer's time over ours. Rounds interleave the two sides so that a busy
machine slows both alike; the load average is printed with the table.

With --baseline, a Release build of an earlier version (say, before a change)
runs in every round too, so that its times and ours come from the same
conditions.

Usage: tools/speed_compare.py [--build DIR] [--baseline DIR] [--rounds N] [--min-time S]
Needs: a Release build (cmake -DCMAKE_BUILD_TYPE=Release; targets
nemora_bench and nemora-cli) and `npm ci` in tools/oracle.
"""
import argparse
import json
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Label, our benchmark, the peer's operation (or None).
ROWS = [
    ("Moon record (all fields)", "BM_TrueHBodyMoon", "MoonRecord"),
    ("Moon, topocentric place only (peer)", None, "MoonRecordTopocentric"),
    ("Sun record", "BM_TrueHBodySun", "SunRecord"),
    ("Mars record", "BM_TrueHBodyMars", "MarsRecord"),
    ("Sun rise or set (apparent), next day", "BM_RiseSetSunApparent", "SunRiseSet"),
    ("Sun rise or set (apparent), days far apart", "BM_RiseSetSunApparentFarApart", None),
    ("Moon rise or set (apparent), next day", "BM_RiseSetMoonApparent", "MoonRiseSet"),
    ("Moon rise or set (apparent), days far apart", "BM_RiseSetMoonApparentFarApart", None),
    ("one batch line, fixed day to Hebrew date", "BM_CliBatchFixedToHebrew", None),
    ("reading Locations.txt", "BM_ReadLocationDatabase", None),
    # Per cell of a 10-degree world map on the evening of 10 March 2024.
    ("Yallop world map, one cell, one thread", "BM_MapYallop", "MapCellYallop"),
    ("Odeh world map, one cell, one thread", "BM_MapOdeh", "MapCellYallop"),
    ("photometric world map, one cell, one thread", "BM_MapPhotometric", "MapCellYallop"),
    ("Yallop map on 1 worker, wall time per cell", "BM_MapYallopThreads/1", None),
    ("Yallop map on 2 workers, wall time per cell", "BM_MapYallopThreads/2", None),
    # Ours: the criterion in force and all eight named criteria; the peer's:
    # Yallop and Odeh with the conjunction.
    ("an evening, every criterion (peer: Yallop and Odeh)", "BM_CrescentEveningAllCriteria", "EveningYallopOdeh"),
    ("conjunction search", "BM_FindPhaseConjunction", "FindConjunction"),
]
# Benchmarks timed by the wall clock (the speed-up of the threads).
WALL_TIME = ("BM_MapYallopThreads/1", "BM_MapYallopThreads/2")
BATCH_DAYS = 10000
EVENINGS = 300
STARTUP_RUNS = 20


def our_round(bench, min_time):
    if not os.path.exists(bench):
        return {}
    names = [r[1] for r in ROWS if r[1]]
    out = subprocess.run(
        [bench, "--benchmark_filter=^(" + "|".join(names) + ")(/process_time)?(/real_time)?$",
         "--benchmark_format=json", f"--benchmark_min_time={min_time}"],
        check=True, capture_output=True, text=True).stdout
    times = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("error_occurred"):
            continue
        name = b["name"].replace("/process_time", "").replace("/real_time", "")
        scale = {"ns": 1e-3, "us": 1, "ms": 1e3}[b["time_unit"]]
        per = b.get("cells", 1) or 1
        times[name] = (b["real_time"] if name in WALL_TIME else b["cpu_time"]) * scale / per
    return times


def peer_round(min_time):
    out = subprocess.run(["node", os.path.join(ROOT, "tools", "oracle", "peer_bench.js"), "--seconds", str(min_time)],
                         check=True, capture_output=True, text=True, cwd=os.path.join(ROOT, "tools", "oracle")).stdout
    return {name: float(us) for name, us in (line.split() for line in out.splitlines() if line.strip())}


def child_cpu():
    u = resource.getrusage(resource.RUSAGE_CHILDREN)
    return u.ru_utime + u.ru_stime


def cli_round(cli, workdir):
    env = dict(os.environ, NEMORA_DATA=os.path.join(ROOT, "data"))
    days = "".join(f"{738886 + i}\n" for i in range(BATCH_DAYS))
    before = child_cpu()
    subprocess.run([cli, "convert", "--to", "Hebrew", "--date-type", "Fixed", "--date", "-"], input=days, check=True,
                   capture_output=True, text=True, cwd=workdir, env=env)
    batch = child_cpu() - before
    before = child_cpu()
    for _ in range(STARTUP_RUNS):
        subprocess.run([cli, "inputs"], check=True, capture_output=True, cwd=workdir, env=env)
    startup = (child_cpu() - before) / STARTUP_RUNS
    evenings = "".join(f"{738886 + i}\n" for i in range(EVENINGS))
    before = child_cpu()
    subprocess.run([cli, "--lat", "31.7767", "--lon", "35.2345", "--height", "800", "--tz", "2", "--criterion",
                    "Yallop", "--date-type", "Fixed", "--date", "-", "crescent", "--json"],
                   input=evenings, check=True, capture_output=True, text=True, cwd=workdir, env=env)
    crescent = (child_cpu() - before) / EVENINGS
    return {"batch s": batch, "startup ms": startup * 1e3, "crescent us": crescent * 1e6}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--baseline", help="build folder of an earlier version, measured alongside")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.5)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    bench = os.path.join(build, "nemora_bench")
    cli = os.path.join(build, "nemora-cli")
    workdir = tempfile.mkdtemp(prefix="nemora_speed_")
    shutil.copy(os.path.join(ROOT, "data", "Curloc.bak"), os.path.join(workdir, "Curloc.txt"))
    base = os.path.abspath(args.baseline) if args.baseline else None
    ours, peer, cli_times, before, cli_before = {}, {}, {}, {}, {}
    try:
        for n in range(args.rounds):
            print(f"round {n + 1} of {args.rounds}", file=sys.stderr)
            if base:
                for k, v in our_round(os.path.join(base, "nemora_bench"), args.min_time).items():
                    before.setdefault(k, []).append(v)
                for k, v in cli_round(os.path.join(base, "nemora-cli"), workdir).items():
                    cli_before.setdefault(k, []).append(v)
            for k, v in our_round(bench, args.min_time).items():
                ours.setdefault(k, []).append(v)
            for k, v in peer_round(args.min_time).items():
                peer.setdefault(k, []).append(v)
            for k, v in cli_round(cli, workdir).items():
                cli_times.setdefault(k, []).append(v)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)

    def median(values, key):
        return f"{statistics.median(values[key]):.2f}" if key in values else ""

    def spread(values, key):
        if key not in values:
            return ""
        return f"{statistics.median(values[key]):.2f} ({min(values[key]):.2f}-{max(values[key]):.2f})"

    def ratio(old, new, key_old, key_new):
        if key_old not in old or key_new not in new:
            return ""
        return f"{statistics.median(old[key_old]) / statistics.median(new[key_new]):.2f}x"

    load = open("/proc/loadavg").read().split()[:3] if os.path.exists("/proc/loadavg") else []
    print(f"CPU time per call, µs, median of {args.rounds} interleaved rounds (range); "
          f"load average at the end: {' '.join(load)}")
    print()
    if base:
        print("| operation | before | Nemora | speed-up | peer | peer / Nemora |")
        print("|---|---|---|---|---|---|")
    else:
        print("| operation | Nemora | peer | peer / Nemora |")
        print("|---|---|---|---|")
    cli_rows = [(f"nemora-cli, {BATCH_DAYS} fixed days to Hebrew dates (s)", "batch s", None),
                ("nemora-cli start-up, `inputs` (ms)", "startup ms", None),
                (f"nemora-cli crescent --json, {EVENINGS} evenings (µs each; peer: Yallop and Odeh)", "crescent us",
                 "EveningYallopOdeh")]
    keys = {"batch s", "startup ms", "crescent us"}
    for label, our_name, peer_name in ROWS + cli_rows:
        cli = our_name in keys
        now_values, old_values = (cli_times, cli_before) if cli else (ours, before)
        now = spread(now_values, our_name) if our_name else ""
        other = spread(peer, peer_name) if peer_name else ""
        against = ratio(peer, now_values, peer_name, our_name) if peer_name and our_name else ""
        if base:
            old = spread(old_values, our_name) if our_name else ""
            print(f"| {label} | {old} | {now} | {ratio(old_values, now_values, our_name, our_name)} | {other} "
                  f"| {against} |")
        else:
            print(f"| {label} | {now} | {other} | {against} |")

if __name__ == "__main__":
    main()
