# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by installer_under_wine.sh once its Wine session has started: how
# the installer is run and what an installed (or removed) Kestrix looks like
# in the prefix. Needs arch, msi, version, product, feature and the option
# array (manufacturer, build, source) of that script.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
ok() { echo "ok: $*"; }

# Wine's drive Z: is the root of the Linux file system.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

if [ "$arch" = x64 ]; then
  install_folder_name='C:\Program Files\Kestrix'
  install_folder="$WINEPREFIX/drive_c/Program Files/Kestrix"
  uninstall_keys='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
  def_name=kestlink.def
else
  install_folder_name='C:\Program Files (x86)\Kestrix'
  install_folder="$WINEPREFIX/drive_c/Program Files (x86)/Kestrix"
  # A 32-bit product is listed in the registry's 32-bit view.
  uninstall_keys='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'
  def_name=kestlink-x86.def
fi
# Windows puts a per-machine product's entry in the Start menu of all users;
# Wine 8's msi puts it in the installing user's. Either counts.
# Wine names the user's folder after the Linux user.
start_menus=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
             "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs")

# The files of each feature, by their place in the install folder, each with
# what the build made of it (README.txt and LICENSE.txt are the installer's own).
declare -A program_files=(
  [Kestrix.exe]="${option[build]}/operator/win32/Kestrix.exe"
  [kestlink.dll]="${option[build]}/devicelink/kestlink.dll"
  [README.txt]=""
  [LICENSE.txt]=""
)
declare -A programmer_files=(
  [include/kestlink.h]="${option[source]}/devicelink/include/kestlink.h"
  [lib/libkestlink.dll.a]="${option[build]}/devicelink/libkestlink.dll.a"
  [lib/$def_name]="${option[source]}/devicelink/$def_name"
)

# msiexec ARGUMENTS...: the 64-bit msiexec, silent, logging to
# $work/msiexec.log; fails the test when it fails.
msiexec() {
  local status=0
  timeout 300 "$KESTRIX_WINE64" msiexec "$@" /qn '/l*v' "$(windows_path "$work/msiexec.log")" </dev/null || status=$?
  [ "$status" -eq 0 ] || fail "msiexec $* ended with status $status"
}

# product_code MSI: its ProductCode, {...}.
product_code() {
  msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'
}

# registry_value KEY NAME: the value's data; nothing when absent.
registry_value() {
  "$KESTRIX_WINE64" reg query "$1" /v "$2" 2>/dev/null </dev/null | tr -d '\r' |
    sed -n "s/^ *$2 \{2,\}REG_[A-Z_]* \{2,\}//p"
}
registry_key_exists() { "$KESTRIX_WINE64" reg query "$1" >/dev/null 2>&1 </dev/null; }

