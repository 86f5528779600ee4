#!/usr/bin/env bash
# `node raizes.js` runs the program as the start-up script `raizes` does,
# and the command processor gets the program's own bytes: a report name
# that is not UTF-8 (byte E9) reaches the viewer whole.
#   node_host_test.sh WEB_BUILD
set -euo pipefail
web=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" > viewer-args.txt\ncp -- "${2#notepad }" viewer-saw.txt\n' > recorder
chmod +x recorder
name=$(printf 'r\351sum\351')
printf "1\n'%s'\n12 16\n0.1\n10\n" "$name" > dialogue

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}
COMSPEC="$work/recorder" "$web/raizes" < dialogue > by-script.txt
COMSPEC=/nonexistent node "$web/raizes.js" < dialogue > by-node.txt
cmp -s by-script.txt by-node.txt && grep -q 'Stop - Program terminated.' by-node.txt ||
    fail "node raizes.js does not run the program as raizes does: $(od -c by-node.txt | head -3)"
printf '/c\nnotepad %s.bis.txt\n' "$name" | cmp -s - viewer-args.txt ||
    fail "the processor did not get the command's bytes: $(od -c viewer-args.txt 2>&1)"
cmp -s "$name.bis.txt" viewer-saw.txt || fail "the viewer did not find the report"
[ "$failed" = 0 ] && echo "node raizes.js runs the program; the processor got the command's bytes"
exit "$failed"
