#!/usr/bin/env bash
# Builds everything and runs every test: the fuzz targets for a minute each,
# the tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# whole suite with the Windows DLLs (64-bit and 32-bit) cross-built and tested
# under Wine, whose CTest summary closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

echo "== Fuzz targets (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)"
scripts/fuzz.sh "${KESTRIX_FUZZ_SECONDS:-60}"

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# The Windows builds are not instrumented and are tested once, in build/.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=ON -DKESTRIX_WINDOWS=OFF >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure --timeout 300

echo "== All tests, the Windows DLLs under Wine among them"
cmake -S . -B build -G Ninja -DKESTRIX_WINDOWS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --timeout 300
