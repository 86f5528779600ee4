#!/usr/bin/env bash
# The five methods from their usual inputs with tolerance 1e-10, on one
# picture: runs raizes five times, draws the reports with raizes-plot and
# renders the SVG to PNG with rsvg-convert (Debian package librsvg2-bin,
# installed here when missing and apt-get can be used).
#
#   tools/raizes-plot/example.sh [build directory] [output directory]
#
# The build directory defaults to build/default, the output directory to
# plot-example inside it: nothing is written into the source tree.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build/default}" && pwd)
out=${2:-$build/plot-example}
raizes="$build/raizes"
plot="$build/tools/raizes-plot/raizes-plot"
for program in "$raizes" "$plot"; do
  if [[ ! -x $program ]]; then
    echo "example.sh: $program is missing; build it first: cmake --workflow --preset default" >&2
    exit 1
  fi
done

if ! command -v rsvg-convert >/dev/null 2>&1; then
  if [[ $(id -u) -eq 0 ]] && command -v apt-get >/dev/null 2>&1; then
    echo "example.sh: installing librsvg2-bin for rsvg-convert"
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y librsvg2-bin >/dev/null 2>&1 || { apt-get update >/dev/null && apt-get install -y librsvg2-bin >/dev/null; }
  else
    echo "example.sh: rsvg-convert is missing: sudo apt-get install librsvg2-bin" >&2
    exit 1
  fi
fi

mkdir -p "$out"
cd "$out"
rm -f raiz.bis.txt raiz.fp.txt raiz.pfs.txt raiz.new.txt raiz.sec.txt
# Without COMSPEC the viewer of the sources is found; with the answers on a
# pipe it shows nothing, and each run goes on to its end.
run() { printf "$1" | env -u COMSPEC "$raizes" >/dev/null; }
run '1\nraiz\n12 16\n1e-10\n100\n'
run '2\nraiz\n12 16\n1e-10\n100\n'
run '3\nraiz\n1e-10\n100\n10\n'
run '4\nraiz\n1e-10\n100\n10\n'
run '5\nraiz\n1e-10\n100\n10 12\n'

"$plot" raiz.bis.txt raiz.fp.txt raiz.pfs.txt raiz.new.txt raiz.sec.txt -o five-methods.svg >/dev/null
rsvg-convert five-methods.svg -o five-methods.png
echo "$out/five-methods.svg"
echo "$out/five-methods.png"
