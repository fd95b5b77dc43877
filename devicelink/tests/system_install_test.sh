#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The library reference's install into /usr/local, exactly as the page gives
# it, and its C example built and run as the page says: in a private mount
# namespace whose /usr/local and /etc are scratch copies, so the machine's
# own are never touched. Shows both halves of what the page says: before
# `ldconfig` the example stops with "error while loading shared libraries:
# libkestlink.so.1"; after it, it reads the virtual reader's records.
#
#   system_install_test.sh BUILD SOURCE KESTSIM
#
# As root (CI) the namespace is plain; otherwise a user namespace serves.
# Skipped, saying why, where neither can be had.
set -euo pipefail

if [ "${1:-}" != --inside ]; then
  if [ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null; then
    exec unshare -m --propagation private "$0" --inside "$@"
  elif unshare -rm true 2>/dev/null; then
    exec unshare -rm --propagation private "$0" --inside "$@"
  fi
  echo "skipped: no private mount namespace here (unshare -m needs root, unshare -rm user namespaces)"
  exit 77
fi
shift
build=$1 source=$2 kestsim=$3
fail() { echo "FAILED: $*"; exit 1; }

scratch=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$scratch"' EXIT

# /etc as it is, but writable and this namespace's alone: ldconfig writes
# /etc/ld.so.cache. /usr/local empty, as on a fresh machine.
mkdir "$scratch/etc"
mount --bind /etc "$scratch/etc"
mount -t tmpfs tmpfs /etc
cp -r "$scratch/etc/." /etc/ 2>/dev/null || true
umount "$scratch/etc"
mount -t tmpfs tmpfs /usr/local

# The page's commands, taken from it (sudo aside: this is root here).
commands=$(awk '/^### Installing/ { on = 1 } on && /^```sh$/ { inside = 1; next } inside && /^```/ { exit } inside' \
  "$source/docs/library.md")
grep -q 'cmake --install build --prefix /usr/local' <<<"$commands" || fail "docs/library.md installs no longer as this test knows"
awk '/^```c$/ { inside = 1; next } /^```/ { inside = 0 } inside' "$source/docs/library.md" >"$scratch/example.c"

(cd "$scratch" && ln -s "$build" build)
run_page() { (cd "$scratch" && sed 's/^sudo //' <<<"$commands" | grep -v '^ldconfig' | bash -e); }
run_page >/dev/null
(cd "$scratch" && cc example.c $(pkg-config --cflags --libs kestlink) -o example) || fail "the example does not build"

"$kestsim" --records 3 >"$scratch/kestsim.out" 2>/dev/null &
sim=$!
for _ in $(seq 100); do [ -s "$scratch/kestsim.out" ] && break; sleep 0.05; done
export "$(head -n 1 "$scratch/kestsim.out")"

# Without the loader's cache brought up to date.
if output=$("$scratch/example" 2>&1); then
  fail "the example found the library before ldconfig ran (is /usr/local/lib in the cache already?)"
fi
grep -q 'error while loading shared libraries: libkestlink.so.1' <<<"$output" || fail "before ldconfig: $output"
echo "before ldconfig: $output"

grep -q '^sudo ldconfig$' <<<"$commands" || fail "docs/library.md does not run ldconfig after the install"
ldconfig
printed=$("$scratch/example") || fail "the example failed after ldconfig"
[ "$(wc -l <<<"$printed")" -eq 3 ] || fail "after ldconfig the example printed: $printed"
echo "after ldconfig the example read the reader's 3 records"
