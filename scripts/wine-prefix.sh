# SPDX-License-Identifier: MIT
# Sourced by the scripts that run the Windows builds under Wine against the
# virtual reader (run.sh --windows, bench/windows_dialog_download.sh): a
# prefix with one wineserver in the foreground, its COM ports on the reader's
# links.
#
#   wine_guard                           from here on, whatever the script
#                                        starts (the reader, Xvfb, Wine)
#                                        ends with it (below); wine_start
#                                        calls it when the script has not
#   wine_start PREFIX LOG_DIR PORT_DIR   exports WINEPREFIX, Wine's quiet
#                                        settings and the loaders of
#                                        scripts/wine-loaders.sh
#                                        (KESTRIX_WINE64, KESTRIX_WINE32,
#                                        KESTRIX_WINE32_SKIP...)
#   wine_program WIDTH                   prints the loader for a 32- or
#                                        64-bit program; for a 32-bit one
#                                        where none runs, says why on
#                                        standard error and returns 77
#   wine_stop                            every program of the prefix, then
#                                        its server
#   stop_process PID                     TERM, then KILL if it lingers; a
#                                        child of the script is also waited for
# wine_start and wine_stop return non-zero with a message on standard error
# when they fail.
#
# Nothing of the session outlives the script that sourced this, however it
# ends: everything started after wine_guard carries
# KESTRIX_WINE_SESSION=kestrix-wine-<the script's pid>, and
# scripts/wine-reaper.sh ends it all once the script is gone. The server's
# and wineboot's output go to LOG_DIR, not to the script's own output.

wine_server_pid=""
wine_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

wine_guard() {
  [ "${KESTRIX_WINE_SESSION:-}" = "kestrix-wine-$$" ] && return 0
  env -u KESTRIX_WINE_SESSION "$wine_scripts/wine-reaper.sh" $$ "kestrix-wine-$$"
  export KESTRIX_WINE_SESSION="kestrix-wine-$$"
}

wine_start() {
  local prefix=$1 logs=$2 ports=$3 n key value
  wine_guard
  while IFS='=' read -r key value; do
    export "$key=$value"
  done < <("$wine_scripts/wine-loaders.sh")
  [ -n "$KESTRIX_WINE64" ] || { echo "no 64-bit Wine loader (scripts/install-deps.sh installs wine64)" >&2; return 1; }
  export WINEPREFIX=$prefix
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  # Debian's `wine` runs the 32-bit loader whenever it is installed, which
  # a kernel without 32-bit support cannot start: the 64-bit one, also for
  # the programs that Wine starts itself.
  export WINELOADER=$KESTRIX_WINE64
  mkdir -p "$WINEPREFIX"
  # Given a second to listen: a wine started sooner would start a server of
  # its own. A daemon server would take the first pty it opens as its
  # terminal and be hung up.
  "$KESTRIX_WINESERVER" --foreground --persistent </dev/null >"$logs/wineserver.log" 2>&1 &
  wine_server_pid=$!
  sleep 1
  if ! kill -0 "$wine_server_pid" 2>/dev/null; then
    wine_server_pid=""
    echo "wineserver stopped at once; is one already running for $WINEPREFIX? (WINEPREFIX=$WINEPREFIX wineserver -k)" >&2
    tail -n 5 "$logs/wineserver.log" >&2
    return 1
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix $WINEPREFIX (once: about 10 s and 1.3 GB)" >&2
    # The registry reaches system.reg only when the server ends.
    if ! "$KESTRIX_WINE64" wineboot --init </dev/null >"$logs/wineboot.log" 2>&1 || [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
      echo "wineboot failed: $(tail -n 5 "$logs/wineboot.log")" >&2
      return 1
    fi
  fi
  # Wine opens \\.\COMn through dosdevices/comN. The reader's own links
  # rather than the ptys they point at, so that a restarted reader is found
  # again; a comN whose link is missing fails at once.
  for n in $(seq 12); do
    rm -f "$WINEPREFIX/dosdevices/com$n"
    ln -s "$ports/COM$n" "$WINEPREFIX/dosdevices/com$n"
  done
}

wine_program() {
  if [ "$1" = 64 ]; then
    echo "$KESTRIX_WINE64"
  elif [ -n "$KESTRIX_WINE32_SKIP" ]; then
    echo "$KESTRIX_WINE32_SKIP" >&2
    return 77
  else
    echo "$KESTRIX_WINE32"
  fi
}

wine_stop() {
  [ -n "$wine_server_pid" ] || return 0
  "$KESTRIX_WINESERVER" -k 2>/dev/null || true
  kill "$wine_server_pid" 2>/dev/null || true
  local _
  for _ in $(seq 50); do kill -0 "$wine_server_pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$wine_server_pid" 2>/dev/null || true
  wait "$wine_server_pid" 2>/dev/null || true
  wine_server_pid=""
}

stop_process() {
  [ -n "$1" ] && kill -0 "$1" 2>/dev/null || return 0
  kill "$1" 2>/dev/null || true
  local _
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
