#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The download through the Windows dialog under Wine: kestrix_dialog_probe.exe
# (the real dialog from the resources, the real steps and kestlink.dll) reads
# all of a virtual reader's records (115200 baud, paced as the wire is) while
# its list-view paints on a virtual X server; prints milliseconds per record,
# the count before the download included.
#
#   bench/windows_dialog_download.sh [BUILD_DIR] [RECORDS]
#
# BUILD_DIR is a normal build with the Windows builds (default build); the
# benchmarks' Wine prefix there (wine-prefix-bench) is used, or the one
# KESTLINK_WINE_PREFIX names (the test command's brief run takes its
# 64-bit tests' prefix). Where
# 32-bit programs do not run (scripts/wine-loaders.sh), the x86 build is
# left out with the reason.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
records=${2:-1000}
[ -z "${KESTRIX_BENCH_UNDER_XVFB:-}" ] &&
  exec env KESTRIX_BENCH_UNDER_XVFB=1 scripts/with-xvfb.sh "$0" "$build" "$records"

# shellcheck source=scripts/wine-prefix.sh
. scripts/wine-prefix.sh
wine_guard
# shellcheck source=scripts/programs.sh
. scripts/programs.sh
kestsim=$(program "$build" kestsim_cli)
work=$(mktemp -d)
ks=""
cleanup() {
  [ -n "$ks" ] && kill "$ks" 2>/dev/null
  wine_stop
  rm -rf "$work"
}
trap cleanup EXIT

"$kestsim" --records "$records" >"$work/kestsim.out" 2>"$work/kestsim.err" &
ks=$!
for _ in $(seq 50); do grep -q '^KESTLINK_PORT_DIR=' "$work/kestsim.out" && break; sleep 0.2; done
wine_start "${KESTLINK_WINE_PREFIX:-$build/wine-prefix-bench}" "$work" "$(sed -n 's/^KESTLINK_PORT_DIR=//p' "$work/kestsim.out")"
export KESTRIX_BENCH_LOG="$work/programs.log"

for arch in x64 x86; do
  width=64
  [ "$arch" = x86 ] && width=32
  if ! loader=$(wine_program "$width" 2>"$work/why"); then
    echo "Windows dialog $arch: not run: $(cat "$work/why")"
    continue
  fi
  probe=$(program "$build/windows-$arch" kestrix_dialog_probe)
  (cd "$(dirname "$probe")" && python3 - "$arch" "$records" "$loader" <<'PY'
import os, subprocess, sys, time
arch, records, loader = sys.argv[1], int(sys.argv[2]), sys.argv[3]
env = dict(os.environ)
if arch == "x86":
    # The 32-bit loader as Debian's `wine` starts it: without WINELOADER.
    env.pop("WINELOADER", None)
probe = subprocess.Popen([loader, "kestrix_dialog_probe.exe"], stdin=subprocess.PIPE,
                         stdout=subprocess.PIPE, stderr=open(os.environ["KESTRIX_BENCH_LOG"], "a"),
                         text=True, env=env)
def call(command):
    probe.stdin.write(command + "\n")
    probe.stdin.flush()
    return probe.stdout.readline().strip()
assert probe.stdout.readline().startswith("ready")
call("click 1000")  # 连接设备
call("idle")
call("forget")
start = time.monotonic()
call("click 1002")  # 读取数据
call("idle")
seconds = time.monotonic() - start
rows = int(call("rowcount"))
said = call("said")
probe.stdin.write("quit\n")
probe.stdin.flush()
probe.wait()
if rows != records or said != "0":
    sys.exit(f"{arch}: {rows} rows, messages {said}")
print(f"Windows dialog {arch}: {records} records in {seconds:.2f} s, {seconds * 1000 / records:.2f} ms/record")
PY
  )
done
