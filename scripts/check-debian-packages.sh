#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# shellcheck disable=SC2015 # "test && pass || fail": pass never fails
# Checks the Debian packages that scripts/package.sh made:
#
#   scripts/check-debian-packages.sh [--with-kestlink BUILT_KESTLINK] DEB_FOLDER
#
#  1. lintian on each package: any error fails (warnings are shown).
#  2. Each package's control data: dependencies found by dpkg-shlibdeps, the
#     ones on libkestlink1, the library's shlibs file and ldconfig trigger.
#  3. Every package unpacked into one scratch folder (dpkg-deb -x, no root),
#     its files where Debian wants them, and run from there: kestlink
#     --version, pkg-config, the C example built against the -dev files,
#     appstreamcli on the metainfo, and kestlink and the C example reading
#     from the packaged kestsim, row for row against the sample records.
#  4. apt install of the four, simulated: their dependencies resolve here.
#
# --with-kestlink names the kestlink the build made: the tool must then be in
# kestlink-tools, and what the packaged one prints must be what that one
# prints. Without it, a kestlink-tools without kestlink is noted, not failed.
set -euo pipefail

built_kestlink=
if [ "${1:-}" = --with-kestlink ]; then
  built_kestlink=$2
  shift 2
fi
[ $# -eq 1 ] || { echo "usage: $0 [--with-kestlink BUILT_KESTLINK] DEB_FOLDER" >&2; exit 2; }
debs=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

for tool in lintian dpkg-deb dpkg-architecture appstreamcli pkg-config cc; do
  command -v "$tool" >/dev/null || { echo "check-debian-packages.sh: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

version=$(sed -n 's/^project(Kestrix VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
debian_version=$version-1
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
packages=(libkestlink1 libkestlink-dev kestrix kestlink-tools)

declare -A deb
for p in "${packages[@]}"; do
  f=$debs/${p}_${debian_version}_${arch}.deb
  [ -f "$f" ] || { echo "FAIL: $f is missing" >&2; exit 1; }
  deb[$p]=$f
done
extra=$(find "$debs" -maxdepth 1 -name '*.deb' | grep -v -F -f <(printf '%s\n' "${deb[@]}") || true)
[ -z "$extra" ] || fail "packages nobody asked for: $extra"

scratch=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# 1. lintian. It exits non-zero on an error; what it says is kept for the log.
for p in "${packages[@]}"; do
  if lintian --fail-on error --tag-display-limit 0 "${deb[$p]}" > "$scratch/lintian-$p.txt" 2>&1; then
    pass "lintian: $p has no errors"
  else
    fail "lintian: $p"
  fi
  sed 's/^/    /' "$scratch/lintian-$p.txt"
done

# 2. Control data.
field() { dpkg-deb -f "${deb[$1]}" "$2"; }
expect_in() { # what, text, pattern
  if grep -qE -- "$3" <<<"$2"; then pass "$1"; else fail "$1: '$2' lacks /$3/"; fi
}
for p in "${packages[@]}"; do
  [ "$(field "$p" Package)" = "$p" ] || fail "$p: its Package field is $(field "$p" Package)"
  [ "$(field "$p" Version)" = "$debian_version" ] || fail "$p: its version is $(field "$p" Version)"
done
expect_in "libkestlink1 depends on libc6 (dpkg-shlibdeps)" "$(field libkestlink1 Depends)" '(^|, )libc6 \(>= '
expect_in "libkestlink-dev depends on libkestlink1 of its own version" "$(field libkestlink-dev Depends)" \
  "(^|, )libkestlink1 \\(= ${debian_version//./\\.}\\)"
expect_in "kestrix depends on libkestlink1" "$(field kestrix Depends)" "(^|, )libkestlink1 \\(>= ${debian_version//./\\.}\\)"
# kestlink has the library linked in and kestsim never uses it.
case "$(field kestlink-tools Depends)" in
  *libkestlink1*) fail "kestlink-tools depends on libkestlink1, which none of its programs loads" ;;
esac
for p in kestrix kestlink-tools; do
  expect_in "$p depends on libstdc++6 (dpkg-shlibdeps)" "$(field "$p" Depends)" '(^|, )libstdc\+\+6 \(>= '
done
expect_in "kestrix depends on Qt 6 Widgets (dpkg-shlibdeps)" "$(field kestrix Depends)" '(^|, )libqt6widgets6'
mkdir "$scratch/control"
dpkg-deb -e "${deb[libkestlink1]}" "$scratch/control"
expect_in "libkestlink1 has a shlibs file" "$(cat "$scratch/control/shlibs" 2>/dev/null)" \
  "^libkestlink 1 libkestlink1 \\(>= ${debian_version//./\\.}\\)$"
expect_in "libkestlink1 activates the ldconfig trigger" "$(cat "$scratch/control/triggers" 2>/dev/null)" \
  '^activate-noawait ldconfig$'

# 3. Unpacked.
unpacked=$scratch/root
for p in "${packages[@]}"; do
  dpkg-deb -x "${deb[$p]}" "$unpacked"
  dpkg-deb -c "${deb[$p]}" | awk '{print $6}' > "$scratch/files-$p.txt"
done
has() { # package, path inside it
  if grep -qx -- "./$2" "$scratch/files-$1.txt"; then pass "$1 holds /$2"; else fail "$1 lacks /$2"; fi
}
for p in "${packages[@]}"; do
  has "$p" "usr/share/doc/$p/copyright"
  has "$p" "usr/share/doc/$p/changelog.Debian.gz"
done
libdir=usr/lib/$multiarch
has libkestlink1 "$libdir/libkestlink.so.1.0.0"
has libkestlink1 "$libdir/libkestlink.so.1"
has libkestlink-dev "$libdir/libkestlink.so"
has libkestlink-dev usr/include/kestlink.h
has libkestlink-dev "$libdir/pkgconfig/kestlink.pc"
has libkestlink-dev "$libdir/cmake/Kestlink/KestlinkConfig.cmake"
has kestrix usr/bin/kestrix
has kestrix usr/share/applications/kestrix.desktop
has kestrix usr/share/metainfo/org.kestrix.kestrix.metainfo.xml
for size in 16 32 48 64; do has kestrix "usr/share/icons/hicolor/${size}x${size}/apps/kestrix.png"; done
has kestrix usr/share/man/man1/kestrix.1.gz
has kestlink-tools usr/bin/kestsim
has kestlink-tools usr/share/man/man1/kestsim.1.gz
has kestlink-tools usr/share/man/man1/kestlink.1.gz
if grep -q 'libkestlink\.so' "$scratch/files-libkestlink1.txt" && \
   [ "$(grep -c 'libkestlink\.so' "$scratch/files-libkestlink1.txt")" -ne 2 ]; then
  fail "libkestlink1 holds more than the library and its soname link"
fi
for p in libkestlink-dev kestrix kestlink-tools; do
  ! grep -q 'libkestlink\.so\.1' "$scratch/files-$p.txt" || fail "$p holds the shared library too"
done

export LD_LIBRARY_PATH=$unpacked/$libdir
export PATH=$unpacked/usr/bin:$PATH
export PKG_CONFIG_PATH=$unpacked/$libdir/pkgconfig
unset KESTLINK_PORT_DIR KESTLINK_TRACE

# Every program finds every library it needs, the Kestlink one from the package.
for program in kestrix kestsim kestlink; do
  [ -x "$unpacked/usr/bin/$program" ] || continue
  if ldd "$unpacked/usr/bin/$program" | grep -q 'not found'; then
    fail "$program lacks libraries: $(ldd "$unpacked/usr/bin/$program" | grep 'not found' | tr -s ' \t' ' ')"
  else
    pass "$program finds every library it needs"
  fi
done
# Kestrix binds the shared library; kestlink may carry the library's code
# linked in, but whatever binds libkestlink.so.1 must get the packaged one.
for program in kestrix kestlink; do
  [ -x "$unpacked/usr/bin/$program" ] || continue
  bound=$(ldd "$unpacked/usr/bin/$program" | awk '$1 == "libkestlink.so.1" {print $3}')
  if [ -z "$bound" ]; then
    [ "$program" != kestrix ] || fail "kestrix does not bind libkestlink.so.1"
  elif [ "$bound" = "$unpacked/$libdir/libkestlink.so.1" ]; then
    pass "$program binds the packaged libkestlink.so.1"
  else
    fail "$program binds $bound, not the packaged libkestlink.so.1"
  fi
done

# kestlink --version
kestlink=$unpacked/usr/bin/kestlink
if [ -n "$built_kestlink" ] && [ ! -x "$kestlink" ]; then
  fail "the build made kestlink ($built_kestlink) but kestlink-tools lacks /usr/bin/kestlink"
fi
if [ -x "$kestlink" ]; then
  if out=$("$kestlink" --version 2>&1); then
    expect_in "kestlink --version runs and names $version" "$out" "${version//./\\.}"
  else
    fail "kestlink --version exited with $?: $out"
  fi
  has kestlink-tools usr/bin/kestlink
else
  echo "note: kestlink is not built yet, so kestlink-tools holds only kestsim; the kestlink checks are skipped"
fi

# pkg-config: the .pc finds its prefix from where it lies, so the unpacked
# one points into the scratch folder.
modversion=$(pkg-config --modversion kestlink 2>&1) || true
[ "$modversion" = "$version" ] && pass "pkg-config --modversion kestlink is $version" \
  || fail "pkg-config --modversion kestlink said '$modversion'"
includedir=$(pkg-config --variable=includedir kestlink)
[ "$(cd "$includedir" 2>/dev/null && pwd)" = "$unpacked/usr/include" ] \
  && pass "kestlink.pc points into the unpacked tree" || fail "kestlink.pc's includedir is $includedir"

# The C example, built against the unpacked development files.
example=$scratch/read_records
# shellcheck disable=SC2046 # pkg-config gives separate words
if cc -std=c99 -Wall -Wextra -Werror -pedantic -o "$example" "$root/devicelink/examples/read_records.c" \
     $(pkg-config --cflags --libs kestlink); then
  pass "the C example builds against libkestlink-dev"
else
  fail "the C example does not build against libkestlink-dev"
fi

# The CMake package too.
mkdir -p "$scratch/consumer"
cat > "$scratch/consumer/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(Consumer LANGUAGES C)
find_package(Kestlink 1.0 REQUIRED)
add_executable(consumer main.c)
target_link_libraries(consumer PRIVATE Kestlink::kestlink)
CMAKE
printf '#include <kestlink.h>\nint main(void) { return KX_Close() == 1 ? 0 : 1; }\n' > "$scratch/consumer/main.c"
if cmake -S "$scratch/consumer" -B "$scratch/consumer/build" -DCMAKE_PREFIX_PATH="$unpacked/usr" >/dev/null &&
   cmake --build "$scratch/consumer/build" >/dev/null && "$scratch/consumer/build/consumer"; then
  pass "find_package(Kestlink) finds the unpacked CMake package and links"
else
  fail "find_package(Kestlink) against the unpacked CMake package"
fi

# AppStream.
metainfo=$unpacked/usr/share/metainfo/org.kestrix.kestrix.metainfo.xml
if appstreamcli validate --no-net "$metainfo" > "$scratch/appstream.txt" 2>&1; then
  pass "appstreamcli validate --no-net accepts the metainfo"
else
  fail "appstreamcli validate --no-net: $(cat "$scratch/appstream.txt")"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$unpacked/usr/share/applications/kestrix.desktop" \
    && pass "desktop-file-validate accepts kestrix.desktop" || fail "desktop-file-validate kestrix.desktop"
fi

# The manual pages render without complaint.
for page in kestrix kestsim kestlink; do
  if out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$unpacked/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) && [ -z "$out" ]; then
    pass "$page(1) renders without warnings"
  else
    fail "$page(1): $out"
  fi
done

# Reading from the packaged virtual reader. Its first five sample records,
# as Kestrix lists them (sequence, card, time, flag; a space is no flag).
expected_rows=$(cat <<'ROWS'
00001,999 012345678901,2024/01/01 08:00:00, 
00002,999 012346414880,2024/01/01 08:00:17,1
00003,999 012347150859,2024/01/01 08:01:05,2
00004,900 012347886838,2024/01/01 08:02:24,3
00005,999 012348622817,2024/01/01 08:04:14, 
ROWS
)
"$unpacked/usr/bin/kestsim" --records 5 > "$scratch/kestsim.out" 2> "$scratch/kestsim.err" &
sim_pid=$!
for _ in $(seq 300); do
  grep -q '^KESTLINK_PORT_DIR=' "$scratch/kestsim.out" 2>/dev/null && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
port_dir=$(sed -n 's/^KESTLINK_PORT_DIR=//p' "$scratch/kestsim.out" | head -n1)
if [ -z "$port_dir" ]; then
  fail "the packaged kestsim gave no KESTLINK_PORT_DIR line: $(cat "$scratch/kestsim.err")"
else
  pass "the packaged kestsim serves on $port_dir"
  export KESTLINK_PORT_DIR=$port_dir

  # The C example through the packaged library: "00001 CARD YYYY/MM/DD HH:MM:SS flag N".
  if out=$("$example" 10); then
    rows=$(sed -n '2,$p' <<<"$out" | sed -E 's/^([0-9]{5}) (.{16}) ([0-9/]{10} [0-9:]{8}) flag ([0-9]+)$/\1,\2,\3,\4/' |
           sed -E 's/,0$/, /')
    [ "$rows" = "$expected_rows" ] && [ "$(head -n1 <<<"$out")" = "5 records" ] \
      && pass "the C example reads the 5 sample records through the packaged library" \
      || fail "the C example read:"$'\n'"$out"
  else
    fail "the C example found no reader: $out"
  fi

  if [ -x "$kestlink" ]; then
    # What kestlink read prints: one line a row, the four columns in order.
    if out=$("$kestlink" --quiet read 2>"$scratch/read.err"); then
      listed=$(grep -E '^[0-9]{5}' <<<"$out" || true)
      if [ "$(wc -l <<<"$listed")" -ne 5 ]; then
        fail "kestlink read listed $(wc -l <<<"$listed") rows, not 5:"$'\n'"$out"
      else
        i=0 before=$failures
        while IFS=, read -r seq card time flag; do
          i=$((i + 1))
          line=$(sed -n "${i}p" <<<"$listed")
          rest=${line#"$seq"}
          [ "$rest" != "$line" ] || { fail "kestlink read row $i does not start with $seq: $line"; continue; }
          case $rest in *"$card"*"$time"*) ;; *) fail "kestlink read row $i lacks '$card' then '$time': $line"; continue ;; esac
          after=${rest#*"$time"}
          after=$(tr -d ' \t,;|' <<<"$after")
          want=$(tr -d ' ' <<<"$flag")
          [ "$after" = "$want" ] || fail "kestlink read row $i has flag '$after', not '$want': $line"
        done <<<"$expected_rows"
        [ $failures -gt "$before" ] || pass "kestlink read lists the 5 sample records as Kestrix does"
      fi
      if [ -n "$built_kestlink" ]; then
        built_out=$("$built_kestlink" --quiet read 2>/dev/null) || true
        [ "$built_out" = "$out" ] && pass "the packaged kestlink read prints what the build's prints" \
          || fail "the packaged kestlink read differs from the build's:"$'\n'"$built_out"
      fi
    else
      fail "kestlink read exited with $?: $(cat "$scratch/read.err")"
    fi
    # The CSV file: Kestrix's layout, the header then the rows.
    csv=$scratch/records.csv
    if "$kestlink" --quiet read --csv "$csv" >/dev/null 2>"$scratch/csv.err"; then
      [ "$(sed -n '2,$p' "$csv")" = "$expected_rows" ] \
        && pass "kestlink read --csv writes the 5 sample rows in Kestrix's layout" \
        || fail "kestlink read --csv wrote:"$'\n'"$(cat "$csv")"
    else
      fail "kestlink read --csv exited with $?: $(cat "$scratch/csv.err")"
    fi
  fi
fi

# 4. How the development guide has them installed, `sudo apt install
# ./build-debian/debs/*.deb`, as apt would carry it out here: every
# dependency found and the four installed. --simulate changes nothing and
# needs no root.
if apt-get install --simulate "${deb[@]}" >"$scratch/apt.out" 2>&1; then
  installs=$(grep -cE '^Inst (libkestlink1|libkestlink-dev|kestrix|kestlink-tools) ' "$scratch/apt.out" || true)
  [ "$installs" -eq 4 ] \
    && pass "apt install of the four packages resolves on this machine (simulated)" \
    || fail "apt would install $installs of the four packages:"$'\n'"$(cat "$scratch/apt.out")"
else
  fail "apt install of the packages fails here:"$'\n'"$(tail -n 20 "$scratch/apt.out")"
fi

if [ $failures -ne 0 ]; then
  echo "$failures checks failed" >&2
  exit 1
fi
echo "the Debian packages in $debs pass"
