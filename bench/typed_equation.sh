#!/usr/bin/env bash
# Instructions per row of the built-in equation and of the same equation
# typed as expressions (--f, --g, --df), under callgrind, for bisection
# (16 20), false position (12 16), simple fixed point (p0 = 14) and
# Newton-Raphson (p0 = 14), all with tolerance 0 so that every run writes
# its nmax rows: user-space instructions of a run of 1000 + C rows less a
# run of 1000 rows (start-up and the end cancel out), divided by C. The
# rows per second of both come from the best wall time of several runs of
# R rows. With a second program (another build's raizes), its built-in
# equation is measured beside this one's.
#
#   bench/typed_equation.sh [build directory] [C] [R] [other raizes]
#   e.g. bench/typed_equation.sh build/default 20000 1000000
#
# Goal: the typed equation at most 1.25 times the built-in's instructions
# per row. Exit status 1 when a typed run's report differs from the
# built-in's in anything but the lines that name the equation, or when the
# goal is missed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/default}" && pwd)
callgrind_rows=${2:-20000}
timed_rows=${3:-1000000}
other=${4:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/raizes-typed-XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$build" "$callgrind_rows" "$timed_rows" "$work" "$other" <<'PY'
import glob, os, shutil, subprocess, sys, time

build, callgrind_rows, timed_rows, work, other = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5]
os.chdir(work)
env = dict(os.environ, COMSPEC="/nonexistent/cmd.exe")
program = os.path.join(build, "raizes")
typed = ["--f", "(1 - exp(-(x*0.146843)))*667.38/x - 40",
         "--g", "(1 - exp(-(x*0.146843)))*667.38/40",
         "--df", "-((1 - exp(-(x*0.146843)))*667.38/x**2) + exp(-(x*0.146843))*0.146843*667.38/x"]
equation_labels = (b"f(x) = ", b"g(x) = ", b"df(x) = ")

workloads = [
    ("bisection", "1", "16 20\n0\n{n}\n", "bis"),
    ("false position", "2", "12 16\n0\n{n}\n", "fp"),
    ("fixed point", "3", "0\n{n}\n14\n", "pfs"),
    ("Newton-Raphson", "4", "0\n{n}\n14\n", "new"),
]

def dialogue(w, n):
    path = f"dialogue-{w[3]}-{n}.txt"
    with open(path, "w") as f:
        f.write(f"{w[1]}\nbench\n" + w[2].format(n=n))
    return path

def run(argv, stdin_path):
    with open(stdin_path) as stdin:
        subprocess.run(argv, stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env, check=True)

def callgrind_total(argv, stdin_path):
    for old in glob.glob("callgrind.*"):
        os.remove(old)
    with open(stdin_path) as stdin:
        proc = subprocess.Popen(["valgrind", "--tool=callgrind", "--callgrind-out-file=callgrind.%p", *argv],
                                stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        proc.wait()
    with open(f"callgrind.{proc.pid}") as f:
        for line in f:
            if line.startswith("totals:") or line.startswith("summary:"):
                return int(line.split()[1])
    sys.exit(f"no callgrind total for {argv[0]}")

def without_equation_lines(report):
    with open(report, "rb") as f:
        return b"".join(l for l in f.read().splitlines(keepends=True) if not l.startswith(equation_labels))

failed = False
programs = [("built-in", [program]), ("typed", [program, *typed])]
if other:
    programs.insert(0, ("other built-in", [other]))

print(f"rows per second (best of 3 runs of {timed_rows} rows)")
print(f"{'workload':<15}" + "".join(f" {name:>15}" for name, _ in programs))
for w in workloads:
    rates = []
    reports = []
    for name, argv in programs:
        best = None
        for _ in range(3):
            started = time.perf_counter()
            run(argv, dialogue(w, timed_rows))
            seconds = time.perf_counter() - started
            best = seconds if best is None else min(best, seconds)
        rates.append(timed_rows / best)
        reports.append(without_equation_lines(f"bench.{w[3]}.txt"))
        os.remove(f"bench.{w[3]}.txt")
    same = all(r == reports[-1] for r in reports)
    failed |= not same
    print(f"{w[0]:<15}" + "".join(f" {r:>15,.0f}" for r in rates) + ("" if same else "   REPORTS DIFFER"), flush=True)

if shutil.which("valgrind") is None:
    print("!! valgrind not found: no instruction counts")
    sys.exit(1)
short = 1000
print()
print(f"instructions per row (callgrind, {short + callgrind_rows} rows less {short} rows)")
print(f"{'workload':<15}" + "".join(f" {name:>15}" for name, _ in programs) + f" {'typed/built-in':>15}")
for w in workloads:
    per_row = []
    for name, argv in programs:
        counted = [callgrind_total(argv, dialogue(w, n)) for n in (short, short + callgrind_rows)]
        per_row.append((counted[1] - counted[0]) / callgrind_rows)
    ratio = per_row[-1] / per_row[-2]
    failed |= ratio > 1.25
    print(f"{w[0]:<15}" + "".join(f" {r:>15.0f}" for r in per_row) + f" {ratio:>15.3f}", flush=True)

if failed:
    print("!! a typed run's report differs from the built-in's, or the typed equation needs more than 1.25 times")
    sys.exit(1)
PY
