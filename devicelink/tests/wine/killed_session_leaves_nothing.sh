#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A Wine session whose owner is killed with SIGKILL in the middle leaves
# nothing behind: the output pipe the owner held (a test runner's) closes, and
# no process of the session (server, programs, Wine's services) remains.
#
#   killed_session_leaves_nothing.sh test TEST_PROGRAM [ARGS...]
#       the owner is a test program using the tests' Wine session
#   killed_session_leaves_nothing.sh script PROBE.exe
#       the owner is a script with scripts/wine-prefix.sh's session (as
#       run.sh --windows and the Windows dialog benchmark have), running
#       PROBE.exe
#
# KESTLINK_WINE_PREFIX names the prefix. A session's processes carry
# KESTRIX_WINE_SESSION=kestrix-wine-<owner's pid>.
set -u

if [ "${1:-}" = --session ]; then
  # The script owner: a session, a Windows program that waits on its input,
  # and nothing that ends by itself.
  here=$(cd "$(dirname "$0")" && pwd)
  # shellcheck source=../../../scripts/wine-prefix.sh
  . "$here/../../../scripts/wine-prefix.sh"
  logs=$KESTLINK_WINE_PREFIX-logs/script-session
  mkdir -p "$logs"
  wine_start "$KESTLINK_WINE_PREFIX" "$logs" "$logs" || exit 1
  probe=$2
  cd "$(dirname "$probe")" || exit 1
  sleep 600 | "$KESTRIX_WINE64" "$(basename "$probe")" 2>>"$logs/programs.log" &
  wait
  exit 0
fi

kind=$1
shift
work=$(mktemp -d)
owner="" reader="" session=""
finish() {
  [ -n "$owner" ] && kill -KILL "$owner" 2>/dev/null
  [ -n "$reader" ] && kill -KILL "$reader" 2>/dev/null
  # What a failure found is not left for the next test.
  if [ -n "$session" ]; then
    left=$(members | cut -d' ' -f1)
    [ -n "$left" ] && kill -KILL $left 2>/dev/null
  fi
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAILED: $*"; exit 1; }

# members: the owner's session, a "pid command" line each.
wine_members=$(cd "$(dirname "$0")/../../../scripts" && pwd)/wine-members.sh
members() { "$wine_members" "$session"; }

# The runner's side of the owner's output: a pipe read to its end.
mkfifo "$work/output"
cat "$work/output" >"$work/output.txt" &
reader=$!
case "$kind" in
  test) "$@" >"$work/output" 2>&1 & ;;
  script) "$0" --session "$1" >"$work/output" 2>&1 & ;;
  *) echo "usage: $0 test PROGRAM [ARGS...] | script PROBE.exe" >&2; exit 2 ;;
esac
owner=$!
session=kestrix-wine-$owner

# Until a Windows program of the session runs, then a moment more, so that
# it is in the middle of something.
for _ in $(seq 600); do
  members | grep -q '\.exe' && break
  kill -0 "$owner" 2>/dev/null || fail "the owner ended before any Windows program ran: $(tail -n 20 "$work/output.txt")"
  sleep 0.2
done
members | grep -q '\.exe' || fail "no Windows program of the session ran within 120 s"
sleep 2
echo "the session of $kind owner $owner before the kill:"
members | sed 's/^/  /'

kill -KILL "$owner"
wait "$owner" 2>/dev/null
killed=$(date +%s%N)
owner=""

# The pipe closes once no process holds it. Generous limits: they catch a
# process that holds on for good, not a slow one.
for _ in $(seq 300); do
  kill -0 "$reader" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$reader" 2>/dev/null; then
  fail "30 s after the kill the owner's output is still held open by: $(members)"
fi
reader=""
closed=$(date +%s%N)
for _ in $(seq 300); do
  [ -z "$(members)" ] && break
  sleep 0.1
done
left=$(members)
[ -z "$left" ] || fail "30 s after the kill the session still has: $left"
gone=$(date +%s%N)
echo "after the kill: the output closed in $(((closed - killed) / 1000000)) ms, the session was gone in $(((gone - killed) / 1000000)) ms"
