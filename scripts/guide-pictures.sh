#!/usr/bin/env bash
# Makes the guide's pictures (docs/pictures/*.png) from the program itself on the simulated
# apparatus: the main window as it starts, the printed page of a Cu/NaCl scan taken with
# `zavo-driver scan`, and the scalar-mode window after a plateau and a filter series.
# Usage: scripts/guide-pictures.sh [--check]
#   --check  makes the pictures in a temporary folder and only checks that each was made and is
#            under 200 KB (what CI runs); without a virtual X server it says so and exits 0.
# Expects a built tree (bash scripts/build.sh; another build folder: ZAVO_BUILD=DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/docs/pictures
check=false
if [ "${1:-}" = --check ]; then
  check=true
  out=$(mktemp -d)
fi
if ! command -v Xvfb >/dev/null || ! command -v import >/dev/null; then
  echo "guide-pictures: Xvfb or ImageMagick missing, skipped"
  exit 0
fi
build=${ZAVO_BUILD:-$root/build}
driver=$build/app/zavo-driver
demo=$build/tests/scalar/scalar_demo
work=$(mktemp -d)
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data LC_ALL=C.UTF-8
export ZAVO_SIM="--time-scale 20"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
  if $check; then rm -rf "$out"; fi
}
trap cleanup EXIT
sleep 2
export DISPLAY=$display

shrink() { # FILE: 256 colours at most, so that every picture stays small
  if command -v pngquant >/dev/null; then
    pngquant --force --skip-if-larger --output "$1" 256 -- "$1" || true
  fi
}

# The main window on the simulated apparatus, as it starts.
"$driver" --simulate >/dev/null 2>&1 &
app=$!
sleep 6
import -window root "$work/first.png"
convert "$work/first.png" -trim +repage "$out/first-window.png"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
shrink "$out/first-window.png"

# The Bragg spectrum of the copper anode on NaCl, orders 1 to 3, and its printed page.
(cd "$work" && "$driver" scan --simulate --roi 25:115 --step 0.1 --time 0.5 \
  --out cu-nacl.rtg --text cu-nacl.txt >/dev/null)
"$driver" print "$work/cu-nacl.rtg" --pdf "$work/cu-nacl.pdf" --lines >/dev/null 2>&1
pdftoppm -png -r 90 -singlefile "$work/cu-nacl.pdf" "$work/page"
convert "$work/page.png" -trim +repage -bordercolor white -border 10 "$out/bragg-cu-nacl.png"
shrink "$out/bragg-cu-nacl.png"

# Scalar mode: the counter's plateau and the filter series.
for series in plateau filters; do
  "$demo" "$series" "$work/$series.png" >/dev/null
  convert "$work/$series.png" -trim +repage "$out/scalar-$series.png"
  shrink "$out/scalar-$series.png"
done

status=0
for picture in first-window bragg-cu-nacl scalar-plateau scalar-filters; do
  file=$out/$picture.png
  size=$(stat -c %s "$file" 2>/dev/null || echo 0)
  if [ "$size" -eq 0 ] || [ "$size" -ge 204800 ]; then
    echo "guide-pictures: $picture.png missing or not under 200 KB ($size bytes)" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "guide-pictures: 4 pictures in $out"
exit "$status"
