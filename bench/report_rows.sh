#!/usr/bin/env bash
# The program's long reports beside the floor program (bench/report_floor.cpp),
# measured in one run, for bisection (16 20), false position (12 16), simple
# fixed point (p0 = 14) and Newton-Raphson (p0 = 14), all with tolerance 0 so
# that every run writes its nmax rows:
#
#   - at each row count: the best wall time of several repetitions and the
#     peak memory of the program and of the floor, their ratio, the wall time
#     per row (flat when the cost of a row does not grow with the report), and
#     the peak memory against the goal of 8 bytes per row plus 4 MiB;
#   - under callgrind: user-space instructions per row of both, from a run of
#     1000 + C rows less a run of 1000 rows (start-up and the end cancel out);
#   - that the floor's file holds exactly the table rows of the program's
#     report (checked on the first repetition of every run).
#
#   bench/report_rows.sh [build directory] [repetitions] [row counts] [callgrind rows]
#   e.g. bench/report_rows.sh build/default 3 "100000 1000000 5000000" 20000
#
# Goals: instructions per row at most the floor's; wall time at most 1.2
# times the floor's. Exit status 1 when a row differs or a run fails.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/default}" && pwd)
repetitions=${2:-3}
counts=${3:-"100000 1000000 5000000"}
callgrind_rows=${4:-20000}
work=$(mktemp -d "${TMPDIR:-/tmp}/raizes-report-rows-XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$build" "$repetitions" "$counts" "$callgrind_rows" "$work" <<'PY'
import glob, os, shutil, subprocess, sys

build, repetitions, counts, callgrind_rows, work = sys.argv[1], int(sys.argv[2]), [int(c) for c in sys.argv[3].split()], int(sys.argv[4]), sys.argv[5]
os.chdir(work)
# No viewer at the end of a run: the program in its build folder would start
# the viewer of the sources.
env = dict(os.environ, COMSPEC="/nonexistent/cmd.exe")
measure = os.path.join(build, "bench", "measure_tool")
program = os.path.join(build, "raizes")
floor = os.path.join(build, "bench", "report_floor")

# name, method number, the dialogue after the name, report tag, floor arguments
workloads = [
    ("bisection", "1", "16 20\n0\n{n}\n", "bis", ["bisection", "16", "20", "0"]),
    ("false position", "2", "12 16\n0\n{n}\n", "fp", ["false-position", "12", "16", "0"]),
    ("fixed point", "3", "0\n{n}\n14\n", "pfs", ["fixed-point", "14", "0"]),
    ("Newton-Raphson", "4", "0\n{n}\n14\n", "new", ["newton", "14", "0"]),
]

def dialogue(w, n):
    path = f"dialogue-{w[3]}-{n}.txt"
    with open(path, "w") as f:
        f.write(f"{w[1]}\nbench\n" + w[2].format(n=n))
    return path

def floor_argv(w, n):
    return [floor, w[4][0], "floor.txt", str(n), *w[4][1:]]

def timed(argv, stdin_path):
    out = subprocess.run([measure, stdin_path, *argv], env=env, capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(f"{argv[0]} failed with status {out.returncode}: {out.stderr}")
    seconds, kib = out.stdout.split()
    return float(seconds), int(kib) * 1024

heading_end = "Variação\r\n".encode("cp1252")
trailer = "\r\n\r\nO método falhou".encode("cp1252")

def same_rows(report, floor_file):
    # Compares the table of the report (after the heading, before the
    # trailer) with the floor's file, a block at a time.
    with open(report, "rb") as r, open(floor_file, "rb") as f:
        head = r.read(4096)
        start = head.index(heading_end) + len(heading_end)
        r.seek(start)
        size = os.path.getsize(report)
        r.seek(max(start, size - 4096))
        tail = r.read()
        end = size - len(tail) + tail.rindex(trailer)
        if end - start != os.path.getsize(floor_file):
            return False
        r.seek(start)
        left = end - start
        while left > 0:
            block = r.read(min(left, 1 << 20))
            if block != f.read(len(block)):
                return False
            left -= len(block)
    return True

def callgrind_total(argv, stdin_path):
    # The process started here is the one measured: a child it starts for the
    # viewer writes a file of its own, named after its own pid.
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

failed = False
mib = 2 ** 20
print(f"wall time: best of {repetitions}; peak memory: largest resident size; goal: 8 B x rows + 4 MiB")
print(f"{'workload':<15} {'rows':>8} {'program s':>10} {'floor s':>8} {'ratio':>6} "
      f"{'prog ns/row':>11} {'floor ns/row':>12} {'prog MiB':>9} {'floor MiB':>9} {'goal MiB':>9} {'rows same':>9}")
for w in workloads:
    for n in counts:
        stdin_path = dialogue(w, n)
        times = {"program": [], "floor": []}
        peaks = {"program": [], "floor": []}
        same = None
        for rep in range(repetitions):
            for name, argv, path in (("floor", floor_argv(w, n), "/dev/null"), ("program", [program], stdin_path)):
                seconds, peak = timed(argv, path)
                times[name].append(seconds)
                peaks[name].append(peak)
            if rep == 0:
                same = same_rows(f"bench.{w[3]}.txt", "floor.txt")
                failed |= not same
        best = {k: min(v) for k, v in times.items()}
        peak = {k: max(v) for k, v in peaks.items()}
        goal = 8 * n + 4 * mib
        print(f"{w[0]:<15} {n:>8} {best['program']:>10.3f} {best['floor']:>8.3f} {best['program'] / best['floor']:>6.2f} "
              f"{1e9 * best['program'] / n:>11.1f} {1e9 * best['floor'] / n:>12.1f} "
              f"{peak['program'] / mib:>9.1f} {peak['floor'] / mib:>9.1f} {goal / mib:>9.1f} "
              f"{'yes' if same else 'NO':>9}", flush=True)
        for report in glob.glob("bench.*.txt") + ["floor.txt"]:
            os.remove(report)

if shutil.which("valgrind") is None:
    print("valgrind not found: no instruction counts")
else:
    short = 1000
    print()
    print(f"instructions per row (callgrind, {short + callgrind_rows} rows less {short} rows)")
    print(f"{'workload':<15} {'program':>9} {'floor':>9} {'ratio':>6}")
    for w in workloads:
        per_row = {}
        for name in ("program", "floor"):
            counted = []
            for n in (short, short + callgrind_rows):
                if name == "program":
                    counted.append(callgrind_total([program], dialogue(w, n)))
                else:
                    counted.append(callgrind_total(floor_argv(w, n), "/dev/null"))
            per_row[name] = (counted[1] - counted[0]) / callgrind_rows
        print(f"{w[0]:<15} {per_row['program']:>9.0f} {per_row['floor']:>9.0f} "
              f"{per_row['program'] / per_row['floor']:>6.2f}", flush=True)

if failed:
    print("!! the floor's rows differ from the program's report")
    sys.exit(1)
PY
