#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command on a virtual X server of its own (scripts/xvfb.sh):
#
#   scripts/with-xvfb.sh [WIDTHxHEIGHT] COMMAND...
#
# The server ends with the command; the command's status is this script's.
set -uo pipefail
size=1280x1024
case "${1:-}" in
  [0-9]*x[0-9]*) size=$1; shift ;;
esac
[ $# -gt 0 ] || { echo "usage: $0 [WIDTHxHEIGHT] COMMAND..." >&2; exit 2; }
# shellcheck source=scripts/xvfb.sh
. "$(dirname "$0")/xvfb.sh"

work=$(mktemp -d)
XVFB_PID=""
cleanup() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
xvfb_start "$work" "$size" || exit 1

# Not exec: the server is stopped after the command.
"$@" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null; wait "$child"; exit 143' TERM
trap 'kill -INT "$child" 2>/dev/null; wait "$child"; exit 130' INT
wait "$child"
