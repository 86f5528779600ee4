#!/usr/bin/env bash
# tools/wine32-probe and tools/wine-i386 against the causes they name, each
# made on purpose with stand-ins for dpkg-query, wine, wineserver and the
# cross compiler on PATH: every verdict, and no verdict from a folder where
# nothing may run.
#   wine32_probe_test.sh TOOLS_FOLDER
set -uo pipefail
tools=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/raizes-probe-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

mkdir -p "$work/bin" "$work/tmp"
stand_in() { printf '#!/bin/sh\n%s\n' "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"; }
# dpkg-query as Debian's answers with libwine installed for amd64 and i386.
stand_in dpkg-query 'case "$*" in *libwine:amd64*) printf 8.0~repack-4 ;; *libwine*) printf 8.0~repack-48.0~repack-4 ;; *) exit 1 ;; esac'
stand_in wineserver 'exit 0'
stand_in i686-w64-mingw32-gcc 'while [ "$#" -gt 1 ]; do [ "$1" = -o ] && : >"$2"; shift; done'
# wine: wineboot -i makes a prefix with or without syswow64; the program
# does what RUN says.
wine_that() {
    stand_in wine "echo \"\$*\" >>\"$work/wine-calls\"
if [ \"\$1\" = wineboot ]; then mkdir -p \"\$WINEPREFIX/drive_c/windows/system32\" $1; exit 0; fi
$2"
}
export PATH="$work/bin:$PATH" XDG_CACHE_HOME="$work/cache" TMPDIR="$work/tmp"
unset WINEPREFIX WINEDLLPATH
side="$work/cache/raizes/wine-i386-8.0~repack-4/usr/lib/i386-linux-gnu/wine"

# probe EXPECTED-STATUS EXPECTED-TEXT [ARGUMENT]: one verdict
probe() {
    local said status=0
    said=$("$tools/wine32-probe" ${3:+"$3"}) || status=$?
    [[ $status -eq $1 && $said == *"$2"* ]] || fail "expected status $1 and '$2', got $status: $said"
}

[[ $("$tools/wine-i386") == "$side" ]] || fail "wine-i386 with libwine of two architectures: $("$tools/wine-i386")"

probe 3 "Wine's 32-bit side is missing from $side" wine
WINEDLLPATH="$work/elsewhere" probe 3 "missing from $work/elsewhere" wine
mkdir -p "$side/i386-windows" && : >"$side/i386-windows/kernel32.dll"

wine_that "" 'exit 7'
probe 4 "has no 32-bit system (syswow64)" wine
wine_that "\"\$WINEPREFIX/drive_c/windows/syswow64\"" 'exit 7'
mkdir -p "$work/made-without/drive_c/windows/system32" && rm -f "$work/wine-calls"
WINEPREFIX="$work/made-without" probe 4 "$work/made-without has no 32-bit system" wine
grep -qs wineboot "$work/wine-calls" && fail "wineboot ran in a prefix that was there already"

probe 0 "runs 32-bit Windows programs under Wine" wine
[[ -z $(ls "$work/tmp") ]] || fail "the probe left $(ls "$work/tmp") in TMPDIR"
WINEPREFIX="$work/kept" probe 0 "runs 32-bit Windows programs" wine
[[ -d $work/kept/drive_c/windows/syswow64 ]] || fail "the probe removed the prefix WINEPREFIX"

# A prefix without a 32-bit system lets a 32-bit program end at once with
# status 0, having done nothing: that is no success.
wine_that "\"\$WINEPREFIX/drive_c/windows/syswow64\"" 'exit 0'
probe 5 "does not run under Wine here (status 0)" wine
wine_that "\"\$WINEPREFIX/drive_c/windows/syswow64\"" 'echo "Application could not be started, or no application associated with the specified file."; exit 1'
probe 5 "(status 1: Application could not be started" wine

# The machine: its own verdict here, but never "no 32-bit code" from a
# folder where no program runs (a copy of true that fails stands for that).
status=0
said=$("$tools/wine32-probe" kernel) || status=$?
[[ ($status -eq 0 && $said == *"runs 32-bit code"*) || ($status -eq 2 && $said == *"runs no 32-bit code: its kernel does not run an i386 program ("*) ]] ||
    fail "the machine's verdict: status $status: $said"
stand_in true 'exit 1'
probe 1 "cannot look: no program runs from" kernel

[[ $failures -eq 0 ]] && echo "wine32-probe and wine-i386: every verdict as expected"
exit $((failures != 0))
