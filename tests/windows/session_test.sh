#!/usr/bin/env bash
# The Wine session's "test" runs a test program again only when Wine failed
# it: a program ended with status 3 while GoogleTest's captured standard
# error says Wine could not create a death test's process runs again and
# passes; the same status without that message stands, unseen again.
#   session_test.sh WINE_SESSION
set -uo pipefail
session=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/raizes-session-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
marker="Z:${work//\//\\}\\first"
lost='%TEMP%\raizes-session-test.tmp'
failures=0

out=$("$session" test cmd /c "if exist $marker (echo second& del $lost& exit 0) else (echo first& echo x> $marker& \
echo CHECK failed: ::CreateProcessA^(^) != FALSE> $lost& exit 3)" 2>&1)
status=$?
[[ $status -eq 0 && $out == *first*"could not create the process of a death test"*second* ]] ||
    { echo "FAILED: Wine's failure was not run again (status $status): $out"; failures=1; }

out=$("$session" test cmd /c "echo first& exit 3" 2>&1)
status=$?
[[ $status -eq 3 && $out != *"runs again"* ]] || { echo "FAILED: a failure of the program's own was run again: $out"; failures=1; }

[[ $failures -eq 0 ]] && echo "the session runs again what Wine failed, and nothing else"
exit "$failures"
