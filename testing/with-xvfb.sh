#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command on a virtual X server of its own:
#
#   testing/with-xvfb.sh [WIDTHxHEIGHT] COMMAND...
#
# Xvfb picks a free display itself (-displayfd) and tells its number once it
# accepts connections, so tests run side by side never race for one display
# (xvfb-run -a can: two runs may both see the same number free). The server
# ends with the command, which ends with it; the command's status is this
# script's.
set -uo pipefail
size=1280x1024
case "${1:-}" in
  [0-9]*x[0-9]*) size=$1; shift ;;
esac
[ $# -gt 0 ] || { echo "usage: $0 [WIDTHxHEIGHT] COMMAND..." >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "Xvfb is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }

work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
  grep -q '^[0-9]' "$work/display" && break
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb stopped: $(cat "$work/xvfb.log")" >&2; exit 1; }
  sleep 0.1
done
grep -q '^[0-9]' "$work/display" || { echo "Xvfb gave no display in 20 s: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

# Not exec: the server must be stopped after the command.
"$@" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null; wait "$child"; exit 143' TERM
trap 'kill -INT "$child" 2>/dev/null; wait "$child"; exit 130' INT
wait "$child"
