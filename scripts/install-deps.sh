#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what a fresh Debian or Ubuntu machine lacks to build and test the
# project. Only missing packages are fetched; sudo is used when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3
  libgtest-dev libgmock-dev libbenchmark-dev
  # The Windows DLLs, 64-bit and 32-bit, and Wine to test them; wine32 is
  # the i386 package (below).
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine64 wine32:i386
  # scripts/wine-cjk-fonts.sh looks up the installed Chinese font with fc-list.
  fontconfig
  # scripts/check-windows-package.sh lists and reads the Windows zip.
  unzip
  # The Windows installers: wixl makes the MSIs, msitools' msiinfo reads them back.
  msitools wixl
  # Kestrix: Qt 6 Widgets, Qt Multimedia for the beep, the platform plugins
  # that the runtime only recommends, a Song-style font for the captions and
  # Qt's own Chinese texts (message box buttons, file dialogs).
  qt6-base-dev qt6-base-private-dev qt6-multimedia-dev libgl-dev qt6-qpa-plugins fonts-arphic-uming qt6-translations-l10n
  # scripts/run.sh without a display: a virtual X server, simulated key
  # presses and the screenshot (ImageMagick's import).
  xvfb xauth xdotool imagemagick
  # scripts/fuzz.sh: clang and its runtime libraries, which hold libFuzzer.
  clang libclang-rt-dev
  # kestlink, the command-line tool: its argument parser.
  libcli11-dev
  # The Debian packages (scripts/package.sh, scripts/check-debian-packages.sh):
  # CPack's dependency search (dpkg-shlibdeps, file), lintian, the AppStream
  # and manual-page checks.
  dpkg-dev file lintian appstream man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  # 32-bit Wine comes from the i386 architecture, which apt must know first.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Whether this kernel runs 32-bit programs is found by trying Wine's 32-bit
# loader, not from package names: the Windows tests follow what it finds.
"$(dirname "$0")/wine-loaders.sh" --say
