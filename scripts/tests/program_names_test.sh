#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every program a script starts is one the build makes: each
# `program FOLDER TARGET` in scripts/ and bench/ names a target that the
# programs.txt of that build folder lists (the Linux build's, or that of a
# build made inside it: windows-x64, windows-x86, windows-installer-probe).
# A target renamed or dropped fails this at once, not the day someone runs
# the script.
#
#   program_names_test.sh SOURCE BUILD [--windows]
#
# --windows: BUILD makes the Windows builds too, whose programs are checked
# as well; without it the scripts' Windows programs are left out.
set -uo pipefail
source=$1 build=$2 windows=${3:-}
status=0 checked=0
while IFS=: read -r file line call; do
  read -r _ folder target _ <<<"$call"
  case "$target" in '' | *'$'*) continue ;; esac # a target held in a variable
  case "$folder" in
    *windows-*) [ -n "$windows" ] || continue ;;&
    *windows-x64*) lists=("$build/windows-x64/programs.txt") ;;
    *windows-x86*) lists=("$build/windows-x86/programs.txt") ;;
    *'windows-$'*) lists=("$build/windows-x64/programs.txt" "$build/windows-x86/programs.txt") ;;
    *windows-installer-probe*) lists=("$build/windows-installer-probe/programs.txt") ;;
    *build-fuzz*) continue ;; # the fuzz project's targets are named by a variable
    *) lists=("$build/programs.txt") ;;
  esac
  for list in "${lists[@]}"; do
    checked=$((checked + 1))
    if ! grep -q "^$target=" "$list" 2>/dev/null; then
      echo "FAILED: ${file#"$source"/}:$line starts the program $target, which $list does not list"
      status=1
    fi
  done
done < <(grep -nHoE '\$\(program "?[^ ")]+"? [A-Za-z_][A-Za-z0-9_]*' "$source"/scripts/*.sh "$source"/bench/*.sh |
  sed 's/:\$(/:/')
[ "$checked" -gt 0 ] || { echo "FAILED: no script starts a program through programs.txt"; exit 1; }
[ "$status" -eq 0 ] && echo "the $checked programs the scripts start are all targets of the build"
exit "$status"
