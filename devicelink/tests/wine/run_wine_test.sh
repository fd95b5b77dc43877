#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a test of a Windows build under Wine:
#
#   run_wine_test.sh WIDTH COMMAND...
#
# A 32-bit one where 32-bit programs are not run here (a kernel without
# 32-bit support, no wine32, KESTRIX_WINE_32=off) is skipped: one line says
# why and the status is 77, which the build gives CTest as the test's
# SKIP_RETURN_CODE. Anything else runs as it is.
set -eu
width=$1
shift
if [ "$width" = 32 ]; then
  scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)
  skip=$("$scripts/wine-loaders.sh" | sed -n 's/^KESTRIX_WINE32_SKIP=//p')
  if [ -n "$skip" ]; then
    echo "skipped: $skip"
    exit 77
  fi
fi
exec "$@"
