#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the library into a scratch prefix and builds two callers against
# it: a C program through pkg-config and a C++ one through find_package.
set -euo pipefail
build=$1 source=$2
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
