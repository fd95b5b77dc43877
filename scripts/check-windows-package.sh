#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Windows zip that the build makes (windows-package/ of the build
# folder, from packaging/windows/): every file of its layout is there and
# nothing else, each DLL and program is built for the width of its folder, and
# README.txt has Windows line ends.
#
#   scripts/check-windows-package.sh ZIP
#
# Exit status 0 when the zip is as expected.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 ZIP" >&2
    exit 2
fi
zip=$1

for tool in unzip x86_64-w64-mingw32-objdump; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "check-windows-package: $tool not found (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
done
if [[ ! -f $zip ]]; then
    echo "FAIL: $zip not found (build the target kestrix_windows_package first)"
    exit 1
fi

# CPack puts everything under one folder named as the zip.
top=$(basename "$zip" .zip)

required=(
    README.txt
    LICENSE.txt
    include/kestlink.h
    def/kestlink.def
    def/kestlink-x86.def
    x64/kestlink.dll
    x64/libkestlink.dll.a
    x86/kestlink.dll
    x86/libkestlink.dll.a
    x64/Kestrix.exe
    x86/Kestrix.exe
)
echo "== $zip"
unzip -l "$zip"

# The files, without the folder entries.
entries=$(unzip -Z1 "$zip" | grep -v '/$' || true)
status=0

has_entry() { grep -qxF -- "$top/$1" <<<"$entries"; }

for f in "${required[@]}"; do
    if ! has_entry "$f"; then
        echo "FAIL: $top/$f is missing"
        status=1
    fi
done

while read -r entry; do
    [[ -z $entry ]] && continue
    known=0
    for f in "${required[@]}"; do
        [[ $entry == "$top/$f" ]] && known=1
    done
    if [[ $known == 0 ]]; then
        echo "FAIL: $entry is not part of the package's layout"
        status=1
    fi
done <<<"$entries"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# check_format FILE FORMAT: the PE file FILE of the zip is of FORMAT.
check_format() {
    local file=$1 expected=$2 format
    unzip -p "$zip" "$top/$file" >"$work/binary"
    # x86_64-w64-mingw32-objdump reads 32-bit PE files as well.
    format=$(x86_64-w64-mingw32-objdump -f "$work/binary" 2>/dev/null |
        sed -n 's/.*file format //p' | head -n 1)
    if [[ $format == "$expected" ]]; then
        echo "ok: $file is $format"
    else
        echo "FAIL: $file is ${format:-no PE file}, expected $expected"
        status=1
    fi
}

# check_imports FILE: the PE file FILE needs nothing a bare Windows lacks:
# the compiler's runtime is linked in, so no libstdc++, libgcc or
# libwinpthread DLL must travel with it; only Windows' own DLLs and
# kestlink.dll, which lies beside it.
check_imports() {
    local file=$1 dll foreign=()
    unzip -p "$zip" "$top/$file" >"$work/binary"
    while read -r dll; do
        case ${dll,,} in
            kernel32.dll | advapi32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | msvcrt.dll | kestlink.dll) ;;
            *) foreign+=("$dll") ;;
        esac
    done < <(x86_64-w64-mingw32-objdump -p "$work/binary" | sed -n 's/^[[:space:]]*DLL Name: //p')
    if [[ ${#foreign[@]} -eq 0 ]]; then
        echo "ok: $file needs only Windows' own DLLs and kestlink.dll"
    else
        echo "FAIL: $file needs ${foreign[*]}, which the package does not hold"
        status=1
    fi
}

for arch_format in x64:pei-x86-64 x86:pei-i386; do
    arch=${arch_format%%:*}
    format=${arch_format#*:}
    for file in "$arch/kestlink.dll" "$arch/Kestrix.exe"; do
        if has_entry "$file"; then
            check_format "$file" "$format"
            check_imports "$file"
        fi
    done
done

if has_entry README.txt; then
    unzip -p "$zip" "$top/README.txt" >"$work/README.txt"
    # Every line ends in CR LF, the last one too, and no CR stands alone.
    if ! python3 - "$work/README.txt" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
problems = []
if not data.endswith(b"\r\n"):
    problems.append("the last line does not end in CR LF")
if data.replace(b"\r\n", b"").count(b"\n"):
    problems.append("%d line(s) end in a bare LF" % data.replace(b"\r\n", b"").count(b"\n"))
if data.replace(b"\r\n", b"").count(b"\r"):
    problems.append("a bare CR")
text = data[3:] if data.startswith(b"\xef\xbb\xbf") else data
if text is data and any(b > 0x7f for b in data):
    problems.append("not ASCII and no UTF-8 byte order mark")
else:
    try:
        text.decode("utf-8")
    except UnicodeDecodeError as e:
        problems.append("not UTF-8 (%s)" % e)
for p in problems:
    print("FAIL: README.txt: " + p)
sys.exit(1 if problems else 0)
PY
    then
        status=1
    else
        echo "ok: README.txt has CRLF line ends"
    fi
fi

if [[ $status == 0 ]]; then
    echo "OK: the package holds its layout, each binary is built for its folder's width"
fi
exit $status
