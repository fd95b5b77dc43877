#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The C example against the virtual reader program: it prints the count and
# the first records.
set -euo pipefail
kestsim=$1 example=$2
out=$(mktemp)
"$kestsim" --records 7 >"$out" 2>/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -f "$out"' EXIT
for _ in $(seq 100); do [ -s "$out" ] && break; sleep 0.05; done
export "$(head -n1 "$out")"
result=$("$example" 3)
echo "$result"
[ "$(echo "$result" | head -n1)" = "7 records" ]
[ "$(echo "$result" | wc -l)" -eq 4 ]
echo "$result" | sed -n 2p | grep -Eq '^00001 [0-9]{3} [0-9]{12} [0-9]{4}/[0-9]{2}/[0-9]{2} [0-9:]{8} flag [0-3]$'
