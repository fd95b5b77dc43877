#!/usr/bin/env bash
# The main job on a fresh machine: installs what is missing, builds, starts the
# virtual reader with a few hundred sample records on a temporary port
# directory, and reads records from it through the library.
# With KESTLINK_PORT_DIR already set (a real reader linked as COM3...), the
# virtual reader is not started and the real one is used.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target kestsim_cli kestlink_read_records

sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null; true; }
trap cleanup EXIT

if [ -z "${KESTLINK_PORT_DIR:-}" ]; then
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  build/simulator/kestsim --records 300 >"$fifo" &
  sim_pid=$!
  read -r line <"$fifo"
  rm -f "$fifo"
  export "${line?}"
  echo "virtual reader on $KESTLINK_PORT_DIR/COM3"
fi

build/devicelink/kestlink_read_records "${1:-10}"
