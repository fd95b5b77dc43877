# Sourced by the scripts that run the Windows builds under Wine against the
# virtual reader (run.sh --windows, bench/windows_dialog_download.sh): a
# prefix with one wineserver in the foreground, its COM ports on the reader's
# links.
#
#   wine_start PREFIX LOG_DIR PORT_DIR   exports WINEPREFIX and Wine's quiet
#                                        settings; sets wine_server_pid
#   wine_stop                            every program of the prefix, then
#                                        its server
# Both return non-zero with a message on standard error when they fail.

wine_server_pid=""

wine_start() {
  local prefix=$1 logs=$2 ports=$3 n
  export WINEPREFIX=$prefix
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  # Given a second to listen: a wine started sooner would start a server of
  # its own. A daemon server would take the first pty it opens as its
  # terminal and be hung up.
  wineserver --foreground --persistent 2>"$logs/wineserver.log" &
  wine_server_pid=$!
  sleep 1
  if ! kill -0 "$wine_server_pid" 2>/dev/null; then
    wine_server_pid=""
    echo "wineserver stopped at once; is one already running for $WINEPREFIX? (WINEPREFIX=$WINEPREFIX wineserver -k)" >&2
    return 1
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix $WINEPREFIX (once: about 20 s and 1.3 GB)" >&2
    if ! wineboot --init >"$logs/wineboot.log" 2>&1; then
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

wine_stop() {
  [ -n "$wine_server_pid" ] || return 0
  wineserver -k 2>/dev/null || true
  kill "$wine_server_pid" 2>/dev/null || true
  local _
  for _ in $(seq 50); do kill -0 "$wine_server_pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$wine_server_pid" 2>/dev/null || true
  wait "$wine_server_pid" 2>/dev/null || true
  wine_server_pid=""
}
