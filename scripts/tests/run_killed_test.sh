#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# scripts/run.sh killed with SIGKILL in the middle of its run leaves nothing
# behind: the virtual reader, the X server and Kestrix it started all end
# within a few seconds, though no trap of the script ran.
#
#   run_killed_test.sh BUILD
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
owner="" children=""
finish() {
  [ -n "$owner" ] && kill -KILL "$owner" 2>/dev/null
  # What a failure found is not left for the next test.
  [ -n "$children" ] && kill -KILL $children 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAILED: $*"; tail -n 20 "$work/out"; exit 1; }

# alive PID: running, not a zombie waiting to be reaped.
alive() {
  case "$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)" in "" | Z) return 1 ;; esac
}
# named NAME: the pid of the owner's child whose program is NAME.
named() {
  local pid
  for pid in $(ps -o pid= --ppid "$owner" 2>/dev/null); do
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$1" ] && { echo "$pid"; return 0; }
  done
  return 1
}

KESTRIX_BUILD_DIR=$build "$here/../run.sh" --check "$work/shot.png" >"$work/out" 2>&1 &
owner=$!
# The run is in the middle once the reader, the screen and Kestrix all run.
for _ in $(seq 1200); do
  sim=$(named kestsim) && xvfb=$(named Xvfb) && app=$(named kestrix) && break
  kill -0 "$owner" 2>/dev/null || fail "run.sh ended before Kestrix ran"
  sleep 0.1
done
[ -n "${app:-}" ] || fail "Kestrix did not start within 120 s"
children="$sim $xvfb $app"
sleep 2
echo "run.sh $owner runs kestsim $sim, Xvfb $xvfb and Kestrix $app; killing it with SIGKILL"
kill -KILL "$owner"
wait "$owner" 2>/dev/null
owner=""

for _ in $(seq 300); do
  left=""
  for pid in $children; do alive "$pid" && left="$left $pid ($(cat "/proc/$pid/comm"))"; done
  [ -z "$left" ] && break
  sleep 0.1
done
[ -z "$left" ] || fail "30 s after the kill these still run:$left"
children=""
echo "after the kill nothing of the run was left"
