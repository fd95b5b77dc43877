# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by the scripts that start a program of the build:
#
#   program BUILD TARGET     prints the file of TARGET, as BUILD/programs.txt
#                            (written by the build) says; fails, saying why
#                            on standard error, when BUILD has no such
#                            program or has not made it yet
#
# BUILD is a build folder: build/, build-bench/, or a build made inside one
# (build/windows-x64, build/windows-installer-probe). TARGET is the CMake
# target's name (kestsim_cli, kestrix, Kestrix, kestlink...), not its file's.
program() {
  local list=$1/programs.txt target=$2 path
  if [ ! -f "$list" ]; then
    echo "$list is missing: $1 is not configured (cmake -S . -B $1)" >&2
    return 1
  fi
  path=$(sed -n "s/^$target=//p" "$list")
  if [ -z "$path" ]; then
    echo "$list names no program $target" >&2
    return 1
  fi
  if [ ! -f "$path" ]; then
    echo "$path ($target) is not built: cmake --build $1 --target $target" >&2
    return 1
  fi
  echo "$path"
}
