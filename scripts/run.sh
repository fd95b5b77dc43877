#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main job on a fresh machine: installs what is missing, builds, starts the
# virtual reader with 300 sample records on a temporary port directory and
# opens Kestrix on it. Press "连接设备", then "读取数据", and the list fills.
# Closing Kestrix stops the virtual reader.
#
# With KESTLINK_PORT_DIR already set (a real reader linked as COM3...), the
# virtual reader is not started and the real one is used.
#
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the same runs on
# a virtual X server and is driven by simulated key presses: connect, read all
# records, then a screenshot of the window goes to docs/kestrix-screenshot.png
# (or the file given as the first argument) and Kestrix is closed.
#
# scripts/run.sh --windows [SCREENSHOT] does the same with the Windows
# Kestrix.exe (64-bit) under Wine, in a Wine prefix of its own
# (build/wine-run-prefix) whose COM1..COM12 are the reader's links and whose
# Chinese dialog fonts are mapped to an installed one
# (scripts/wine-cjk-fonts.sh); the screenshot goes to
# docs/kestrix-windows-screenshot.png.
#
# KESTRIX_BUILD_DIR names another build folder than build/.
set -euo pipefail
cd "$(dirname "$0")/.."

die() { echo "run.sh: $*" >&2; exit 1; }

windows=""
if [ "${1:-}" = "--windows" ]; then
  windows=1
  shift
fi
build=${KESTRIX_BUILD_DIR:-build}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja >/dev/null
if [ -n "$windows" ]; then
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target kestsim_cli kestlink_windows_x64
else
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target kestsim_cli kestrix
fi

# shellcheck source=scripts/wine-prefix.sh
. scripts/wine-prefix.sh
# shellcheck source=scripts/xvfb.sh
. scripts/xvfb.sh
# The Windows program's reader, screen and Wine end with this script,
# however it ends.
if [ -n "$windows" ]; then wine_guard; fi
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-run.XXXXXX")
# app_pid is what the script started; window_pid owns Kestrix's windows. The
# two are the same for the Linux program; under Wine app_pid is start.exe,
# which lives as long as the program, and the program is a process of its own.
sim_pid="" XVFB_PID="" app_pid="" window_pid=""
cleanup() {
  wine_stop
  stop_process "$app_pid"
  stop_process "$sim_pid"
  stop_process "$XVFB_PID"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# wait_for SECONDS WHAT COMMAND...: polls COMMAND every 0.2 s until it
# succeeds; gives up with an error naming WHAT. The program dying meanwhile
# is reported at once rather than after the whole wait.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  local tries=$((seconds * 5))
  for _ in $(seq "$tries"); do
    "$@" && return 0
    if [ -n "$app_pid" ] && ! kill -0 "$app_pid" 2>/dev/null; then
      die "Kestrix exited while waiting for $what"
    fi
    sleep 0.2
  done
  die "gave up after ${seconds}s waiting for $what"
}

# --- the reader ---------------------------------------------------------
if [ -z "${KESTLINK_PORT_DIR:-}" ]; then
  # A plain file rather than a pipe: kestsim can go on writing to it after
  # the first line has been read without ever blocking or getting SIGPIPE.
  build/simulator/kestsim --records 300 >"$work/kestsim.out" 2>"$work/kestsim.err" &
  sim_pid=$!
  sim_ready() {
    kill -0 "$sim_pid" 2>/dev/null || die "kestsim stopped: $(cat "$work/kestsim.err")"
    head -n 1 "$work/kestsim.out" | grep -q '^KESTLINK_PORT_DIR=.'
  }
  wait_for 20 "kestsim to announce its port directory" sim_ready
  line=$(head -n 1 "$work/kestsim.out")
  export KESTLINK_PORT_DIR="${line#KESTLINK_PORT_DIR=}"
  echo "virtual reader: $KESTLINK_PORT_DIR/COM3 with 300 records"
else
  echo "using the reader in $KESTLINK_PORT_DIR"
fi

# --- the Wine prefix -----------------------------------------------------
start_wine() {
  wine_start "$(cd "$build" && pwd)/wine-run-prefix" "$work" "$KESTLINK_PORT_DIR" || die "no Wine prefix"
  scripts/wine-cjk-fonts.sh
}
windows_program="$build/windows-x64/operator/win32"
if [ -n "$windows" ]; then
  [ -f "$windows_program/Kestrix.exe" ] || die "$windows_program/Kestrix.exe was not built"
fi

