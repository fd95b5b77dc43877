#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The long run: builds kestlink_soak and drives the library with [calls] calls
# (default 10000, about ten minutes) against the virtual reader, a random fault
# on each reply. Its exit status is the soak's: 0 only when every figure is
# clean. A second argument is passed on as the seed, to repeat a run.
# KESTRIX_BUILD_DIR names another build folder than build/.
set -euo pipefail
cd "$(dirname "$0")/.."

calls=${1:-10000}
args=(--calls "$calls")
if [ $# -ge 2 ]; then args+=(--seed "$2"); fi

build=${KESTRIX_BUILD_DIR:-build}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target kestlink_soak
# shellcheck source=scripts/programs.sh
. scripts/programs.sh
soak=$(program "$build" kestlink_soak)

status=0
"$soak" "${args[@]}" || status=$?
exit "$status"
