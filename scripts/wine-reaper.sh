#!/bin/sh
# SPDX-License-Identifier: MIT
# Ends a Wine session when the process that started it ends, however it ends
# (its own exit, an abort, kill -9, a test runner's time-out):
#
#   scripts/wine-reaper.sh PID SESSION
#
# returns at once and, detached from the caller (its own session, parented
# to init, so a runner that kills the caller's process tree does not kill
# it), waits for PID to end; then stops the session's server (SIGTERM: it
# saves the registry first) and kills whatever carries
# KESTRIX_WINE_SESSION=SESSION in its environment. Wine's services
# (services.exe, winedevice.exe, explorer.exe...) start sessions of their
# own and outlive a killed server, blocked for ever, and they hold the
# standard error they inherited; the variable is the one thing every process
# of the session carries, and it tells this session's server from that of a
# session started meanwhile on the same prefix. Start this without the
# variable in its own environment.
set -u

if [ "${1:-}" != --detached ]; then
  setsid "$0" --detached "$@" </dev/null >/dev/null 2>&1 &
  exit 0
fi
shift
pid=$1 session=$2

# The process's start time, so that a number the kernel gives out again is
# not taken for the same process.
started() { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f20; }
# running PID...: whether one of them still runs (a zombie has ended; who
# reaps it is the init process's affair, which may take its time).
running() {
  for p in "$@"; do
    case "$(sed 's/.*) //' "/proc/$p/stat" 2>/dev/null | cut -d' ' -f1)" in "" | Z) ;; *) return 0 ;; esac
  done
  return 1
}
start=$(started "$pid")
while [ -n "$start" ] && [ "$(started "$pid")" = "$start" ]; do
  sleep 0.2
done

# members [NAME]: the session's processes (those whose program's name starts
# NAME), a pid a line.
members() {
  "$(dirname "$0")/wine-members.sh" "$session" |
    awk -v name="${1:-}" '{ n = split($2, path, /[\/\\]/); if (index(path[n], name) == 1) print $1 }'
}
servers=$(members wineserver)
if [ -n "$servers" ]; then
  kill -TERM $servers 2>/dev/null
  for _ in $(seq 50); do
    running $servers || break
    sleep 0.1
  done
fi
# Twice: a program may have been starting another while the first went.
for _ in 1 2; do
  left=$(members)
  [ -n "$left" ] && kill -KILL $left 2>/dev/null
  sleep 0.2
done
exit 0
