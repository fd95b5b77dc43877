#!/usr/bin/env bash
# Builds everything and runs every test: the Windows cross build and its export
# table, the fuzz targets for a minute each, the tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the whole suite, whose CTest summary
# closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

echo "== Windows cross build: export table"
scripts/check-windows-exports.sh

echo "== Fuzz targets (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)"
scripts/fuzz.sh "${KESTRIX_FUZZ_SECONDS:-60}"

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure --timeout 300

echo "== All tests"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --timeout 300
