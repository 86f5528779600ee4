#!/usr/bin/env bash
# The web program beside the Linux program on one long report, measured in
# one run: simple fixed point from p0 = 10 with tolerance 0, so that it
# writes its nmax rows (a million: a 57 MB report).
#
#   - under node: the best wall time of several repetitions and the peak
#     memory (largest resident size) of the Linux program and of
#     `node raizes.js`, the ratio of their times, and the memory goal: twice
#     the Linux program's peak plus the web program's fixed cost, which is
#     the peak of a run that ends at once (method 9) under node;
#   - in the page (headless Chromium, the site opened from disk), once with
#     JSPI and once as in a browser without it (Asyncify): the best time
#     from the last answer to the viewer's command, its ratio to the Linux
#     program's time, the longest pause of the page while the run wrote,
#     the pause in which the viewer opened, and the peak memory of the
#     page's renderer less the report it keeps, against twice the Linux
#     program's peak plus the page's fixed cost (the same for the worked
#     example of bisection, a report of sixteen lines in the viewer);
#   - that node's report has the Linux program's bytes, and the page's its
#     size;
#   - two costs of the machine that the Linux program does not pay: node's
#     own start, and the first writing of as much fresh memory as the report
#     (the page keeps the report in memory).
#
#   bench/web_rows.sh [web build folder] [Linux program] [repetitions] [rows]
#   e.g. bench/web_rows.sh build/web build/web/host-e2e/raizes 3 1000000
#
# Goals: each time within 2 times the Linux program's, node's peak within
# its goal, no pause above 100 ms. Exit status 1 when a report differs or a
# run fails. The web preset builds everything it needs (the site, its npm
# packages and the Linux program of host-e2e).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
web=$(cd "${1:-$here/build/web}" && pwd)
linux=$(realpath "${2:-$web/host-e2e/raizes}")
repetitions=${3:-3}
rows=${4:-1000000}
work=$(mktemp -d "${TMPDIR:-/tmp}/raizes-web-rows-XXXXXX")
trap 'rm -rf "$work"' EXIT
# No file of the bench grows past twice the report (about 57 bytes a row),
# whatever the programs do.
ulimit -f $(( rows * 128 / 1024 + 65536 ))
# The small launcher that measures a run (bench/measure_tool.cpp), built for
# the host here: the web preset does not build the benchmarks.
c++ -O2 -o "$work/measure_tool" "$here/bench/measure_tool.cpp"

python3 - "$web" "$linux" "$repetitions" "$rows" "$work" "$here/bench/web_page_rows.js" <<'PY'
import ctypes, json, mmap, os, shutil, subprocess, sys, time

web, linux, repetitions, rows, work, page_script = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5], sys.argv[6]
answers = ["3", "big", "0", str(rows), "10"]
# No viewer after a measured run.
env = dict(os.environ, COMSPEC="/nonexistent/cmd.exe")
mib = 2 ** 20

