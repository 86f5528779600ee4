#!/usr/bin/env bash
# The long bisection run (interval 16 20, tolerance 0, one million rows) of
# the real program beside the floor program, measured in one run: wall time
# and peak memory of each, and the ratios to the goals (time within twice
# the floor, peak memory within 8 bytes per iteration plus 16 MiB).
#
#   bench/bisection_run.sh [build directory] [nmax]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/default}" && pwd)
nmax=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$build" "$nmax" "$work" <<'PY'
import os, resource, subprocess, sys, time

build, nmax, work = sys.argv[1], int(sys.argv[2]), sys.argv[3]

def measure(argv, stdin=b""):
    before = time.perf_counter()
    proc = subprocess.run(argv, input=stdin, cwd=work, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, env={k: v for k, v in os.environ.items() if k != "COMSPEC"})
    seconds = time.perf_counter() - before
    if proc.returncode != 0:
        sys.exit(f"{argv[0]} failed with {proc.returncode}: {proc.stderr.decode(errors='replace')}")
    return seconds

def peak_kib_of(argv, stdin=b""):
    # ru_maxrss of the children is the largest so far, so each program is
    # measured in a fresh interpreter.
    code = ("import resource,subprocess,sys;"
            "subprocess.run(sys.argv[1:],input=sys.stdin.buffer.read(),stdout=subprocess.DEVNULL,"
            "stderr=subprocess.DEVNULL);"
            "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
    out = subprocess.run([sys.executable, "-c", code, *argv], input=stdin, cwd=work,
                         capture_output=True, check=True)
    return int(out.stdout)

dialogue = f"1\nbench\n16 20\n0\n{nmax}\n".encode()
program = [os.path.join(build, "raizes")]
floor = [os.path.join(build, "bench", "bisection_floor"), "floor.bis.txt", str(nmax)]

times_program, times_floor = [], []
for _ in range(3):
    times_floor.append(measure(floor))
    times_program.append(measure(program, dialogue))
t_program, t_floor = min(times_program), min(times_floor)
m_program = peak_kib_of(program, dialogue) * 1024
m_floor = peak_kib_of(floor) * 1024
limit = 8 * nmax + 16 * 1024 * 1024

rows = sum(1 for _ in open(os.path.join(work, "bench.bis.txt"), "rb"))
print(f"rows in the report:        {rows}")
print(f"program time:              {t_program:.3f} s")
print(f"floor time:                {t_floor:.3f} s")
print(f"time ratio:                {t_program / t_floor:.2f} (goal: at most 2)")
print(f"program peak memory:       {m_program / 2**20:.1f} MiB")
print(f"floor peak memory:         {m_floor / 2**20:.1f} MiB")
print(f"memory goal:               {limit / 2**20:.1f} MiB ({'met' if m_program <= limit else 'missed'})")
PY
