# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Real input for Kestrix's dialog on an X server without a window manager
# (Xvfb), through xdotool; sourced by run.sh and the tests that drive the
# program as an operator would:
#
#   focus_window WINDOW        gives WINDOW the keyboard (no window manager
#                              hands it out)
#   press_keys KEY...          presses the keys, a pause between them
#   click_dialog_units WINDOW X Y
#                              clicks the point X, Y of the dialog template
#                              (dialog units of its 319 x 391), scaled to the
#                              window as drawn: the centre of a button is its
#                              x + w/2, y + h/2 in the dialog's table
#
# KESTRIX_KEY_DELAY_MS sets the pause between keys (default 150).
focus_window() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.3
}

press_keys() {
  xdotool key --delay "${KESTRIX_KEY_DELAY_MS:-150}" "$@"
  sleep 0.3
}

click_dialog_units() {
  local window=$1 x=$2 y=$3 WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$window" $((x * WIDTH / 319)) $((y * HEIGHT / 391)) click 1
  sleep 0.3
}
