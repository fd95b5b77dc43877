#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything and runs every test: the fuzz targets for a minute each,
# the tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# whole suite with the Windows DLLs (64-bit and 32-bit) cross-built and tested
# under Wine. The closing lines list the tests skipped on this machine and
# why, and say whether any Wine process outlived its test.
#
#   scripts/test.sh            everything, as CI runs it
#   scripts/test.sh --quick    the normal build's unit and device tests only
set -euo pipefail
cd "$(dirname "$0")/.."

# wine_leftovers: Wine processes whose test or script has ended (another
# run's live session on this machine is not one).
wine_leftovers() { scripts/wine-members.sh --orphaned | sed 's/^/  /'; }

# skipped_tests BUILD: "name: reason" for each test that CTest's last run in
# BUILD did not run (its summary, kept in BUILD/ctest-output.txt); the reason
# is the line the test printed (CTest's log records a test that exits 77 as
# passed, so the log alone cannot tell).
skipped_tests() {
  local output=$1/ctest-output.txt log=$1/Testing/Temporary/LastTest.log
  [ -f "$output" ] || return 0
  sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$output" | while read -r name; do
    # Ours print "skipped: REASON"; GoogleTest prints "FILE:LINE: Skipped"
    # with the reason on the next line.
    reason=$(awk -v name="$name" '/^[0-9]+\/[0-9]+ Test: / { current = $3 }
      current != name { next }
      gtest { print; exit }
      /^skipped: / { print substr($0, 10); exit }
      /: Skipped$/ { gtest = 1 }' "$log" 2>/dev/null)
    echo "  $name ($1): ${reason:-see its output in $log}"
  done
}

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
# Most tests wait on the virtual reader, Wine or a display rather than work,
# so twice as many run at once as there are cores. Tests that must not meet
# take turns by CTest's resource locks (a Wine prefix) or run alone (the
# Debian packages' own build).
test_jobs=$((jobs * 2))
started=$SECONDS
# section TITLE: a heading with the minutes and seconds since the start.
section() { printf '== %s (at %d:%02d)\n' "$1" $(((SECONDS - started) / 60)) $(((SECONDS - started) % 60)); }

# The edit-build-test loop: the normal build, then its unit and device tests
# (no fuzzing, no sanitizers, no GUI, Wine or package tests), several at a
# time: most of them wait on the virtual reader rather than work.
# The builds and the quick run are CMakePresets.json's.
if [ "${1:-}" = --quick ]; then
  cmake --preset dev >/dev/null
  cmake --build build -j "$jobs"
  exec ctest --preset quick -j "$test_jobs"
fi

section "Fuzz targets (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)"
scripts/fuzz.sh "${KESTRIX_FUZZ_SECONDS:-60}"

section "Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# The Windows builds are not instrumented and are tested once, in build/.
cmake --preset sanitize >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize -j "$test_jobs" --output-on-failure --timeout 300 | tee build-sanitize/ctest-output.txt

section "All tests, the Windows DLLs under Wine among them"
cmake --preset dev >/dev/null
cmake --build build -j "$jobs"
status=0
ctest --test-dir build -j "$test_jobs" --output-on-failure --timeout 300 | tee build/ctest-output.txt || status=$?

section "Closing"
# A session's processes end with its test; a few seconds may pass while the
# reaper of the last one stops the server.
for _ in $(seq 60); do
  [ -z "$(wine_leftovers)" ] && break
  sleep 0.5
done
left=$(wine_leftovers)
if [ -n "$left" ]; then
  echo "Wine processes outlived their tests:"
  echo "$left"
  status=1
else
  echo "No Wine process outlived its test."
fi
skipped=$(skipped_tests build-sanitize; skipped_tests build)
if [ -n "$skipped" ]; then
  echo "Skipped here:"
  echo "$skipped"
else
  echo "No test was skipped."
fi
scripts/wine-loaders.sh --say
exit "$status"
