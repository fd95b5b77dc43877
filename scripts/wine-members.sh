#!/bin/sh
# SPDX-License-Identifier: MIT
# The processes of a Wine session, a "pid command" line each:
#
#   scripts/wine-members.sh SESSION     those carrying KESTRIX_WINE_SESSION=SESSION
#   scripts/wine-members.sh --orphaned  those of any session (kestrix-wine-PID)
#                                       whose owner PID has ended: what
#                                       outlived its test or script
#
# A zombie has ended and has no environment, so it is not listed; an owner
# that is a zombie has ended too.
running() {
  case "$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)" in "" | Z) return 1 ;; esac
}
for p in /proc/[0-9]*; do
  session=$( { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | sed -n 's/^KESTRIX_WINE_SESSION=//p')
  [ -n "$session" ] || continue
  if [ "${1:-}" = --orphaned ]; then
    case "$session" in kestrix-wine-*) ;; *) continue ;; esac
    running "${session#kestrix-wine-}" && continue
  elif [ "$session" != "${1:-}" ]; then
    continue
  fi
  name=$( { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null)
  echo "${p#/proc/} ${name:-[$(cat "$p/comm" 2>/dev/null)]}"
done
