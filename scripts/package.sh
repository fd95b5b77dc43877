#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian packages libkestlink1, libkestlink-dev, kestrix and
# kestlink-tools with CPack from a Release build of their own, installed
# under /usr, with Debian's hardening flags.
#
#   scripts/package.sh [BUILD_DIR]     default: build-debian/ in the source tree
#
# The .deb files land in BUILD_DIR/debs/, which the last line prints;
# scripts/check-debian-packages.sh BUILD_DIR/debs checks them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-debian}
mkdir -p "$build"
build=$(cd "$build" && pwd)
debs=$build/debs

for tool in cmake cpack ninja dpkg-shlibdeps dpkg-buildflags file; do
  command -v "$tool" >/dev/null || { echo "package.sh: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

# Debian's own compiler and linker flags: stack protector, fortified
# functions, position-independent executables, read-only relocations bound
# at start-up. The file-prefix map keeps the build folder out of the binaries.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The build type gives the optimisation; CPack strips the binaries, so no -g.
cd "$root"
flags() {
  local word out=()
  for word in $(dpkg-buildflags --get "$1"); do
    case $word in -g | -O2) ;; *) out+=("$word") ;; esac
  done
  echo "${out[*]}"
}
cppflags=$(dpkg-buildflags --get CPPFLAGS)

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_BUILD_TYPE=Release \
  -DKESTRIX_WINDOWS=OFF \
  -DKESTRIX_TESTS=OFF \
  "-DCMAKE_C_FLAGS=$cppflags $(flags CFLAGS)" \
  "-DCMAKE_CXX_FLAGS=$cppflags $(flags CXXFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" \
  "-DCMAKE_SHARED_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build"

rm -rf "$debs"
mkdir -p "$debs"
(cd "$build" && cpack -G DEB -B "$debs" >/dev/null)
# CPack leaves its staging folder beside the packages.
rm -rf "$debs/_CPack_Packages"
ls "$debs"/*.deb
echo "Debian packages in $debs"
