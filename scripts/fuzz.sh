#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# the given number of seconds (default 60), starting from a scratch copy of its
# committed seeds in fuzz/corpus/ so that those stay as they are. Any finding
# (crash, broken invariant, sanitizer report, leak, time-out) fails the script;
# its input is kept in build-fuzz/artifacts/<target>/ and its log in
# build-fuzz/logs/. One summary line per target closes the output.
#
# Replay a finding: build-fuzz/<target> build-fuzz/artifacts/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*) echo "usage: $0 [seconds per target]" >&2; exit 2 ;;
esac

scripts/install-deps.sh

echo "== Building the fuzz targets (clang, build-fuzz/)"
CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja >/dev/null
cmake --build build-fuzz -j "$(nproc 2>/dev/null || echo 2)"
# shellcheck source=scripts/programs.sh
. scripts/programs.sh

# Target and its longest input: a reply read takes at most 64 bytes, so 96
# covers longer spans too; the comparison file is read up to 64 KiB, so
# inputs go past that; a record is 31 bytes and the row number 4.
targets=(
  "fuzz_reply_judgement 96"
  "fuzz_compare_scan 70000"
  "fuzz_row_from_record 35"
)

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/logs build-fuzz/artifacts

summaries=()
failed=0
for entry in "${targets[@]}"; do
  read -r target max_len <<<"$entry"
  cp -r "fuzz/corpus/$target" "$scratch/$target"
  artifacts="build-fuzz/artifacts/$target"
  mkdir -p "$artifacts"
  log="build-fuzz/logs/$target.log"

  echo "== $target: ${seconds} s"
  program=$(program build-fuzz "$target")
  status=0
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    "$program" "$scratch/$target" \
      -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1 || status=$?

  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  cov="$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)"
  # Edges instrumented: the project's code linked into the target, which
  # holds some that the target cannot reach (file input and output).
  edges="$(grep -Eo '\(([0-9]+) inline 8-bit counters\)' "$log" | grep -Eo '[0-9]+' | head -n 1 || true)"
  corpus="$(grep -Eo 'corp: [0-9]+/[0-9]+[bKM]?b?' "$log" | tail -n 1 || true)"
  seed="$(sed -n 's/^INFO: Seed: //p' "$log" | head -n 1)"
  # A sanitizer can report without the process failing (a leak after a
  # clean exit code, say): its report counts as a finding too.
  if [ "$status" -eq 0 ] && ! grep -qE '^(==[0-9]+== ?ERROR|SUMMARY: )' "$log"; then
    result="ok"
  else
    result="FAILED (exit $status; log $log; inputs in $artifacts/)"
    failed=1
    echo "-- last lines of $log:"
    tail -n 40 "$log"
  fi
  summaries+=("$(printf '%-22s %s executions, %s (of %s edges), %s, seed %s: %s' "$target" \
    "${runs:-?}" "${cov:-cov: ?}" "${edges:-?}" "${corpus:-corp: ?}" "${seed:-?}" "$result")")
done

echo "== Summary (${seconds} s per target)"
printf '%s\n' "${summaries[@]}"
exit "$failed"