# packed_code {GUID}: the GUID as Windows Installer names its keys: each of
# the first three groups reversed, then each byte's two digits swapped.
packed_code() {
  local hex=${1//[\{\}-]/} packed="" i
  hex=${hex^^}
  for i in 7 6 5 4 3 2 1 0 11 10 9 8 15 14 13 12; do packed+=${hex:i:1}; done
  for i in 16 18 20 22 24 26 28 30; do packed+=${hex:i+1:1}${hex:i:1}; done
  echo "$packed"
}

# shortcut: the Start-menu entry's file, wherever it was put; empty if none.
shortcut() {
  local menu
  for menu in "${start_menus[@]}"; do
    [ -f "$menu/$product.lnk" ] && { echo "$menu/$product.lnk"; return; }
  done
  return 0
}

# check_files TABLE present|absent: each file of the named table is the
# build's own in the install folder, or is not there.
check_files() {
  local -n files=$1
  local path
  for path in "${!files[@]}"; do
    if [ "$2" = absent ]; then
      [ ! -e "$install_folder/$path" ] || fail "$path is installed, but should not be"
    elif [ ! -f "$install_folder/$path" ]; then
      fail "$path is not installed in $install_folder"
    elif [ -n "${files[$path]}" ] && ! cmp -s "$install_folder/$path" "${files[$path]}"; then
      fail "the installed $path is not the build's ${files[$path]}"
    fi
  done
  if [ "$2" = absent ]; then
    ok "not installed: ${!files[*]}"
  else
    ok "installed in $install_folder_name: ${!files[*]}"
  fi
}

# check_installed CODE VERSION programmer|no-programmer|any: the product
# CODE of VERSION is installed, with or without the programmer files.
check_installed() {
  local code=$1 expected_version=$2 key="$uninstall_keys\\$1" name expected value link icon icon_file
  # What installed programs show, and run to uninstall it.
  local -A listed=([DisplayName]=$product [Publisher]=${option[manufacturer]}
                   [DisplayVersion]=$expected_version [UninstallString]="MsiExec.exe /X$code")
  check_files program_files present
  case $3 in
    programmer) check_files programmer_files present ;;
    no-programmer) check_files programmer_files absent ;;
  esac
  for name in "${!listed[@]}"; do
    value=$(registry_value "$key" "$name")
    [ "$value" = "${listed[$name]}" ] || fail "$key: $name is \"$value\", expected \"${listed[$name]}\""
  done
  ok "installed programs list $product $expected_version by ${option[manufacturer]} ($key)"
  # What installed programs show as its icon.
  icon=$(registry_value "HKLM\\Software\\Classes\\Installer\\Products\\$(packed_code "$code")" ProductIcon)
  [ -n "$icon" ] || fail "the product has no icon (ProductIcon)"
  icon_file="$WINEPREFIX/drive_c/$(sed 's/^[A-Za-z]:\\//; s/\\/\//g' <<<"$icon")"
  cmp -s "$icon_file" "${option[icon]}" || fail "the product's icon $icon is not the build's ${option[icon]}"
  ok "its icon is the build's ($icon)"
  link=$(shortcut)
  [ -n "$link" ] || fail "no Start-menu entry \"$product.lnk\" in ${start_menus[*]}"
  # A .lnk names its target and its icon among binary fields, some in the
  # ANSI code page, some in UTF-16.
  for expected in "$install_folder_name\\Kestrix.exe" "$icon"; do
    python3 -c 'import sys; data, text = open(sys.argv[1], "rb").read(), sys.argv[2]
sys.exit(text.encode() not in data and text.encode("utf-16-le") not in data)' "$link" "$expected" ||
      fail "the Start-menu entry ${link##*/} does not name $expected"
  done
  ok "the Start-menu entry \"$product\" starts $install_folder_name\\Kestrix.exe with the icon"
}

# check_removed CODE: nothing of the product CODE remains.
check_removed() {
  local code=$1
  [ ! -e "$install_folder" ] || fail "$install_folder remains: $(cd "$install_folder" && find . -mindepth 1 | head -n 5)"
  [ -z "$(shortcut)" ] || fail "the Start-menu entry $(shortcut) remains"
  ! registry_key_exists "$uninstall_keys\\$code" || fail "the Uninstall key $uninstall_keys\\$code remains"
  ! registry_key_exists "HKLM\\Software\\Classes\\Installer\\Products\\$(packed_code "$code")" ||
    fail "Windows Installer still knows the product $code"
  ok "nothing of $code remains: no install folder, Start-menu entry, Uninstall key or registration"
}

# remove_every_kestrix: uninstalls whatever Kestrix is installed in the
# prefix, of either width, and removes what a killed install left behind,
# so that each test starts from a prefix without Kestrix.
remove_every_kestrix() {
  local keys code
  for keys in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
              'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'; do
    for code in $("$KESTRIX_WINE64" reg query "$keys" /s 2>/dev/null </dev/null | tr -d '\r' |
                  awk -v publisher="${option[manufacturer]}" '
                    /^HKEY/ { n = split($0, part, "\\"); key = part[n] }
                    $1 == "Publisher" && substr($0, index($0, "REG_SZ") + 10) == publisher { print key }'); do
      echo "removing $code, left installed by an earlier run"
      timeout 300 "$KESTRIX_WINE64" msiexec /x "$code" /qn </dev/null || true
    done
  done
  rm -rf "$WINEPREFIX/drive_c/Program Files/Kestrix" "$WINEPREFIX/drive_c/Program Files (x86)/Kestrix"
  local menu
  for menu in "${start_menus[@]}"; do rm -f "$menu"/Kestrix*.lnk; done
}
