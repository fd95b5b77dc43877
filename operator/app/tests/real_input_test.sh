#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Kestrix on a real X server (Xvfb), driven by real input (xdotool) against
# the virtual reader, as an operator would:
#   1. a second click on 读取数据 during a download is dropped: the reader is
#      asked for every record once, not twice;
#   2. Esc during a download stops it: fewer records are read, a message box
#      comes up, the window stays; Esc afterwards closes the program;
#   3. SIGTERM during a download (the desktop session ending) ends the program
#      with status 0, and the reader is asked for nothing more.
#
#   real_input_test.sh KESTSIM KESTRIX
set -euo pipefail
kestsim=$1 kestrix=$2
records=150

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-input.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_for SECONDS WHAT COMMAND...: polls every 0.1 s.
wait_for() {
  local tries=$(($1 * 10)) what=$2
  shift 2
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  fail "gave up waiting for $what"
}

# shellcheck source=../../../scripts/xvfb.sh
. "$(dirname "$0")/../../../scripts/xvfb.sh"
xvfb_start "$work" 1024x768 || fail "no X server"
pids+=("$XVFB_PID")
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

"$kestsim" --records "$records" --log >"$work/sim.out" 2>"$work/sim.log" &
pids+=($!)
wait_for 20 "kestsim" grep -q '^KESTLINK_PORT_DIR=.' "$work/sim.out"
export "$(head -n 1 "$work/sim.out")"

# Requests for records the reader has had so far (its log has one line a
# request, the command code after the start byte).
reads() { grep -c '<- AA 01 02 ' "$work/sim.log" || true; }

app=""
main=""
start_kestrix() {
  "$kestrix" 2>"$work/kestrix.err" &
  app=$!
  pids+=("$app")
  find_main() { main=$(xdotool search --onlyvisible --pid "$app" --name '^Kestrix$' 2>/dev/null | head -n 1); [ -n "$main" ]; }
  wait_for 30 'the window "Kestrix"' find_main
}
others() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$main" || true; }
box_up() { [ -n "$(others)" ]; }
box_gone() { [ -z "$(others)" ]; }
gone() { ! kill -0 "$app" 2>/dev/null; }
# reads_since N M: more than M record reads since the count was N.
reads_since() { [ "$(($(reads) - $1))" -gt "$2" ]; }
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; sleep 0.3; }
press() { xdotool key --delay 100 "$@"; sleep 0.2; }
# A box is up; Return dismisses it.
dismiss_box() {
  wait_for 20 "a message box" box_up
  focus "$(others | head -n 1)"
  press Return
  wait_for 10 "the message box to go" box_gone
}
# The mouse on the centre of a button given in dialog units (the template's
# 319 x 391), scaled to the window as drawn.
click_units() {
  local x=$1 y=$2
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove --window "$main" $((x * WIDTH / 319)) $((y * HEIGHT / 391)) click 1
}
read_all() { focus "$main"; click_units 28 65; } # 读取数据 at 7, 57, 42 x 17
connect() { focus "$main"; click_units 28 15; dismiss_box; } # 连接设备 at 7, 7

# --- 1. a second click during a download is dropped -------------------------
start_kestrix
connect
before=$(reads)
read_all
wait_for 20 "the download to start" reads_since "$before" 20
read_all # the button is dead now
settled() { local a; a=$(reads); sleep 1.5; [ "$a" = "$(reads)" ]; }
wait_for 60 "the download to end" settled
got=$(($(reads) - before))
[ "$got" -eq "$records" ] || fail "a second click replayed: $got record reads for $records records"
test -z "$(others)" || fail "a message box came up after a plain download"
echo "ok: one download of $records records; the click made during it was dropped"

# --- 2. Esc during a download stops it, the window stays ---------------------
before=$(reads)
read_all
wait_for 20 "the download to start" reads_since "$before" 10
focus "$main"
press Escape
dismiss_box
got=$(($(reads) - before))
[ "$got" -lt "$records" ] || fail "Esc did not stop the download ($got reads)"
sleep 1
[ "$(($(reads) - before))" -eq "$got" ] || fail "records were read after the stop"
kill -0 "$app" || fail "Kestrix ended on Esc during a download"
xdotool search --onlyvisible --pid "$app" --name '^Kestrix$' >/dev/null || fail "the window went"
echo "ok: Esc stopped the download after $got of $records records; the window stayed"
focus "$main"
press Escape
wait_for 10 "Kestrix to close on Esc" gone
wait "$app" || fail "Kestrix closed with a failure status"

# --- 3. the session ends during a download -----------------------------------
start_kestrix
connect
before=$(reads)
read_all
wait_for 20 "the download to start" reads_since "$before" 10
kill -TERM "$app"
wait_for 10 "Kestrix to end on SIGTERM" gone
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "Kestrix ended with status $status on SIGTERM"
got=$(reads)
sleep 1
[ "$(reads)" -eq "$got" ] || fail "the reader was still asked after the program ended"
echo "ok: SIGTERM during a download ended Kestrix cleanly"
