#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks in Release and runs them: the download against the
# virtual reader through this library and through the 64-bit and 32-bit
# Windows DLLs under Wine, the download through the real dialog (offscreen)
# into an empty list and one of 60,000 rows, and the program's list actions
# through its model, and the connect to a reader on the first USB serial
# adapter (Linux, on a private /dev) and on a COM port Windows lists beyond
# COM9 (both DLLs under Wine).
# Prints their figures and then one summary table. A missed goal is reported
# in the table, never turned into a failure.
#
#   scripts/bench.sh [RECORDS]   records downloaded in each read mode (default 1000)
#
# The build is build-bench/, in Release. KESTRIX_BUILD_DIR names another
# folder, which keeps its own settings (the test command runs this briefly
# in its normal build, to see that it still runs to its table).
set -euo pipefail
cd "$(dirname "$0")/.."

records=${1:-1000}
if ! [[ "$records" =~ ^[0-9]+$ ]] || [ "$records" -lt 1 ] || [ "$records" -gt 65535 ]; then
  echo "usage: $0 [RECORDS]   (1 to 65535, default 1000)" >&2
  exit 2
fi

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
build=${KESTRIX_BUILD_DIR:-build-bench}
settings=()
[ -z "${KESTRIX_BUILD_DIR:-}" ] && settings=(-DCMAKE_BUILD_TYPE=Release -DKESTRIX_WINDOWS=ON)
cmake -S . -B "$build" -G Ninja "${settings[@]}" >/dev/null
cmake --build "$build" -j "$jobs" --target kestlink_download_bench kestrix_dialog_bench kestrix_actions_bench \
  kestsim_cli kestlink_cli kestlink_read_records
# shellcheck source=scripts/programs.sh
. scripts/programs.sh
download_bench=$(program "$build" kestlink_download_bench)
dialog_bench=$(program "$build" kestrix_dialog_bench)
actions_bench=$(program "$build" kestrix_actions_bench)
kestsim=$(program "$build" kestsim_cli)
kestlink=$(program "$build" kestlink_cli)
read_records=$(program "$build" kestlink_read_records)
dll64=$(program "$build/windows-x64" kestlink)
dll32=$(program "$build/windows-x86" kestlink)

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

echo "== Download: $records records through each build (about $((records * 140 / 1000 + 30)) s)"
"$download_bench" --records "$records" | tee "$logs/download"

echo "== Download through the dialog: $records records, twice (about $((records * 62 / 1000 + 5)) s)"
"$dialog_bench" --records "$records" | tee "$logs/dialog"

# The export is synced to the disk, so its scratch file goes in the build
# folder rather than a temporary folder that may live in memory. Debian's
# Google Benchmark warns that it was built as DEBUG: that concerns its own
# bookkeeping between iterations, not the code measured, which is Release.
echo "== List actions"
"$actions_bench" --dir "$build" | tee "$logs/actions"

# The figures of the two connect tests (each checks its own behaviour too).
echo "== Connect: a reader on the first USB adapter (Linux), on COM12 listed by Windows (Wine)"
{
  operator/cli/tests/usb_adapters_test.sh "$kestsim" "$kestlink" "$read_records" || true
  mkdir -p "$build/wine-prefix-ports"
  KESTLINK_WINE_PREFIX=$(cd "$build" && pwd)/wine-prefix-ports devicelink/tests/wine/listed_ports_test.sh \
    "$kestsim" "$(dirname "$dll64")" "$(dirname "$dll32")" || true
} 2>&1 | grep -E '^(figure|skipped|FAILED|[0-9]+-bit: the reader|\| )' | tee "$logs/connect"

echo
echo "== Summary ($jobs cores, load average $(cut -d' ' -f1-3 /proc/loadavg))"
echo "| measure | figure | goal | met |"
echo "|---|---|---|---|"
grep -h '^| ' "$logs/download" "$logs/dialog" "$logs/actions" "$logs/connect"
