#!/usr/bin/env bash
# The long bisection run (interval 16 20, tolerance 0, one million rows) of
# the real program beside the floor program, measured in one run: wall time
# and peak memory of each, and the ratios to the goals (time within twice
# the floor, peak memory within 8 bytes per iteration plus 16 MiB).
#
#   bench/bisection_run.sh [build directory] [nmax] [repetitions]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/default}" && pwd)
nmax=${2:-1000000}
repetitions=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$build" "$nmax" "$repetitions" "$work" <<'PY'
import os, subprocess, sys

build, nmax, repetitions, work = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
os.chdir(work)
env = {k: v for k, v in os.environ.items() if k != "COMSPEC"}

measure = os.path.join(build, "bench", "measure_tool")

def run(argv, stdin_path):
    out = subprocess.run([measure, stdin_path, *argv], env=env, capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(f"{argv[0]} failed with status {out.returncode}: {out.stderr}")
    seconds, kib = out.stdout.split()
    return float(seconds), int(kib) * 1024

with open("dialogue.txt", "w") as f:
    f.write(f"1\nbench\n16 20\n0\n{nmax}\n")
program = [os.path.join(build, "raizes")]
floor = [os.path.join(build, "bench", "bisection_floor"), "floor.bis.txt", str(nmax)]

results = {"program": [], "floor": []}
for _ in range(repetitions):
    results["floor"].append(run(floor, "/dev/null"))
    results["program"].append(run(program, "dialogue.txt"))

best = {name: min(r[0] for r in runs) for name, runs in results.items()}
peak = {name: max(r[1] for r in runs) for name, runs in results.items()}
limit = 8 * nmax + 16 * 2**20
rows = sum(1 for _ in open("bench.bis.txt", "rb"))

print(f"rows in the report:   {rows}")
print(f"program wall time:    {best['program']:.3f} s")
print(f"floor wall time:      {best['floor']:.3f} s")
print(f"time ratio:           {best['program'] / best['floor']:.2f}  (goal: at most 2)")
print(f"program peak memory:  {peak['program'] / 2**20:.1f} MiB")
print(f"floor peak memory:    {peak['floor'] / 2**20:.1f} MiB")
print(f"memory goal:          {limit / 2**20:.1f} MiB  ({'met' if peak['program'] <= limit else 'missed'})")
PY
