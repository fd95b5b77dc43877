#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The README's run command as a newcomer types it, judged without a person:
# scripts/run.sh --check (installs what is missing, builds, starts the
# virtual reader and Kestrix, presses 连接设备 and 读取数据, saves the list)
# on the build under test, then what a newcomer would look at: the exit
# status, the "check passed" line, the screenshot (a picture of the window,
# not blank). The Linux run also has the library's trace on, as the user
# guide shows it (KESTLINK_TRACE=1 ./scripts/run.sh): a line for each
# record read must reach standard error.
#
#   run_check_test.sh BUILD [--windows]
set -uo pipefail
build=$1
windows=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; echo "--- run.sh's output:"; cat "$work/out"; echo "--- its errors (last 40 lines):"; tail -n 40 "$work/err"; exit 1; }

shot=$work/screenshot.png
trace=()
[ -z "$windows" ] && trace=(KESTLINK_TRACE=1)
started=$SECONDS
status=0
env "${trace[@]}" KESTRIX_BUILD_DIR="$build" "$here/../run.sh" $windows --check "$shot" >"$work/out" 2>"$work/err" || status=$?
echo "run.sh ${windows:+$windows }--check took $((SECONDS - started)) s"
[ "$status" -eq 0 ] || fail "run.sh --check ended with status $status"
grep -qx 'run.sh: check passed' "$work/out" || fail "no 'check passed' line"
grep -q '^check: 保存文件 wrote the 300 rows of the list$' "$work/out" || fail "the list's 300 rows were not seen"

[ -f "$shot" ] || fail "no screenshot at $shot"
read -r format width height colours < <(identify -format '%m %w %h %k\n' "$shot" 2>/dev/null)
[ "${format:-}" = PNG ] || fail "the screenshot is no PNG (${format:-unreadable})"
# The dialog is 319 x 391 dialog units: about 480 x 590 pixels at 9 points.
[ "$width" -ge 400 ] && [ "$height" -ge 500 ] || fail "the screenshot is ${width}x$height, not the dialog's size"
[ "$colours" -ge 32 ] || fail "the screenshot is blank ($colours colours)"
echo "screenshot: ${width}x$height, $colours colours"

if [ -z "$windows" ]; then
  reads=$(grep -c '^kestlink: read-record: ' "$work/err" || true)
  [ "$reads" -ge 300 ] || fail "KESTLINK_TRACE=1 traced $reads record reads, not 300"
  echo "the trace has a line for each of the $reads record reads"
fi
grep '^check: ' "$work/out"
