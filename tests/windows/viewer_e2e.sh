#!/usr/bin/env bash
# The viewer for real: the Windows program converges, closes its report and
# runs "notepad raiz.bis.txt" through Wine's own cmd.exe (COMSPEC removed
# inside Wine, or set to PROCESSOR), which starts Wine's notepad.exe on the
# Wine session's virtual X display.
#
#   viewer_e2e.sh WINE_SESSION RAIZES_EXE SCREENSHOT_PNG [PROCESSOR]
#
# Checks that a window whose title names the report appears while the
# program waits, that the report was complete on disk when the editor opened
# it, saves a screenshot of the screen, closes the window, and then sees the
# program write "Stop - Program terminated." and exit with status 0.
set -uo pipefail
wine_session=$1
program=$2
screenshot=$3
processor=${4:-}

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/raizes-viewer-XXXXXX")
run_pid=
cleanup() {
    [[ -n $run_pid ]] && kill "$run_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

DISPLAY=$("$wine_session" display) || fail "no display in the Wine session"
export DISPLAY

windows_program="Z:${program//\//\\}"
cd "$work"
printf '1\nraiz\n12 16\n0.1\n10\n' >input.txt
"$wine_session" run cmd /c "set COMSPEC=$processor&& $windows_program" <input.txt >out.txt 2>err.txt &
run_pid=$!

# The editor's window, named after the report.
window=
for _ in $(seq 600); do
    window=$(xdotool search --name 'raiz\.bis\.txt' 2>/dev/null | head -n 1)
    [[ -n $window ]] && break
    kill -0 "$run_pid" 2>/dev/null || fail "the program ended before the editor showed the report: $(cat out.txt err.txt)"
    sleep 0.1
done
[[ -n $window ]] || fail "no window titled after raiz.bis.txt appeared"
title=$(xdotool getwindowname "$window")
echo "editor window: $title"
[[ $title == *raiz.bis.txt* ]] || fail "window title '$title' does not name the report"
kill -0 "$run_pid" 2>/dev/null || fail "the program did not wait for the command processor"
# The report as the editor found it.
cp raiz.bis.txt seen.txt

expected=$(printf '%s\r\n' \
    $'Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o' \
    '' \
    $'Intervalo\tinicial:' \
    'a =     1.200000000000000E+01' \
    'b =     1.600000000000000E+01' \
    $'toler\xE2ncia admitida:     1.000000000000000E-01' \
    $'n\xFAmero m\xE1ximo de itera\xE7\xF5es:   10' \
    '' \
    '' \
    $'Itera\xE7\xE3o   Solu\xE7\xE3o aproximada          Varia\xE7\xE3o' \
    '    1    1.400000000000000E+01' \
    '    2    1.500000000000000E+01    1.000000000000000E+00' \
    '    3    1.450000000000000E+01    5.000000000000000E-01' \
    '    4    1.475000000000000E+01    2.500000000000000E-01' \
    '    5    1.487500000000000E+01    1.250000000000000E-01' \
    '    6    1.481250000000000E+01    6.250000000000000E-02' | od -An -tx1)
seen=$(od -An -tx1 seen.txt)
[[ $seen == "$expected" ]] || fail "the report was not complete when the editor opened it"

# Let the editor draw its text, then photograph the screen.
sleep 2
import -display "$DISPLAY" -window root "$screenshot" || fail "no screenshot"
echo "screenshot: $screenshot"

# Close the editor as a user would; the program then goes on.
"$wine_session" run taskkill /im notepad.exe >/dev/null 2>&1
for _ in $(seq 300); do
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$run_pid" 2>/dev/null && fail "the program did not end after the editor was closed"
wait "$run_pid"
status=$?
run_pid=
out=$(od -An -tx1 out.txt)
want=$(printf '%s\r\n' 'Informe o metodo de solucao escolhido:' \
    '1 - bissecao; 2 - falsa posicao; 3 - ponto fixo simples' '4 - newton raphson; 5 - secante' \
    'Informe o nome do arquivo de saida' 'Informe as extremidades do intervalo considerado [a, b]:' \
    'Informe a tolerancia admitida' 'Informe o numero maximo de iteracoes' 'Stop - Program terminated.' | od -An -tx1)
[[ $out == "$want" ]] || fail "standard output was: $(cat -A out.txt)"
[[ ! -s err.txt ]] || fail "standard error was: $(cat -A err.txt)"
[[ $status -eq 0 ]] || fail "exit status $status"
echo "passed: the editor showed the complete report; the program stopped with status 0"