def measured(argv, folder, text):
    os.makedirs(folder, exist_ok=True)
    dialogue = os.path.join(work, "dialogue.txt")
    with open(dialogue, "w") as f:
        f.write(text)
    out = subprocess.run([os.path.join(work, "measure_tool"), dialogue, *argv], cwd=folder, env=env,
                         capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(f"{argv[-1]} failed with status {out.returncode}: {out.stderr}")
    seconds, kib = out.stdout.split()
    return float(seconds), int(kib) * 1024

dialogue = "".join(a + "\n" for a in answers)
programs = {"linux": [linux], "node": [shutil.which("node"), os.path.join(web, "raizes.js")]}
times = {k: [] for k in programs}
peaks = {k: [] for k in programs}
idle = []
same = True
for rep in range(repetitions):
    idle.append(measured(programs["node"], os.path.join(work, "idle"), "9\nnada\n")[1])
    for name, argv in programs.items():
        seconds, peak = measured(argv, os.path.join(work, name), dialogue)
        times[name].append(seconds)
        peaks[name].append(peak)
    if rep == 0:
        with open(os.path.join(work, "linux", "big.pfs.txt"), "rb") as a, open(os.path.join(work, "node", "big.pfs.txt"), "rb") as b:
            while same:
                block = a.read(1 << 20)
                same = block == b.read(1 << 20)
                if not block:
                    break
        report_bytes = os.path.getsize(os.path.join(work, "linux", "big.pfs.txt"))
    for name in programs:
        os.remove(os.path.join(work, name, "big.pfs.txt"))

best = {k: min(v) for k, v in times.items()}
peak = {k: max(v) for k, v in peaks.items()}
fixed = max(idle)
goal = 2 * peak["linux"] + fixed
print(f"{rows} rows of simple fixed point ({report_bytes:,} bytes); wall time: best of {repetitions}; "
      f"peak memory: largest resident size")
print(f"{'program':<22} {'seconds':>8} {'ratio':>6} {'peak MiB':>9} {'goal MiB':>9}")
print(f"{'Linux':<22} {best['linux']:>8.3f} {1:>6.2f} {peak['linux'] / mib:>9.1f}")
print(f"{'node raizes.js':<22} {best['node']:>8.3f} {best['node'] / best['linux']:>6.2f} {peak['node'] / mib:>9.1f} "
      f"{goal / mib:>9.1f}")
print(f"{'  fixed cost (idle run)':<22} {'':>8} {'':>6} {fixed / mib:>9.1f}")
print(f"node's report has the Linux program's bytes: {'yes' if same else 'NO'}", flush=True)

# Two costs of this machine that the Linux program does not pay: node's own
# start (an empty script), and the first writing of as much fresh memory as
# the report, which the page's folder takes (the Linux program's report goes
# to the system's file cache).
def node_start():
    started = time.perf_counter()
    subprocess.run([shutil.which("node"), "-e", "0"], check=True)
    return time.perf_counter() - started

def first_touch():
    memory = mmap.mmap(-1, report_bytes)
    started = time.perf_counter()
    ctypes.memset(ctypes.addressof(ctypes.c_char.from_buffer(memory)), 65, report_bytes)
    return time.perf_counter() - started

print(f"this machine: node's own start {min(node_start() for _ in range(repetitions)):.3f} s; "
      f"first writing of {report_bytes / mib:.0f} MiB of fresh memory {min(first_touch() for _ in range(repetitions)):.3f} s",
      flush=True)

out = subprocess.run(["node", page_script, os.path.join(web, "site"), os.path.join(web, "npm"), str(repetitions), *answers],
                     capture_output=True, text=True)
if out.returncode != 0:
    sys.exit("the page could not be measured: " + out.stderr)
pages = [json.loads(line) for line in out.stdout.splitlines() if line.startswith("{")]
page_fixed = max(p["peak"] - p["bytes"] for p in pages if p.get("small"))
page_goal = 2 * peak["linux"] + page_fixed
print()
print("the page: seconds from the last answer to the viewer's command; its memory: the largest renderer,")
print("less the report it keeps (the page's disk); its fixed cost: the same for a report of sixteen lines")
print(f"{'waiting by':<10} {'seconds':>8} {'ratio':>6} {'longest pause ms':>17} {'viewer pause ms':>16} "
      f"{'MiB less report':>16} {'goal MiB':>9}")
for waiting in ("JSPI", "Asyncify"):
    these = [p for p in pages if p.get("waiting") == waiting and not p.get("small")]
    if not these:
        sys.exit(f"no run of the page waited by {waiting}")
    seconds = min(p["seconds"] for p in these)
    memory = max(p["peak"] - p["bytes"] for p in these)
    print(f"{waiting:<10} {seconds:>8.3f} {seconds / best['linux']:>6.2f} {max(p['longest_pause_ms'] for p in these):>17.0f} "
          f"{max(p['viewer_pause_ms'] for p in these):>16.0f} {memory / mib:>16.1f} {page_goal / mib:>9.1f}")
    same &= all(p["bytes"] == report_bytes for p in these)
print(f"{'fixed cost':<10} {'':>8} {'':>6} {'':>17} {'':>16} {page_fixed / mib:>16.1f}")
if not same:
    print("!! a report differs from the Linux program's")
    sys.exit(1)
PY
