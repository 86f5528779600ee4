#!/usr/bin/env bash
# Runs every end-to-end test program of the host build HOST_E2E, and each
# method for a thousand iterations from its usual inputs, against the
# recording web program PROGRAM (raizes-math-log.js), then compares the
# recorded exponentials and powers with this machine's C library:
#   math_bits.sh HOST_E2E PROGRAM LOG
set -euo pipefail
host_e2e=$1
export RAIZES_WEB_PROGRAM=$2
export RAIZES_MATH_LOG=$3
rm -f "$RAIZES_MATH_LOG"

# The tests' own results are the suite's business; only the calls count
# here. Three programs at a time.
ls "$host_e2e"/tests/*_e2e_test | xargs -P 3 -I '{}' sh -c '"{}" --gtest_brief=1 >/dev/null 2>&1 || true'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for dialogue in '1\nb\n16 20\n0\n1000\n' '2\nf\n12 16\n0\n1000\n' '3\np\n0\n1000\n14\n' \
                '4\nn\n0\n1000\n14\n' '5\ns\n0\n1000\n12 16\n'; do
  (cd "$work" && printf "$dialogue" | COMSPEC=true "$host_e2e/../raizes" >/dev/null 2>&1 || true)
done
"$host_e2e"/tests/math_bits_check "$RAIZES_MATH_LOG"
