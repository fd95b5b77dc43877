#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main job on a fresh machine: installs what is missing, builds, starts the
# virtual reader with 300 sample records on a temporary port directory and
# opens Kestrix on it. Press "连接设备", then "读取数据", and the list fills.
# Closing Kestrix stops the virtual reader.
#
#   scripts/run.sh [--windows] [--check] [SCREENSHOT]
#
# With KESTLINK_PORT_DIR already set (a real reader linked as COM3...), the
# virtual reader is not started and the real one is used.
#
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the same runs on
# a virtual X server and is driven by simulated key presses: connect, read all
# records, then a screenshot of the window goes to docs/kestrix-screenshot.png
# (or SCREENSHOT) and Kestrix is closed.
#
# --windows does the same with the Windows Kestrix.exe (64-bit) under Wine,
# in a Wine prefix of its own (build/wine-run-prefix) whose COM1..COM12 are
# the reader's links and whose Chinese dialog fonts are mapped to an
# installed one (scripts/wine-cjk-fonts.sh); the screenshot goes to
# docs/kestrix-windows-screenshot.png.
#
# --check is the same run judged without a person, as the test command runs
# it: always the virtual reader and a virtual X server of its own, even
# where a display or a reader is at hand; the screenshot goes to
# BUILD/run-check/ unless SCREENSHOT is given. After the download it checks
# what a newcomer sees: the screenshot is not blank, the list holds the 300
# records (保存文件 writes them to a CSV file, which must hold 300 rows under
# the GBK header; under Wine the window probe also counts the list's rows),
# and Kestrix closes on Esc with status 0. It ends with "run.sh: check passed" and status 0, or
# with a reason and status 1.
#
# Whatever it started (the reader, Xvfb, Wine, Kestrix) ends with it, also
# when it is killed (scripts/wine-reaper.sh). KESTRIX_BUILD_DIR names another
# build folder than build/.
set -euo pipefail
cd "$(dirname "$0")/.."

die() { echo "run.sh: $*" >&2; exit 1; }

windows="" check=""
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) windows=1 ;;
    --check) check=1 ;;
    -*) die "usage: scripts/run.sh [--windows] [--check] [SCREENSHOT]" ;;
    *) break ;;
  esac
  shift
done
build=${KESTRIX_BUILD_DIR:-build}
records=300

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja >/dev/null
targets=(kestsim_cli kestrix)
if [ -n "$windows" ]; then
  targets=(kestsim_cli kestlink_windows_x64)
  # The probe that counts the Windows list's rows.
  [ -n "$check" ] && targets+=(kestrix_installer_probe)
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

# shellcheck source=scripts/programs.sh
. scripts/programs.sh
# shellcheck source=scripts/wine-prefix.sh
. scripts/wine-prefix.sh
# shellcheck source=scripts/xvfb.sh
. scripts/xvfb.sh
# shellcheck source=scripts/dialog-input.sh
. scripts/dialog-input.sh

kestsim=$(program "$build" kestsim_cli) || die "no virtual reader"
if [ -n "$windows" ]; then
  kestrix=$(program "$build/windows-x64" Kestrix) || die "no Kestrix.exe"
  if [ -n "$check" ]; then
    window_probe=$(program "$build/windows-installer-probe" kestrix_window_probe) || die "no window probe"
  fi
else
  kestrix=$(program "$build" kestrix) || die "no Kestrix"
fi

# From here on the reader, the screen, Wine and Kestrix end with this
# script, however it ends: a kill -9 included.
wine_guard
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-run.XXXXXX")
# app_pid is what the script started; window_pid owns Kestrix's windows
# (under Wine it is known once the window is).
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
# The check counts the virtual reader's records, so it never takes a real one.
[ -n "$check" ] && unset KESTLINK_PORT_DIR
if [ -z "${KESTLINK_PORT_DIR:-}" ]; then
  # A plain file rather than a pipe: kestsim can go on writing to it after
  # the first line has been read without ever blocking or getting SIGPIPE.
  "$kestsim" --records "$records" >"$work/kestsim.out" 2>"$work/kestsim.err" &
  sim_pid=$!
  sim_ready() {
    kill -0 "$sim_pid" 2>/dev/null || die "kestsim stopped: $(cat "$work/kestsim.err")"
    head -n 1 "$work/kestsim.out" | grep -q '^KESTLINK_PORT_DIR=.'
  }
  wait_for 20 "kestsim to announce its port directory" sim_ready
  line=$(head -n 1 "$work/kestsim.out")
  export KESTLINK_PORT_DIR="${line#KESTLINK_PORT_DIR=}"
  echo "virtual reader: $KESTLINK_PORT_DIR/COM3 with $records records"
else
  echo "using the reader in $KESTLINK_PORT_DIR"
fi

