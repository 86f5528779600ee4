#!/usr/bin/env bash
# Runs every end-to-end test program of the host build HOST_E2E, as it is
# and with the built-in equation typed, each method for a thousand
# iterations from its usual inputs, and typed equations whose iterates
# wander over the doubles, against the recording web program PROGRAM
# (raizes-math-log.js); then compares the recorded calls with the Linux
# program's functions:
#   math_bits.sh HOST_E2E PROGRAM LOG
set -euo pipefail
host_e2e=$1
export RAIZES_WEB_PROGRAM=$2
export RAIZES_MATH_LOG=$3
rm -f "$RAIZES_MATH_LOG"

# The tests' own results are the suite's business; only the calls count
# here. Three programs at a time.
for variant in builtin typed; do
  ls "$host_e2e"/tests/*_e2e_test |
    RAIZES_E2E_EQUATION=$variant xargs -P 3 -I '{}' sh -c '"{}" --gtest_brief=1 >/dev/null 2>&1 || true'
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() {
  (cd "$work" && printf "$1" | COMSPEC=true "$host_e2e/../raizes" "${@:2}" >/dev/null 2>&1 || true)
}
for dialogue in '1\nb\n16 20\n0\n1000\n' '2\nf\n12 16\n0\n1000\n' '3\np\n0\n1000\n14\n' \
                '4\nn\n0\n1000\n14\n' '5\ns\n0\n1000\n12 16\n'; do
  run "$dialogue"
done
# The suite's calls, the built-in equation's and the built-in typed: every
# function, the C library's too, must give the Linux program's bits.
echo "-- the suite's calls"
"$host_e2e"/tests/math_bits_check "$RAIZES_MATH_LOG"
# Fixed point on maps that send x from one order of magnitude to any other,
# and Newton-Raphson on the functions' derivatives. The C library's
# exponential is not correctly rounded on every platform, so here its
# differences are counted, and only the run-time's own functions must give
# none.
run '3\np\n0\n3000\n0.5\n' --f x --g 'sin(x)*10**(300*cos(3*x)) + tan(x) + atan(x)'
run '3\np\n0\n3000\n0.7\n' --f x --g 'cos(x)*10**(250*sin(7*x)) - tan(x/3)*atan(x)'
run '3\np\n0\n3000\n2\n' --f x --g 'log(abs(x) + 1e-300)*sin(x*1e5)*1e3 + sqrt(abs(x))*cos(x)'
run '3\np\n0\n3000\n3\n' --f x --g 'exp(-abs(x))*1e300*sin(x) + log(abs(x) + 1e-320)'
run '4\nn\n0\n300\n0.3\n' --f 'log(x) + sin(x) - 1 + sqrt(x)*atan(x) - tan(x/9)'
run '4\nn\n0\n300\n1e10\n' --f 'x**3 - 2*x - 5 + cos(x)'
echo "-- with typed equations over the doubles"
"$host_e2e"/tests/math_bits_check --library-may-differ "$RAIZES_MATH_LOG"
