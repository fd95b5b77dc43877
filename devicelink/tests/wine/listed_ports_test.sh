#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows DLLs find a reader on a COM port that Windows lists beyond COM3
# to COM9 (a USB serial adapter numbered COM12), with COM3 to COM9 absent or
# silent, never ask one on a port Windows does not list (COM11), and say why
# each port failed when none answers.
#
#   listed_ports_test.sh KESTSIM WINDOWS_X64_DIR WINDOWS_X86_DIR
#
# Each DIR holds kestlink.dll, kestlink_probe.exe and
# kestlink_read_records.exe. KESTLINK_WINE_PREFIX names the prefix: the port
# is listed in its registry (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, volatile:
# gone with the server) beside dosdevices/com12, as Windows lists an
# adapter's port. A 32-bit build where 32-bit programs do not run is left out
# with the reason.
set -euo pipefail
kestsim=$(realpath "$1")
builds=("$(realpath "$2")" "$(realpath "$3")")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../../scripts/wine-prefix.sh
. "$here/../../../scripts/wine-prefix.sh"
wine_guard

work=$(mktemp -d)
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wine_stop
  rm -rf "$work"
}
trap finish EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

ports=$work/ports
"$kestsim" --dir "$ports" --port 12 --records 7 >"$work/kestsim.out" 2>"$work/kestsim.err" &
reader=$!
pids+=($reader)
for _ in $(seq 100); do [ -L "$ports/COM12" ] && break; sleep 0.05; done
# COM11: a reader on a port Windows does not list, which is never asked.
"$kestsim" --dir "$work/unlisted" --port 11 --records 7 --log >"$work/unlisted.out" 2>"$work/unlisted.log" &
pids+=($!)
for _ in $(seq 100); do [ -L "$work/unlisted/COM11" ] && break; sleep 0.05; done
ln -s "$work/unlisted/COM11" "$ports/COM11"
# COM5: a port that never answers.
python3 -c '
import os, pty, sys, time
master, slave = pty.openpty()
os.symlink(os.ttyname(slave), sys.argv[1])
while True:
    time.sleep(60)' "$ports/COM5" &
pids+=($!)
for _ in $(seq 100); do [ -L "$ports/COM5" ] && break; sleep 0.05; done

logs=${KESTLINK_WINE_PREFIX}-logs
mkdir -p "$logs"
wine_start "$KESTLINK_WINE_PREFIX" "$logs" "$ports"
"$KESTRIX_WINE64" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\KestlinkUsb0' /t REG_SZ /d COM12 /f \
  >>"$logs/programs.log" 2>&1

# width_of DIR: 32 or 64, from the build's folder name.
width_of() { case "$1" in *x86*) echo 32 ;; *) echo 64 ;; esac; }
# windows DIR PROGRAM ARGS...: a program of the build in DIR, through the
# loader of its width (the 32-bit one without the 64-bit WINELOADER).
windows() {
  local dir=$1 loader
  shift
  loader=$(wine_program "$(width_of "$dir")") || return
  if [ "$(width_of "$dir")" = 32 ]; then
    (cd "$dir" && env -u WINELOADER "$loader" "$@")
  else
    (cd "$dir" && "$loader" "$@")
  fi
}
# The builds whose width runs here; the others are said and left out.
runnable=()
for dir in "${builds[@]}"; do
  if wine_program "$(width_of "$dir")" >/dev/null 2>"$work/why"; then
    runnable+=("$dir")
  else
    echo "$(width_of "$dir")-bit: not run: $(cat "$work/why")"
  fi
done
[ "${#runnable[@]}" -gt 0 ] || { echo "no build could run"; exit 1; }

declare -A found_ms
for dir in "${runnable[@]}"; do
  width=$(width_of "$dir")
  # The probe times the call inside Windows: COM3 to COM9 first (COM5 silent),
  # then the listed COM12.
  answer=$(printf 'KX_Connect\nKX_QueryNumber 0000\nKX_Close\n' |
    windows "$dir" kestlink_probe.exe 2>>"$logs/programs.log" | tr -d '\r' | grep -v '^ready')
  connect=$(sed -n 1p <<<"$answer")
  count=$(sed -n 2p <<<"$answer")
  if [ "${connect%% *}" = 1 ] && [ "$count" = "1 $(cut -d' ' -f2 <<<"$count") 0700" ]; then
    found_ms[$width]=$(awk '{printf "%.0f", $2 / 1000}' <<<"$connect")
    echo "$width-bit: the reader on COM12 found in ${found_ms[$width]} ms (COM3 to COM9 first, COM5 silent)"
  else
    fail "$width-bit: no reader found on COM12: $answer"
  fi
done

# The reader gone: each port's reason, COM12 among them.
kill "$reader"
wait "$reader" 2>/dev/null || true
for dir in "${runnable[@]}"; do
  width=$(width_of "$dir")
  status=0
  why=$(windows "$dir" kestlink_read_records.exe 1 2>&1 >/dev/null | tr -d '\r') || status=$?
  for line in "no reader answered; the ports tried:" "  COM3: no such port" "  COM5: no answer" \
    "  COM9: no such port" "  COM12: no such port"; do
    grep -qxF -- "$line" <<<"$why" || fail "$width-bit: the reasons lack '$line': $why"
  done
  [ "$status" = 1 ] || fail "$width-bit: exit status $status, not 1"
  # A figure: what the reader's port added to the ports that fail before it.
  failing=$(printf 'KX_Connect\n' | windows "$dir" kestlink_probe.exe 2>>"$logs/programs.log" |
    tr -d '\r' | grep -v '^ready' | awk '{printf "%.0f", $2 / 1000}')
  if [ -n "${found_ms[$width]:-}" ] && [ -n "$failing" ]; then
    extra=$((found_ms[$width] - failing))
    echo "| connect on COM12, a listed port, over the ports before it ($width-bit DLL under Wine) | $extra ms | at most 500 ms | $([ "$extra" -le 500 ] && echo yes || echo NO) |"
  fi
  echo "$width-bit: the reasons when no reader answers:"
  sed 's/^/  /' <<<"$why"
done

grep -q '<-' "$work/unlisted.log" && fail "the reader on COM11, which Windows does not list, was asked: $(head -n 3 "$work/unlisted.log")"

[ "$failures" = 0 ] || exit 1
echo "all checks passed"
