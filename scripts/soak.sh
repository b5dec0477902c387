#!/usr/bin/env bash
# Fault soak: scans through `zavo-driver scan --port` against `zavo-apparatus-sim`, each with one
# fault injected through the simulator's control FIFO while the counted sweep runs, and a table of
# what came of them: exit codes, sweep steps the apparatus sent, points saved, points lost, partial
# scans that exited 0, and hangs (no exit within the time-out). Not part of the quick tests.
#
# Usage: scripts/soak.sh [RUNS] [FAULT...]   (default 20 runs of every fault; build/ must be built)
#   faults: none stray silence-end silence-hole halt sigint-early bad-out unplug garbage cut
# Environment: SOAK_SCALE (simulator time scale, default 10), SOAK_TIMEOUT (seconds, default 30),
# SOAK_DRIVER and SOAK_SIM (the programs), SOAK_KEEP=1 keeps the work folder.
set -uo pipefail
cd "$(dirname "$0")/.."

runs=${1:-20}
[ $# -gt 0 ] && shift
faults=("$@")
[ ${#faults[@]} -eq 0 ] && faults=(none stray silence-end silence-hole halt sigint-early bad-out unplug garbage cut)
scale=${SOAK_SCALE:-10}
timeout=${SOAK_TIMEOUT:-30}
driver=${SOAK_DRIVER:-build/app/zavo-driver}
sim=${SOAK_SIM:-build/simulator/zavo-apparatus-sim}
expected=101 # 30.00 .. 35.00 degrees in 0.05-degree steps
for program in "$driver" "$sim"; do
  [ -x "$program" ] || { echo "soak: $program is missing; build first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/zavo-soak-XXXXXX)
[ -z "${SOAK_KEEP:-}" ] && trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen

# Waits until FILE holds TEXT (up to SECONDS); false when it never does.
wait_for() {
  local file=$1 text=$2 limit=$3 t=0
  until grep -q "$text" "$file" 2>/dev/null; do
    sleep 0.01
    t=$((t + 1))
    [ $t -ge $((limit * 100)) ] && return 1
  done
  return 0
}

# Until the apparatus has sent the first sweep step (asked through the control FIFO); false when
# the driver (process DRIVER) has ended first.
wait_for_sweep() {
  local dir=$1 limit=$2 driverpid=$3 t=0
  while [ $t -lt $((limit * 20)) ] && kill -0 "$driverpid" 2>/dev/null; do
    echo steps >"$dir/faults"
    sleep 0.05
    [ "$(sed -n 's/.*sweep steps sent: \([0-9]*\).*/\1/p' "$dir/sim.err" | tail -1)" -gt 0 ] 2>/dev/null && return 0
    t=$((t + 1))
  done
  return 1
}

# One scan with one fault. Prints: exit-code sent saved (exit code "hang" when it never ended).
one_run() {
  local fault=$1 seed=$2 dir=$work/run
  rm -rf "$dir"
  mkdir -p "$dir"
  "$sim" --time-scale "$scale" --seed "$seed" --link "$dir/port" --control "$dir/faults" \
    </dev/null >/dev/null 2>"$dir/sim.err" &
  local simpid=$!
  wait_for "$dir/sim.err" "Ctrl+C ends" 10 || { kill $simpid; echo "nosim 0 0"; return; }
  local out=$dir/scan.rtg
  [ "$fault" = bad-out ] && out=$dir/missing-folder/scan.rtg
  "$driver" scan --port "$dir/port" --roi 30:35 --time 0.1 --out "$out" \
    >"$dir/driver.out" 2>"$dir/driver.err" </dev/null &
  local drvpid=$!
  if wait_for_sweep "$dir" "$timeout" $drvpid; then
    case $fault in
      stray) sleep 0.3; echo stray >"$dir/faults" ;;
      silence-end) sleep 0.5; echo "silence 3000" >"$dir/faults" ;;
      silence-hole) sleep 0.2; echo "silence 300" >"$dir/faults" ;;
      halt) sleep 0.5; echo halt >"$dir/faults" ;;
      sigint-early) sleep 0.01; kill -INT $drvpid ;;
      unplug) sleep 0.5; echo unplug >"$dir/faults"; sleep 1; echo replug >"$dir/faults" ;;
      garbage) sleep 0.5; echo "garbage 40" >"$dir/faults" ;;
      cut) sleep 0.5; echo cut >"$dir/faults" ;;
    esac
  fi
  local code t=0
  while kill -0 $drvpid 2>/dev/null && [ $t -lt $((timeout * 10)) ]; do
    sleep 0.1
    t=$((t + 1))
  done
  if kill -0 $drvpid 2>/dev/null; then
    code=hang
    kill -INT $drvpid
    sleep 5
    kill -KILL $drvpid 2>/dev/null
    wait $drvpid 2>/dev/null
  else
    wait $drvpid
    code=$?
  fi
  kill -TERM $simpid
  wait $simpid
  local sent saved=0 file
  sent=$(sed -n 's/.*sweep steps sent: \([0-9]*\).*/\1/p' "$dir/sim.err" | tail -1)
  # Where the points went: the --out file, or the place the driver names when it could not write it.
  file=$out
  [ -f "$file" ] || file=$(sed -n 's/.*points were written to \(.*\) instead.*/\1/p' "$dir/driver.err" | tail -1)
  if [ -n "$file" ] && [ -f "$file" ]; then
    saved=$("$driver" info "$file" 2>/dev/null | sed -n 's/.*"validCells": \([0-9]*\).*/\1/p')
  fi
  echo "$code ${sent:-0} ${saved:-0}"
}

printf "%-13s %4s  %-26s %6s %6s %5s %8s %5s\n" fault runs "exit codes" sent saved lost partial0 hangs
for fault in "${faults[@]}"; do
  declare -A codes=()
  sent_total=0 saved_total=0 lost=0 partial=0 hangs=0
  for ((i = 1; i <= runs; i++)); do
    read -r code sent saved < <(one_run "$fault" "$i")
    codes[$code]=$((${codes[$code]:-0} + 1))
    sent_total=$((sent_total + sent))
    saved_total=$((saved_total + saved))
    [ "$saved" -lt "$sent" ] && lost=$((lost + sent - saved))
    [ "$code" = 0 ] && [ "$saved" -lt "$expected" ] && partial=$((partial + 1))
    [ "$code" = hang ] && hangs=$((hangs + 1))
  done
  summary=""
  for c in $(printf "%s\n" "${!codes[@]}" | sort); do summary+="$c:${codes[$c]} "; done
  printf "%-13s %4d  %-26s %6d %6d %5d %8d %5d\n" "$fault" "$runs" "$summary" "$sent_total" "$saved_total" \
    "$lost" "$partial" "$hangs"
  unset codes
done
