#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the library into a scratch prefix and builds callers against it:
# C programs through pkg-config (the example of docs/library.md, built as it
# says and run against the virtual reader, and examples/read_records.c) and
# a C++ one through find_package.
#
#   check_install.sh BUILD SOURCE KESTSIM
set -euo pipefail
build=$1 source=$2 kestsim=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(ls -d "$prefix"/lib*/ | head -n1)
for f in include/kestlink.h; do [ -f "$prefix/$f" ] || { echo "missing $f"; exit 1; }; done
ls "$libdir"libkestlink.so.1 "$libdir"libkestlink.so "$libdir"pkgconfig/kestlink.pc \
   "$libdir"cmake/Kestlink/KestlinkConfig.cmake >/dev/null

export PKG_CONFIG_PATH="$libdir/pkgconfig"
cc -std=c99 -Wall -Wextra -o "$prefix/from-c" "$source/devicelink/examples/read_records.c" \
   $(pkg-config --cflags --libs kestlink)
KESTLINK_PORT_DIR="$prefix" LD_LIBRARY_PATH="$libdir" "$prefix/from-c" 2>/dev/null && exit 1 # no reader there

# The library reference's example, taken from the page: built with the
# command it gives, it prints each record of a reader.
awk '/^```c$/ { inside = 1; next } /^```/ { inside = 0 } inside' "$source/docs/library.md" >"$prefix/example.c"
grep -q KX_ReadData "$prefix/example.c" || { echo "no C example in docs/library.md"; exit 1; }
(cd "$prefix" && cc -Werror -Wall -Wextra example.c $(pkg-config --cflags --libs kestlink) -o example)
"$kestsim" --records 3 >"$prefix/kestsim.out" 2>/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$prefix"' EXIT
for _ in $(seq 100); do [ -s "$prefix/kestsim.out" ] && break; sleep 0.05; done
printed=$(env "$(head -n1 "$prefix/kestsim.out")" LD_LIBRARY_PATH="$libdir" "$prefix/example")
echo "$printed"
[ "$(echo "$printed" | wc -l)" -eq 3 ] || { echo "docs/library.md's example printed no 3 records"; exit 1; }
echo "$printed" | grep -Eqv '^[0-9]{3} [0-9]{12} [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8} [0-3]$' &&
  { echo "docs/library.md's example printed a line out of shape"; exit 1; }

mkdir -p "$prefix/consumer"
cat > "$prefix/consumer/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(Consumer LANGUAGES CXX)
find_package(Kestlink 1.0 REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE Kestlink::kestlink)
CMAKE
cat > "$prefix/consumer/main.cpp" <<'CPP'
#include <kestlink.h>
int main() { uint16_t count = 0; return KX_Close() == 1 && KX_QueryNumber(&count) == 0 ? 0 : 1; }
CPP
cmake -S "$prefix/consumer" -B "$prefix/consumer/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$prefix/consumer/build" >/dev/null
"$prefix/consumer/build/consumer"
echo "installed, found by pkg-config and find_package, and called"
