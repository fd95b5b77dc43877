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
set -euo pipefail
cd "$(dirname "$0")/.."

records=${1:-1000}
if ! [[ "$records" =~ ^[0-9]+$ ]] || [ "$records" -lt 1 ] || [ "$records" -gt 65535 ]; then
  echo "usage: $0 [RECORDS]   (1 to 65535, default 1000)" >&2
  exit 2
fi

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIX_WINDOWS=ON >/dev/null
cmake --build build-bench -j "$jobs" --target kestlink_download_bench kestrix_dialog_bench kestrix_actions_bench \
  kestsim_cli kestlink_cli kestlink_read_records

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

echo "== Download: $records records through each build (about $((records * 140 / 1000 + 30)) s)"
build-bench/bench/kestlink_download_bench --records "$records" | tee "$logs/download"

echo "== Download through the dialog: $records records, twice (about $((records * 62 / 1000 + 5)) s)"
build-bench/bench/kestrix_dialog_bench --records "$records" | tee "$logs/dialog"

# The export is synced to the disk, so its scratch file goes in the build
# folder rather than a temporary folder that may live in memory. Debian's
# Google Benchmark warns that it was built as DEBUG: that concerns its own
# bookkeeping between iterations, not the code measured, which is Release.
echo "== List actions"
build-bench/bench/kestrix_actions_bench --dir build-bench | tee "$logs/actions"

# The figures of the two connect tests (each checks its own behaviour too).
echo "== Connect: a reader on the first USB adapter (Linux), on COM12 listed by Windows (Wine)"
{
  operator/cli/tests/usb_adapters_test.sh build-bench/simulator/kestsim build-bench/operator/cli/kestlink \
    build-bench/devicelink/kestlink_read_records || true
  mkdir -p build-bench/wine-prefix-ports
  KESTLINK_WINE_PREFIX=$PWD/build-bench/wine-prefix-ports devicelink/tests/wine/listed_ports_test.sh \
    build-bench/simulator/kestsim build-bench/windows-x64/devicelink build-bench/windows-x86/devicelink || true
} 2>&1 | grep -E '^(figure|skipped|FAILED|[0-9]+-bit: the reader|\| )' | tee "$logs/connect"

echo
echo "== Summary ($jobs cores, load average $(cut -d' ' -f1-3 /proc/loadavg))"
echo "| measure | figure | goal | met |"
echo "|---|---|---|---|"
grep -h '^| ' "$logs/download" "$logs/dialog" "$logs/actions" "$logs/connect"