# start_kestrix: the Linux program, or the Windows one in its own folder,
# where kestlink.dll is. Wine's first program of a session picks the display
# for all of them (one started without DISPLAY leaves every later window
# without a driver), so the prefix is started once the display is known.
start_kestrix() {
  if [ -n "$windows" ]; then
    start_wine
    (cd "$windows_program" && exec "$KESTRIX_WINE64" Kestrix.exe) &
    app_pid=$!
  else
    "$build/operator/kestrix" &
    app_pid=$!
    window_pid=$app_pid
  fi
}

# --- with a display: the newcomer drives -------------------------------------
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  if [ -n "$windows" ] && [ -z "${DISPLAY:-}" ]; then
    die "Wine draws on X: DISPLAY is not set (Xwayland sets it)"
  fi
  echo 'Kestrix is open: press "连接设备", then "读取数据".'
  start_kestrix
  wait "$app_pid" || true
  app_pid=""
  exit 0
fi

# --- without one: a virtual screen and simulated keys ------------------------
if [ -n "$windows" ]; then
  screenshot=${1:-docs/kestrix-windows-screenshot.png}
else
  screenshot=${1:-docs/kestrix-screenshot.png}
fi
mkdir -p "$(dirname "$screenshot")"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/install-deps.sh installs it)"
done

xvfb_start "$work" 1024x768 || die "no virtual X server"
# Qt wants a private runtime directory and warns without one.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
echo "virtual screen $DISPLAY (1024x768)"

start_kestrix

# visible_windows: the program's mapped windows, one id a line.
visible_windows() { xdotool search --onlyvisible --pid "$window_pid" 2>/dev/null || true; }
# main_window: sets $main. The Windows program's process is not known
# before its window is; the virtual screen holds no other "Kestrix".
main_window() {
  main=$(xdotool search --onlyvisible ${window_pid:+--pid "$window_pid"} --name '^Kestrix$' 2>/dev/null | head -n 1)
  [ -n "$main" ] || return 1
  [ -n "$window_pid" ] || window_pid=$(xdotool getwindowpid "$main")
}
wait_for 30 'the window titled "Kestrix"' main_window
echo "Kestrix window $main is up"

# There is no window manager to hand out the keyboard: give it explicitly.
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; sleep 0.3; }
press() { xdotool key --delay 150 "$@"; sleep 0.3; }

# new_window: a mapped window of the program other than the main one (a
# message box); sets $box.
new_window() {
  box=$(visible_windows | grep -vx "$main" | head -n 1)
  [ -n "$box" ]
}
box_gone() { ! visible_windows | grep -qx "$box"; }

# The dialog opens with the focus on "关闭软件"; Tab moves to "连接设备".
focus "$main"
press Tab space
wait_for 20 'the message box after "连接设备"' new_window
echo "message box $box: $(xdotool getwindowname "$box" 2>/dev/null || echo '?')"
focus "$box"
press Return
wait_for 10 "the message box to close" box_gone

# snapshot FILE: the window's pixels without metadata, so that two equal
# pictures are equal files.
snapshot() { import -silent -window "$main" "ppm:$1" 2>/dev/null; }
changed() {
  # A message box instead of a download: most likely no reader answered.
  new_window && die "a message box came up instead of the download (no reader connected?)"
  snapshot "$work/now.ppm" && ! cmp -s "$work/before.ppm" "$work/now.ppm"
}
# settled: nothing on the window moved for 2 s; the progress bar and the
# list move while records arrive, so this is the end of the download.
settled() {
  snapshot "$work/now.ppm" || return 1
  if cmp -s "$work/last.ppm" "$work/now.ppm"; then
    quiet=$((quiet + 1))
  else
    quiet=0
    mv "$work/now.ppm" "$work/last.ppm"
  fi
  [ "$quiet" -ge 10 ]
}

# Two more Tabs: "断开连接", then "读取数据".
focus "$main"
press Tab Tab
snapshot "$work/before.ppm" || die "cannot take a picture of the window"
press space
echo "reading the records..."
wait_for 20 'the download to start (is "读取数据" focused?)' changed
quiet=0
cp "$work/now.ppm" "$work/last.ppm"
wait_for 180 "the download to end" settled
if new_window; then
  echo "run.sh: a message box came up after the download: $(xdotool getwindowname "$box")" >&2
fi

# -strip leaves out the time stamps, so the same picture gives the same file.
import -silent -window "$main" -strip "$screenshot" || die "the screenshot failed"
echo "screenshot: $(cd "$(dirname "$screenshot")" && pwd)/$(basename "$screenshot")"

# Escape closes the dialog like "关闭软件"; a stuck program is stopped.
focus "$main"
press Escape
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$app_pid" 2>/dev/null; then
  echo "run.sh: Kestrix did not close on Escape; stopping it" >&2
fi
