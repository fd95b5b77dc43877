#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Maps the Windows Chinese fonts 宋体, SimSun and NSimSun to a CJK font that
# is installed here, in the Wine prefix $WINEPREFIX (HKLM FontSubstitutes).
# Kestrix's dialog asks for 宋体; without the mapping Wine draws its Chinese
# captions as boxes. Running it again only writes the same values again.
#
#   WINEPREFIX=~/.wine scripts/wine-cjk-fonts.sh
#
# The font is the first of a few Song-style families that fontconfig knows
# (scripts/install-deps.sh installs AR PL UMing), else any font for Chinese.
# A wineserver should already be running for the prefix, or be free to start.
set -euo pipefail

die() { echo "wine-cjk-fonts.sh: $*" >&2; exit 1; }
[ -n "${WINEPREFIX:-}" ] || die "WINEPREFIX is not set"
command -v fc-list >/dev/null || die "fc-list (fontconfig) is missing"

families=$(fc-list :lang=zh family | tr ',' '\n' | sed 's/^ *//' | sort -u)
font=""
for wanted in "AR PL UMing CN" "AR PL SungtiL GB" "Noto Serif CJK SC" "Noto Sans CJK SC" "WenQuanYi Zen Hei"; do
  if grep -qxF "$wanted" <<<"$families"; then font=$wanted; break; fi
done
[ -n "$font" ] || font=$(head -n 1 <<<"$families")
[ -n "$font" ] || die "no font for Chinese is installed (scripts/install-deps.sh installs fonts-arphic-uming)"

# One regedit import rather than a `reg add` a name: each Wine start costs
# about a second. UTF-16 with a byte order mark, so that the Chinese name
# reaches the registry whatever the locale.
key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
file=$(mktemp --suffix=.reg "${TMPDIR:-/tmp}/wine-cjk-fonts.XXXXXX")
trap 'rm -f "$file"' EXIT
{
  printf '\xff\xfe'
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n' "$key" | iconv -f UTF-8 -t UTF-16LE
  for name in 宋体 SimSun NSimSun; do
    printf '"%s"="%s"\r\n' "$name" "$font" | iconv -f UTF-8 -t UTF-16LE
  done
} >"$file"
# A prefix maps Z: to the root of the Linux file system. The 64-bit loader:
# Debian's `wine` takes the 32-bit one whenever it is installed, which a
# kernel without 32-bit support cannot start.
wine64=$("$(dirname "$0")/wine-loaders.sh" | sed -n 's/^KESTRIX_WINE64=//p')
[ -n "$wine64" ] || die "no 64-bit Wine loader (scripts/install-deps.sh installs wine64)"
WINEDEBUG=-all WINELOADER=$wine64 "$wine64" regedit /S "Z:${file//\//\\}"
echo "Wine prefix $WINEPREFIX: 宋体, SimSun, NSimSun -> $font"
