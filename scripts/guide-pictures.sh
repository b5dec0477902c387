#!/usr/bin/env bash
# Makes the guide's pictures (docs/pictures/*.png) from the program itself on the simulated
# apparatus: the main window as it starts; spectra taken with `zavo-driver scan` (Cu and Mo on NaCl
# and LiF, the Duane-Hunt edge at two tube voltages, the Kβ filter), shown as a printed page or
# evaluated in the main window with its results window; and the scalar-mode window after the
# plateau, filter, thickness and Moseley series, with its evaluation under the chart.
# Usage: scripts/guide-pictures.sh [--check]
#   --check  makes a subset in a temporary folder (one picture of each kind: the window as it
#            starts, a printed page, an evaluation in the main window, a scalar series) and only
#            checks that each was made and is under 200 KB (what CI runs, in well under a minute and
#            a half); without a virtual X server it says so and exits 0.
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
evaluated=$build/tests/mainwindow/evaluation_shots
work=$(mktemp -d)
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data LC_ALL=C.UTF-8

# Wide enough for the main window and the evaluation's results window side by side.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1800x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
  if $check; then rm -rf "$out"; fi
}
trap cleanup EXIT
sleep 2
export DISPLAY=$display

made=()
keep() { # SHOT NAME [CONVERT OPTIONS]: the screenshot trimmed to what was drawn (or as the options
  # say), in 256 colours at most so that every picture stays small
  local shot=$1 name=$2
  shift 2
  if [ $# -eq 0 ]; then set -- -trim +repage; fi
  convert "$shot" "$@" "$out/$name.png"
  if command -v pngquant >/dev/null; then
    pngquant --force --skip-if-larger --output "$out/$name.png" 256 -- "$out/$name.png" || true
  fi
  made+=("$name")
}

scan() { # NAME SIMULATOR-OPTIONS SCAN-OPTIONS...: a record taken on the simulated apparatus
  local name=$1 bench=$2
  shift 2
  (cd "$work" && ZAVO_SIM="--time-scale 50 $bench" "$driver" scan --simulate "$@" --out "$name.rtg" >/dev/null)
}

evaluation() { # NAME FILE=COMMENT...: the first record evaluated in the main window
  local name=$1
  shift
  "$evaluated" "$work/$name-shot.png" "$@" 2>/dev/null
  keep "$work/$name-shot.png" "$name"
}

# The main window on the simulated apparatus, as it starts.
"$driver" --simulate >/dev/null 2>&1 &
app=$!
sleep 6
import -window root "$work/first.png"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
keep "$work/first.png" first-window

# The Bragg spectrum of the copper anode on NaCl, orders 1 to 3: its printed page, and its
# evaluation in the main window.
scan cu-nacl "" --roi 25:115 --step 0.1 --time 0.5
"$driver" print "$work/cu-nacl.rtg" --pdf "$work/cu-nacl.pdf" --lines >/dev/null 2>&1
pdftoppm -png -r 90 -singlefile "$work/cu-nacl.pdf" "$work/page"
keep "$work/page.png" bragg-cu-nacl -trim +repage -bordercolor white -border 10
evaluation bragg-evaluate "$work/cu-nacl.rtg=Cu anode, NaCl crystal: crystal=NaCl anode=Cu kV=35"

# Scalar mode: the attenuation by the filter's thickness.
"$demo" thickness "$work/thickness.png" >/dev/null 2>&1
keep "$work/thickness.png" scalar-thickness

if ! $check; then
  # Molybdenum on LiF from 5 degrees: the lines in three orders and the short-wavelength limit.
  scan mo-lif "--anode Mo --crystal LiF" --roi 5:65 --step 0.1 --time 0.5
  evaluation bragg-mo-lif "$work/mo-lif.rtg=Mo anode, LiF crystal: crystal=LiF anode=Mo kV=35"

  # The Duane-Hunt edge at 25 kV, with the one at 35 kV laid over it.
  scan dh25 "--kv 25" --roi 5:20 --step 0.1 --time 2
  scan dh35 "--kv 35" --roi 5:20 --step 0.1 --time 2
  evaluation duane-hunt "$work/dh25.rtg=Cu anode 25 kV, NaCl: kV=25" "$work/dh35.rtg=Cu anode 35 kV, NaCl: kV=35"

  # The Kβ filter: copper's first order through 10 µm of nickel, the open beam laid over it.
  scan cu-open "" --roi 26:34 --step 0.05 --time 1
  scan cu-ni10 "--filter Ni:10" --roi 26:34 --step 0.05 --time 1
  evaluation kbeta-filter "$work/cu-ni10.rtg=Cu anode, NaCl, Ni filter 10 µm: orders=1 tau=100" \
    "$work/cu-open.rtg=Cu anode, NaCl, no filter"

  # Scalar mode: the counter's plateau, the filter series and a Moseley series.
  for series in plateau filters moseley; do
    "$demo" "$series" "$work/$series.png" >/dev/null 2>&1
    keep "$work/$series.png" "scalar-$series"
  done
fi

status=0
for picture in "${made[@]}"; do
  file=$out/$picture.png
  size=$(stat -c %s "$file" 2>/dev/null || echo 0)
  if [ "$size" -eq 0 ] || [ "$size" -ge 204800 ]; then
    echo "guide-pictures: $picture.png missing or not under 200 KB ($size bytes)" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "guide-pictures: ${#made[@]} pictures in $out"
exit "$status"