# start_kestrix: the Linux program, or the Windows one in its own folder,
# where kestlink.dll is. Wine's first program of a session picks the display
# for all of them (one started without DISPLAY leaves every later window
# without a driver), so the prefix is started once the display is known.
start_kestrix() {
  if [ -n "$windows" ]; then
    wine_start "$(cd "$build" && pwd)/wine-run-prefix" "$work" "$KESTLINK_PORT_DIR" || die "no Wine prefix"
    scripts/wine-cjk-fonts.sh
    (cd "$(dirname "$kestrix")" && exec "$KESTRIX_WINE64" "$(basename "$kestrix")") &
    app_pid=$!
  else
    "$kestrix" &
    app_pid=$!
    window_pid=$app_pid
  fi
}

# --- with a display: the newcomer drives -------------------------------------
if [ -z "$check" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
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
if [ -n "${1:-}" ]; then
  screenshot=$1
elif [ -n "$check" ]; then
  screenshot=$build/run-check/kestrix${windows:+-windows}-screenshot.png
else
  screenshot=docs/kestrix${windows:+-windows}-screenshot.png
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

# new_window: a mapped window of the program other than the main one (a
# message box, a file dialog); sets $box.
new_window() {
  box=$(visible_windows | grep -vx "$main" | head -n 1)
  [ -n "$box" ]
}
box_gone() { ! visible_windows | grep -qx "$box"; }
# answer_box WHAT: waits for the box that WHAT brings up and presses its
# default button.
answer_box() {
  wait_for 20 "the message box after $1" new_window
  echo "message box $box after $1: $(xdotool getwindowname "$box" 2>/dev/null || echo '?')"
  focus_window "$box"
  press_keys Return
  wait_for 10 "the message box after $1 to close" box_gone
}

# The dialog opens with the focus on "关闭软件"; Tab moves to "连接设备".
focus_window "$main"
press_keys Tab space
answer_box '"连接设备"'

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
focus_window "$main"
press_keys Tab Tab
snapshot "$work/before.ppm" || die "cannot take a picture of the window"
press_keys space
echo "reading the records..."
wait_for 20 'the download to start (is "读取数据" focused?)' changed
quiet=0
cp "$work/now.ppm" "$work/last.ppm"
wait_for 180 "the download to end" settled
if new_window; then
  message="a message box came up after the download: $(xdotool getwindowname "$box")"
  [ -n "$check" ] && die "$message"
  echo "run.sh: $message" >&2
fi

# -strip leaves out the time stamps, so the same picture gives the same file.
import -silent -window "$main" -strip "$screenshot" || die "the screenshot failed"
echo "screenshot: $(cd "$(dirname "$screenshot")" && pwd)/$(basename "$screenshot")"

if [ -n "$check" ]; then
  # A window drawn with text has hundreds of colours; a blank or unpainted
  # one a handful.
  colours=$(identify -format '%k' "$screenshot")
  [ "$colours" -ge 32 ] || die "the screenshot is blank: $colours colours"
  echo "check: the screenshot has $colours colours"

  if [ -n "$windows" ]; then
    rows=$(cd "$(dirname "$window_probe")" && "$KESTRIX_WINE64" "$(basename "$window_probe")" --rows 2>>"$work/probe.log" |
      tr -d '\r' | sed -n 's/^rows //p')
    [ "$rows" = "$records" ] || die "the window probe counts ${rows:-no} rows in the list, not $records"
    echo "check: the window probe counts $records rows in the list"
  fi

  # 保存文件 writes the list as it is to a new CSV file: a header and a line
  # a row. The file's name is typed into the file dialog.
  mkdir "$work/saved"
  csv=$work/saved/records.csv
  typed=$csv
  [ -n "$windows" ] && typed="Z:${csv//\//\\}"
  focus_window "$main"
  click_dialog_units "$main" 28 140 # 保存文件 at 7, 132, 42 x 17
  wait_for 20 'the file dialog after "保存文件"' new_window
  focus_window "$box"
  xdotool type --delay 20 "$typed"
  press_keys Return
  wait_for 20 "the file dialog to close" box_gone
  answer_box '"保存文件"'
  [ -f "$csv" ] || die "保存文件 wrote no $csv"
  # The file is in GBK, as 保存文件 writes it.
  header=$(head -n 1 "$csv" | iconv -f GBK -t UTF-8)
  [ "$header" = "序号,卡号,时间,标记 " ] || die "the CSV file starts with: $header"
  saved=$(grep -cE '^[0-9]{5},.{16},[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9:]{8},.$' "$csv" || true)
  lines=$(wc -l <"$csv")
  [ "$saved" = "$records" ] && [ "$lines" = $((records + 1)) ] ||
    die "the saved list holds $saved rows of $records ($lines lines)"
  echo "check: 保存文件 wrote the $records rows of the list"
fi

# Escape closes the dialog like "关闭软件"; a stuck program is stopped.
focus_window "$main"
press_keys Escape
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$app_pid" 2>/dev/null; then
  [ -n "$check" ] && die "Kestrix did not close on Escape"
  echo "run.sh: Kestrix did not close on Escape; stopping it" >&2
elif [ -n "$check" ]; then
  status=0
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" -eq 0 ] || die "Kestrix ended with status $status"
  echo "check: Kestrix closed on Esc with status 0"
  echo "run.sh: check passed"
fi
