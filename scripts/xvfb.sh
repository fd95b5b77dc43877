# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# A virtual X server for the scripts and tests that need a display, sourced:
#
#   xvfb_start WORK_DIR [WIDTHxHEIGHT]   starts Xvfb (1280x1024 unless told),
#                                        exports DISPLAY; XVFB_PID is the
#                                        server, for the caller to stop
#
# Xvfb picks a free display itself (-displayfd) and tells its number once it
# accepts connections, so scripts and tests run side by side never race for
# one display (xvfb-run -a can: two runs may both see the same number free).
# Returns 1, saying why on standard error, when no display comes in 20 s.
xvfb_start() {
  local work=$1 size=${2:-1280x1024}
  command -v Xvfb >/dev/null || { echo "Xvfb is missing (scripts/install-deps.sh installs it)" >&2; return 1; }
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 200); do
    if grep -q '^[0-9]' "$work/display"; then
      DISPLAY=":$(head -n 1 "$work/display")"
      export DISPLAY
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "Xvfb stopped: $(cat "$work/xvfb.log")" >&2; return 1; }
    sleep 0.1
  done
  echo "Xvfb gave no display in 20 s: $(cat "$work/xvfb.log")" >&2
  return 1
}
