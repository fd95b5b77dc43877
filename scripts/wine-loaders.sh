#!/bin/sh
# SPDX-License-Identifier: MIT
# Which Wine programs start the Windows builds here, decided by trying rather
# than from package names: prints KEY=VALUE lines, one each, unquoted.
#
#   KESTRIX_WINE64       the 64-bit loader: 64-bit programs and wineboot
#   KESTRIX_WINESERVER   the server (the 64-bit one wherever it is installed)
#   KESTRIX_WINE32       the 32-bit loader (empty when none is installed)
#   KESTRIX_WINE32_SKIP  empty when 32-bit programs run here; else why they
#                        are not run, in one line
#
# Debian's `wine` script runs the 32-bit loader whenever wine32:i386 is
# installed, and a kernel built without 32-bit support cannot start it
# ("Exec format error"): there even 64-bit programs and wineboot fail through
# `wine`. The 64-bit loader, named directly and given as WINELOADER to the
# programs it starts, works whether or not wine32 is installed and whether or
# not the kernel runs 32-bit programs.
#
# KESTRIX_WINE_32=off in the environment refuses 32-bit programs as a kernel
# without 32-bit support would, so that this path can be tried anywhere.
#
#   scripts/wine-loaders.sh          the lines above
#   scripts/wine-loaders.sh --say    one sentence for a person
set -u

found() {  # found NAME...: the first executable of the names, else empty
  for candidate in "$@"; do
    case "$candidate" in
      /*) [ -x "$candidate" ] && { echo "$candidate"; return; } ;;
      *) command -v "$candidate" 2>/dev/null && return ;;
    esac
  done
}

wine64=$(found /usr/lib/wine/wine64 wine64 /usr/bin/wine)
server=$(found /usr/lib/wine/wineserver64 wineserver)
wine32=$(found /usr/lib/wine/wine)

not_run="the 32-bit DLL and Kestrix.exe were built and their exports and imports checked, not run"
if [ "${KESTRIX_WINE_32:-}" = off ]; then
  skip="KESTRIX_WINE_32=off: $not_run"
elif [ -z "$wine32" ]; then
  skip="Wine's 32-bit loader (wine32:i386) is not installed: $not_run"
elif error=$("$wine32" --version 2>&1 >/dev/null); then
  skip=""
else
  case "$error" in
    *"Exec format error"*) skip="this kernel runs no 32-bit programs: $not_run" ;;
    *) skip="Wine's 32-bit loader $wine32 does not start ($(echo "$error" | head -n 1)): $not_run" ;;
  esac
fi

if [ "${1:-}" = --say ]; then
  if [ -z "$wine64" ]; then
    echo "Wine: no 64-bit loader found; the Windows builds cannot run here"
  elif [ -z "$skip" ]; then
    echo "Wine: 64-bit programs through $wine64, 32-bit programs through $wine32 (this kernel runs them)"
  else
    echo "Wine: 64-bit programs through $wine64; 32-bit programs are not run: $skip"
  fi
  exit 0
fi

echo "KESTRIX_WINE64=$wine64"
echo "KESTRIX_WINESERVER=$server"
echo "KESTRIX_WINE32=$wine32"
echo "KESTRIX_WINE32_SKIP=$skip"
