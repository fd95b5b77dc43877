#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A Windows installer under Wine, in the prefix named by KESTLINK_WINE_PREFIX
# (the installers' own), through the 64-bit msiexec whatever its width:
#
#   installer_under_wine.sh install OPTIONS
#       silent install; the feature for programmers added; silent uninstall;
#       that feature alone, then removed; a new install with every feature;
#       a later version over it, which replaces it; its silent uninstall
#   installer_under_wine.sh program OPTIONS
#       silent install; the installed Kestrix.exe, driven from another Wine
#       process by kestrix_window_probe.exe, connects to the virtual reader
#       and reads its records; silent uninstall (needs a display: run it
#       under scripts/with-xvfb.sh)
#
# OPTIONS, as packaging/windows/tests.cmake gives them:
#   --arch x64|x86 --version V --manufacturer NAME --product-name NAME
#   --programmer-feature FEATURE --build WINDOWS_BUILD --source SOURCE
#   --icon ICO --msi MSI
#   install: --wxs WXS (the installer's source) --wixl WIXL
#   program: --kestsim KESTSIM --probe PROBE
#
# After each uninstall nothing of the product may remain. Exit status 0 when
# all held; 77, saying why, where the 32-bit program cannot run here.
set -euo pipefail
mode=$1
shift
declare -A option
while [ $# -ge 2 ]; do
  option[${1#--}]=$2
  shift 2
done

here=$(cd "$(dirname "$0")" && pwd)
scripts=$(cd "$here/../../../scripts" && pwd)

# The 32-bit program is skipped before anything starts where it cannot run.
if [ "$mode" = program ] && [ "${option[arch]}" = x86 ]; then
  skip=$("$scripts/wine-loaders.sh" | sed -n 's/^KESTRIX_WINE32_SKIP=//p')
  if [ -n "$skip" ]; then
    echo "skipped: $skip"
    exit 77
  fi
fi

arch=${option[arch]} msi=${option[msi]} version=${option[version]} product=${option[product-name]}
feature=${option[programmer-feature]}
records=150

# shellcheck source=scripts/wine-prefix.sh
. "$scripts/wine-prefix.sh"
wine_guard
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-installer.XXXXXX")
kestsim_pid="" kestrix_pid="" later_wxs=""
cleanup() {
  local status=$?
  set +e
  stop_process "$kestrix_pid"
  if [ "$status" -ne 0 ] && [ -f "$work/msiexec.log" ]; then
    echo "--- the end of the last msiexec log:"
    tail -n 15 "$work/msiexec.log" | tr -d '\r'
  fi
  # A test that failed half-way leaves no Kestrix in the prefix.
  [ -n "$wine_server_pid" ] && declare -F remove_every_kestrix >/dev/null && remove_every_kestrix
  wine_stop
  stop_process "$kestsim_pid"
  [ -n "$later_wxs" ] && rm -f "$later_wxs"
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- the session: the reader's ports for the program, none otherwise -------
ports="$work/no-reader"
mkdir -p "$ports"
if [ "$mode" = program ]; then
  "${option[kestsim]}" --records "$records" >"$work/kestsim.out" 2>"$work/kestsim.err" &
  kestsim_pid=$!
  for _ in $(seq 100); do
    grep -q '^KESTLINK_PORT_DIR=.' "$work/kestsim.out" && break
    sleep 0.1
  done
  ports=$(sed -n 's/^KESTLINK_PORT_DIR=//p' "$work/kestsim.out")
  [ -n "$ports" ] || { echo "FAIL: kestsim gave no port directory: $(cat "$work/kestsim.err")" >&2; exit 1; }
fi
started=$SECONDS
wine_start "${KESTLINK_WINE_PREFIX:?the build sets KESTLINK_WINE_PREFIX}" "$work" "$ports"
# shellcheck source=packaging/windows/tests/installed_product.sh
. "$here/installed_product.sh"
remove_every_kestrix
echo "Wine prefix $WINEPREFIX ready in $((SECONDS - started)) s"
code=$(product_code "$msi")
[ -n "$code" ] || fail "$msi has no ProductCode"

# later_version V: V with its third field one higher, the first that
# Windows Installer counts as later (it ignores a fourth).
later_version() {
  local major minor build
  IFS=. read -r major minor build _ <<<"$1"
  echo "$major.$minor.$((build + 1))"
}

install_steps() {
  echo "== silent install"
  msiexec /i "$(windows_path "$msi")"
  check_installed "$code" "$version" no-programmer

  echo "== the feature $feature added to the installed product"
  msiexec /i "$(windows_path "$msi")" "ADDLOCAL=$feature"
  check_installed "$code" "$version" programmer

  echo "== silent uninstall"
  msiexec /x "$(windows_path "$msi")"
  check_removed "$code"

  echo "== the feature $feature alone on a machine without Kestrix"
  msiexec /i "$(windows_path "$msi")" "ADDLOCAL=$feature"
  check_files program_files absent
  check_files programmer_files present
  msiexec /x "$(windows_path "$msi")"
  check_removed "$code"

  echo "== a new install with every feature"
  msiexec /i "$(windows_path "$msi")" ADDLOCAL=ALL
  check_installed "$code" "$version" programmer

  # The same source with a later version, made as the build makes the
  # installer; beside it, where its sources' relative names lead.
  local later later_msi="$work/later.msi" later_code
  later=$(later_version "$version")
  echo "== a later version ($later) over it"
  later_wxs="$(dirname "${option[wxs]}")/kestrix-later-$$.wxs"
  sed "s/ Version=\"$version\" / Version=\"$later\" /" "${option[wxs]}" >"$later_wxs"
  grep -q " Version=\"$later\" " "$later_wxs" || fail "no Version=\"$version\" in ${option[wxs]}"
  "${option[wixl]}" --arch "$arch" --output "$later_msi" "$later_wxs"
  rm -f "$later_wxs"
  later_code=$(product_code "$later_msi")
  msiexec /i "$(windows_path "$later_msi")"
  ! registry_key_exists "$uninstall_keys\\$code" || fail "$version is still listed after $later was installed"
  ok "$later replaced $version"
  # Windows keeps the features that were installed (MigrateFeatureStates);
  # Wine 8's msi does not carry that action out, so the programmer files
  # are not looked for here.
  check_installed "$later_code" "$later" any

  echo "== silent uninstall by product code, as installed programs do"
  msiexec /x "$later_code"
  check_removed "$later_code"
  check_removed "$code"
}

program_steps() {
  local loader connected
  # The dialog's connect message, as the program has it.
  connected=$(sed -n 's/.*kConnected = "\(.*\)";.*/\1/p' "${option[source]}/operator/core/model/messages.h")
  [ -n "$connected" ] || fail "no kConnected in operator/core/model/messages.h"

  echo "== silent install"
  msiexec /i "$(windows_path "$msi")"
  check_installed "$code" "$version" no-programmer

  echo "== the installed $install_folder_name\\Kestrix.exe reads $records records"
  if [ "$arch" = x64 ]; then
    loader=$(wine_program 64)
    (cd "$work" && exec "$loader" "$install_folder_name\\Kestrix.exe") >"$work/kestrix.log" 2>&1 &
  else
    loader=$(wine_program 32) || exit $?
    # The 32-bit loader as Debian's `wine` starts it: without WINELOADER.
    (cd "$work" && exec env -u WINELOADER "$loader" "$install_folder_name\\Kestrix.exe") >"$work/kestrix.log" 2>&1 &
  fi
  kestrix_pid=$!
  # Started in a folder without kestlink.dll: the program finds the
  # installed one beside it, or none.
  timeout 600 "$(wine_program 64)" "$(windows_path "${option[probe]}")" "$records" \
    >"$work/probe.out" 2>"$work/probe.err" </dev/null || true
  tr -d '\r' <"$work/probe.out" | sed 's/^/probe: /'
  local seen expected
  seen=$(tr -d '\r' <"$work/probe.out")
  expected=$(printf 'window\nbox %s\nrows %s\nclosed' "$connected" "$records")
  [ "$seen" = "$expected" ] || fail "the probe saw otherwise than: $(tr '\n' ';' <<<"$expected")"
  ok "Kestrix.exe connected, listed $records records and closed"
  for _ in $(seq 100); do kill -0 "$kestrix_pid" 2>/dev/null || break; sleep 0.2; done
  ! kill -0 "$kestrix_pid" 2>/dev/null || fail "Kestrix.exe did not end after its dialog closed"
  wait "$kestrix_pid" || true
  kestrix_pid=""

  echo "== silent uninstall"
  msiexec /x "$(windows_path "$msi")"
  check_removed "$code"
}

"${mode}_steps"
echo "OK: the $arch installer ($mode) in $((SECONDS - started)) s"
