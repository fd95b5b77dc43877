#!/usr/bin/env bash
# The download through the Windows dialog under Wine: kestrix_dialog_probe.exe
# (the real dialog from the resources, the real steps and kestlink.dll) reads
# all of a virtual reader's records (115200 baud, paced as the wire is) while
# its list-view paints on a virtual X server; prints milliseconds per record,
# the count before the download included.
#
#   bench/windows_dialog_download.sh [BUILD_DIR] [RECORDS]
#
# BUILD_DIR is a normal build with the Windows builds (default build); its
# Wine prefix is used, so run it while no test of that build runs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
records=${2:-1000}
[ -z "${KESTRIX_BENCH_UNDER_XVFB:-}" ] &&
  exec env KESTRIX_BENCH_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$records"

# shellcheck source=scripts/wine-prefix.sh
. scripts/wine-prefix.sh
work=$(mktemp -d)
ks=""
cleanup() {
  [ -n "$ks" ] && kill "$ks" 2>/dev/null
  wine_stop
  rm -rf "$work"
}
trap cleanup EXIT

"$build/simulator/kestsim" --records "$records" >"$work/kestsim.out" 2>"$work/kestsim.err" &
ks=$!
for _ in $(seq 50); do grep -q '^KESTLINK_PORT_DIR=' "$work/kestsim.out" && break; sleep 0.2; done
wine_start "$build/wine-prefix" "$work" "$(sed -n 's/^KESTLINK_PORT_DIR=//p' "$work/kestsim.out")"

for arch in x64 x86; do
  (cd "$build/windows-$arch/operator/win32" && python3 - "$arch" "$records" <<'PY'
import subprocess, sys, time
arch, records = sys.argv[1], int(sys.argv[2])
probe = subprocess.Popen(["wine", "kestrix_dialog_probe.exe"], stdin=subprocess.PIPE,
                         stdout=subprocess.PIPE, text=True)
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
