#!/usr/bin/env python3
"""Our speed next to the reference ephemeris's, interleaved in one run.

Each round runs our benchmarks (bench/, a Release build's nemora_bench), then
the same operations in astronomy-engine under node (tools/oracle/peer_bench.js),
then the command line itself (10,000 fixed days to Hebrew dates, and the
start-up of `nemora-cli inputs`); the table gives the median of the rounds,
CPU time per call. Rounds interleave the two sides so that a busy machine
slows both alike.

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
]
BATCH_DAYS = 10000
STARTUP_RUNS = 20


def our_round(bench, min_time):
    if not os.path.exists(bench):
        return {}
    names = [r[1] for r in ROWS if r[1]]
    out = subprocess.run(
        [bench, "--benchmark_filter=^(" + "|".join(names) + ")$", "--benchmark_format=json",
         f"--benchmark_min_time={min_time}"],
        check=True, capture_output=True, text=True).stdout
    times = {}
    for b in json.loads(out)["benchmarks"]:
        scale = {"ns": 1e-3, "us": 1, "ms": 1e3}[b["time_unit"]]
        times[b["name"]] = b["cpu_time"] * scale
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
    return {"batch s": batch, "startup ms": startup * 1e3}


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

    def ratio(old, new, key_old, key_new):
        if key_old not in old or key_new not in new:
            return ""
        return f"{statistics.median(old[key_old]) / statistics.median(new[key_new]):.1f}x"

    print(f"CPU time per call, µs, median of {args.rounds} interleaved rounds")
    print()
    if base:
        print("| operation | before | Nemora | speed-up | peer |")
        print("|---|---|---|---|---|")
    else:
        print("| operation | Nemora | peer |")
        print("|---|---|---|")
    cli_rows = [(f"nemora-cli, {BATCH_DAYS} fixed days to Hebrew dates (s)", "batch s"),
                ("nemora-cli start-up, `inputs` (ms)", "startup ms")]
    for label, our_name, peer_name in ROWS + [(label, key, None) for label, key in cli_rows]:
        cli = our_name in ("batch s", "startup ms")
        now_values, old_values = (cli_times, cli_before) if cli else (ours, before)
        now = median(now_values, our_name) if our_name else ""
        other = median(peer, peer_name) if peer_name else ""
        if base:
            old = median(old_values, our_name) if our_name else ""
            print(f"| {label} | {old} | {now} | {ratio(old_values, now_values, our_name, our_name)} | {other} |")
        else:
            print(f"| {label} | {now} | {other} |")


if __name__ == "__main__":
    main()
