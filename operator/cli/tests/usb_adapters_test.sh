#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# USB serial adapters found with KESTLINK_PORT_DIR unset, on a /dev of the
# test's own: a private mount namespace where a tmpfs /dev holds
# pseudo-terminals and links laid out as udev lays out an adapter's
# (serial/by-id/usb-...-if00-port0 -> ../../ttyUSB0), leading to virtual
# readers. Nothing made here is seen outside the namespace.
#
#   usb_adapters_test.sh KESTSIM KESTLINK READ_RECORDS [KESTRIX]
#
# KESTLINK is the command-line tool (the static library), READ_RECORDS the C
# example linked with the shared library, KESTRIX the Qt program, run on a
# virtual X server (Xvfb) and driven with xdotool. As root (CI) the namespace is
# plain; otherwise a user namespace (unshare -r) serves, where the test of a
# port the user may not open is left out. Exit 77 when neither can be had.
set -euo pipefail

if [ "${1:-}" != --inside ]; then
  if [ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null; then
    exec unshare -m --propagation private "$0" --inside root "$@"
  elif unshare -rm true 2>/dev/null; then
    exec unshare -rm --propagation private "$0" --inside user "$@"
  fi
  echo "skipped: no private mount namespace here (unshare -m needs root, unshare -rm user namespaces)"
  exit 77
fi
as=$2
shift 2
# shellcheck source=../../../scripts/xvfb.sh
. "$(dirname "$0")/../../../scripts/xvfb.sh"
kestsim=$1 kestlink=$2 read_records=$3 kestrix=${4:-}
unset KESTLINK_PORT_DIR KESTLINK_TRACE

# The private /dev: what programs need, pseudo-terminals, nothing else.
old=$(mktemp -d)
mount --rbind /dev "$old"
mount -t tmpfs -o mode=755 kestlink-dev /dev
for name in null zero urandom random tty full; do
  touch "/dev/$name"
  mount --bind "$old/$name" "/dev/$name"
done
# Pseudo-terminals of their own (a user namespace may not open the
# machine's ptmx, whose mode is 000).
mkdir /dev/pts /dev/shm
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 kestlink-pts /dev/pts
ln -s pts/ptmx /dev/ptmx
mount -t tmpfs kestlink-shm /dev/shm
umount -l "$old"
rmdir "$old"

work=$(mktemp -d)
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
failures=0
check() {  # check WHAT COMMAND...: runs it, counts a failure
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
contains() { grep -qF -- "$2" <<<"$1" || { echo "  not found: $2"; echo "$1" | sed 's/^/  | /'; return 1; }; }
lacks() { ! grep -qF -- "$2" <<<"$1" || { echo "  found: $2"; return 1; }; }
count_of() { grep -cF -- "$2" <<<"$1" || true; }

# reader N [OPTION...]: a virtual reader with N records; its terminal in
# $terminal, its COM3 link (which follows it after a hang-up) in $link.
reader() {
  local dir=$work/sim$RANDOM records=$1
  shift
  "$kestsim" --dir "$dir" --records "$records" "$@" >"$dir.out" 2>"$dir.err" &
  pids+=($!)
  for _ in $(seq 100); do [ -L "$dir/COM3" ] && break; sleep 0.05; done
  link=$dir/COM3
  terminal=$(readlink "$link")
}
# silent: a terminal whose far end never answers; its terminal in $terminal.
silent() {
  local out=$work/silent$RANDOM
  python3 -c '
import os, pty, time
master, slave = pty.openpty()
print(os.ttyname(slave), flush=True)
while True:
    time.sleep(60)' >"$out" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$out" ] && break; sleep 0.05; done
  terminal=$(head -n 1 "$out")
}
adapter() {  # adapter NODE BYID TARGET: ttyUSBn leading to TARGET, and its by-id link
  ln -sfn "$3" "/dev/$1"
  if [ -n "$2" ]; then
    mkdir -p /dev/serial/by-id
    ln -sfn "../../$1" "/dev/serial/by-id/$2"
  fi
}

first=usb-Maker_Bridge_B0-if00-port0
second=usb-Maker_Reader_R1-if00-port0
silent
adapter ttyUSB0 "$first" "$terminal"
reader 12
adapter ttyUSB1 "$second" "$terminal"
ln -s ../../ttyUSB9 "/dev/serial/by-id/usb-Maker_Gone_G9-if00-port0"   # unplugged
ln -s ../../null "/dev/serial/by-id/usb-Maker_Null_N0-if00-port0"      # no serial port

ports=$("$kestlink" ports 2>&1 || true)
check "the tool finds the reader on the second adapter" \
  contains "$("$kestlink" count 2>&1)" "12"
check "the shared library finds it too (KX_Connect)" \
  contains "$("$read_records" 1 2>&1)" "12 records"
check "ports lists COM3 first, then each adapter by its by-id name" \
  contains "$(head -n 1 <<<"$ports")" "COM3"
check "an adapter without a reader gives no answer" \
  contains "$ports" "$first	USB adapter	/dev/serial/by-id/$first -> "
check "the reader's adapter answers" contains "$ports" "the reader answers (used)"
check "a link and the node it leads to are tried once (by the link)" \
  test "$(count_of "$ports" "/dev/ttyUSB")" = 0
check "a dangling link is reported, not fatal" \
  contains "$ports" "usb-Maker_Gone_G9-if00-port0	USB adapter	/dev/serial/by-id/usb-Maker_Gone_G9-if00-port0 -> (a broken link)	no such port"
check "a link to something that is no serial port is left untouched" \
  contains "$ports" "usb-Maker_Null_N0-if00-port0	USB adapter	/dev/serial/by-id/usb-Maker_Null_N0-if00-port0 -> /dev/null	not a terminal"
check "--port takes a by-id name" \
  contains "$("$kestlink" count --port "$second" 2>&1)" "12"

# Held by another program: its name and process id are given.
flock "/dev/serial/by-id/$second" sleep 60 &
holder=$!
pids+=($holder)
sleep 0.3
held=$("$kestlink" count 2>&1 || true)
check "a held port names its holder" contains "$held" "$second：已被程序 flock（PID $holder）占用"
check "with the reader held, the connect fails with every port's reason" \
  contains "$held" "kestlink: 连接失败！"
check "the other adapter's reason is there too" contains "$held" "$first：没有应答"
pkill -P "$holder" || true   # flock's command holds the lock too
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true

# A port the user may not open (not in dialout): the fix is given.
if [ "$as" = root ] && command -v setpriv >/dev/null; then
  terminal=$(readlink -f "/dev/serial/by-id/$second")
  chmod 0600 "$terminal"
  denied=$(setpriv --reuid nobody --regid nogroup --clear-groups "$kestlink" count 2>&1 || true)
  chmod 0620 "$terminal"
  check "a port the user may not open gives the permission line and its fix" \
    contains "$denied" "$second：没有权限。请运行 sudo usermod -aG dialout \$USER，然后重新登录"
else
  echo "skipped: the permission case needs root (this runs in a user namespace)"
fi

# Without udev: no by-id folder, the nodes are tried.
rm -rf /dev/serial
nodes=$("$kestlink" ports 2>&1 || true)
check "without by-id links the ttyUSB nodes are tried" \
  contains "$nodes" "/dev/ttyUSB1	USB adapter (device node)	/dev/ttyUSB1 -> "
check "and the reader is found on its node" contains "$("$kestlink" count 2>&1)" "12"

# A cable pulled mid-download: the reader hangs up on the 6th record and
# comes back, as an adapter does, under a new node name (ttyUSB2 for
# ttyUSB1); its by-id link follows it.
rm -f /dev/ttyUSB*
reader 20 --fault hang-up:read-record@6x1
adapter ttyUSB1 "$second" "$terminal"
csv=$work/pulled.csv
status=0
pulled=$("$kestlink" read --csv "$csv" 2>&1 >/dev/null) || status=$?
check "a pulled reader ends the read with status 1" test "$status" = 1
check "the tool says the connection was lost and how many came" \
  contains "$pulled" "与读卡器的连接已断开，共读取 5 条记录 ! (record 6 of 20)"
check "the file keeps the five rows read" test "$(grep -c '^0000' "$csv")" = 5
for _ in $(seq 100); do [ "$(readlink "$link")" != "$terminal" ] && break; sleep 0.05; done
rm -f /dev/ttyUSB1
adapter ttyUSB2 "$second" "$link"
check "the reader is found again under its new node name" contains "$("$kestlink" count 2>&1)" "20"
check "and read whole" test "$("$kestlink" read 2>/dev/null | grep -c .)" = 20

# Kestrix itself, started as from the desktop menu (no port folder), finds the
# reader on the adapter: 连接设备, then 读取数据 reads every record.
if [ -n "$kestrix" ]; then
  rm -rf /dev/serial /dev/ttyUSB*
  log=$work/gui-reader.log
  "$kestsim" --dir "$work/gui" --records 30 --log >/dev/null 2>"$log" &
  pids+=($!)
  for _ in $(seq 100); do [ -L "$work/gui/COM3" ] && break; sleep 0.05; done
  adapter ttyUSB0 "$second" "$work/gui/COM3"
  XVFB_PID=""
  check "an X server for Kestrix" xvfb_start "$work" 1024x768
  [ -z "$XVFB_PID" ] || pids+=("$XVFB_PID")
  mkdir -m 700 "$work/runtime"
  export XDG_RUNTIME_DIR=$work/runtime
  "$kestrix" 2>"$work/kestrix.err" &
  app=$!
  pids+=($app)
  main=""
  for _ in $(seq 300); do
    main=$(xdotool search --onlyvisible --pid "$app" --name '^Kestrix$' 2>/dev/null | head -n 1 || true)
    [ -n "$main" ] && break
    sleep 0.1
  done
  # A button's centre, given in dialog units (the template's 319 x 391).
  click_units() {
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool windowfocus "$main" 2>/dev/null || true
    sleep 0.3
    xdotool mousemove --window "$main" $(($1 * WIDTH / 319)) $(($2 * HEIGHT / 391)) click 1
  }
  box() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$main" | head -n 1 || true; }
  dismiss() {
    local b=""
    for _ in $(seq 100); do b=$(box); [ -n "$b" ] && break; sleep 0.1; done
    [ -n "$b" ] || return 1
    xdotool windowfocus "$b" 2>/dev/null || true
    sleep 0.3
    xdotool key Return
    sleep 0.5
  }
  reads() { grep -c '<- AA 01 02 ' "$log" || true; }
  if [ -n "$main" ]; then
    click_units 28 15 # 连接设备
    check "Kestrix's connect is answered" dismiss
    check "the reader heard Kestrix's handshake through the adapter" grep -q '<- AA 00 00 00 55' "$log"
    click_units 28 65 # 读取数据
    for _ in $(seq 100); do [ "$(reads)" -ge 30 ] && break; sleep 0.1; done
    check "Kestrix read every record through the adapter" test "$(reads)" = 30
  else
    check "Kestrix's window came up" false
  fi
  kill "$app" 2>/dev/null || true
fi

# A figure, not a check: the reader on the first adapter, COM3 to COM9
# absent, found by the search and named with --port (no search).
rm -rf /dev/serial /dev/ttyUSB*
adapter ttyUSB0 "$second" "$link"
ms() { local start end; start=$(date +%s%N); "$@" >/dev/null 2>&1; end=$(date +%s%N); echo $(((end - start) / 1000000)); }
searched=0 named=0
for _ in 1 2 3 4 5; do
  searched=$((searched + $(ms "$kestlink" count)))
  named=$((named + $(ms "$kestlink" count --port "$second")))
done
echo "figure: count through the first USB adapter: $((searched / 5)) ms found by the search, $((named / 5)) ms named with --port (5 runs each, process start included)"
extra=$(((searched - named) / 5))
echo "| connect on the first USB adapter, COM3 to COM9 absent: the search over --port (Linux) | $extra ms | at most 500 ms | $([ "$extra" -le 500 ] && echo yes || echo NO) |"

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
