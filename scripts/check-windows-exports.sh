#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks what programs see of the Windows DLLs: exactly the thirteen commands,
# the connect report (ordinal 14) and the link state (15), KX_ names at their
# fixed ordinals, undecorated (the 32-bit __stdcall ones too), nothing else
# exported, and no import of a MinGW runtime DLL, which a target machine
# would not have.
#
#   scripts/check-windows-exports.sh DLL...   (default: the two DLLs of build/)
#
# The build makes them (windows-x64/ and windows-x86/ of the build folder);
# CTest runs this on both. Exit status 0 when every DLL is as expected.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
if [[ $# -eq 0 ]]; then
    # shellcheck source=scripts/programs.sh
    . scripts/programs.sh
    x64=$(program build/windows-x64 kestlink)
    x86=$(program build/windows-x86 kestlink)
    set -- "$x64" "$x86"
fi

# x86_64-w64-mingw32-objdump reads 32-bit PE files as well.
objdump=x86_64-w64-mingw32-objdump
if ! command -v "$objdump" >/dev/null 2>&1; then
    echo "check-windows-exports: $objdump not found (scripts/install-deps.sh installs it)" >&2
    exit 1
fi

expected_exports=$(sort <<'NAMES'
KX_Connect 1
KX_Close 2
KX_ReadData 3
KX_DeleteAllData 4
KX_QueryNumber 5
KX_SetTime 6
KX_LoadCmpData 7
KX_DeleteCmpData 8
KX_ReadCmpData 9
KX_SetDomain 10
KX_GetDomain 11
KX_SetKey 12
KX_GetKey 13
KX_GetConnectReport 14
KX_GetLinkState 15
NAMES
)

# check_dll DLL: prints what the DLL exports and imports; 0 when as expected.
check_dll() {
    local dll=$1 dump actual_exports address_slots imports status=0
    if [[ ! -f $dll ]]; then
        echo "FAIL: $dll not found (build first)"
        return 1
    fi
    dump=$("$objdump" -p "$dll")

    # Name and ordinal of every named export, one "NAME ORDINAL" a line. Older
    # binutils print the unbiased index in the name table, newer ones add
    # "+base[N]" with the real ordinal; both are handled.
    actual_exports=$(awk '
        /Export Address Table -- Ordinal Base/ { base = $NF + 0 }
        /^\[Ordinal\/Name Pointer\] Table/ { in_names = 1; next }
        in_names && /^[[:space:]]*$/ { in_names = 0; next }
        in_names {
            line = $0
            if (match(line, /\+base\[[[:space:]]*[0-9]+\]/)) {
                tag = substr(line, RSTART, RLENGTH)
                gsub(/[^0-9]/, "", tag)
                ordinal = tag + 0
            } else if (match(line, /\[[[:space:]]*[0-9]+\]/)) {
                tag = substr(line, RSTART, RLENGTH)
                gsub(/[^0-9]/, "", tag)
                ordinal = tag + base
            } else {
                next
            }
            print $NF, ordinal
        }' <<<"$dump" | sort)

    # Every slot of the export address table, named or not.
    address_slots=$(awk '
        /Export Address Table -- Ordinal Base/ { in_eat = 1; next }
        in_eat && /^[[:space:]]*$/ { in_eat = 0; next }
        in_eat && /\+base\[/ { n++ }
        END { print n + 0 }' <<<"$dump")

    imports=$(awk '/DLL Name:/ { print $NF }' <<<"$dump")

    echo "== $dll ($(sed -n "s/.*file format //p" <<<"$dump" | head -n 1))"
    echo "exports (name ordinal):"
    sed 's/^/  /' <<<"$actual_exports"
    echo "address table slots: $address_slots"
    echo "imports:"
    sed 's/^/  /' <<<"$imports"

    if [[ $actual_exports != "$expected_exports" ]]; then
        echo "FAIL: the exports differ from the expected fifteen (- expected, + found):"
        diff <(echo "$expected_exports") <(echo "$actual_exports") | grep '^[<>]' |
            sed 's/^</  -/; s/^>/  +/' || true
        status=1
    fi
    if [[ $address_slots != 15 ]]; then
        echo "FAIL: the export address table has $address_slots slots, expected 15"
        status=1
    fi
    while read -r name; do
        [[ -z $name ]] && continue
        case ${name,,} in
        libstdc++*.dll | libgcc_s*.dll | libwinpthread*.dll)
            echo "FAIL: imports the MinGW runtime DLL $name"
            status=1
            ;;
        kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-*.dll | advapi32.dll | \
            user32.dll | shell32.dll | ntdll.dll) ;;
        *)
            echo "FAIL: imports $name, which is no Windows system DLL"
            status=1
            ;;
        esac
    done <<<"$imports"
    if [[ $status == 0 ]]; then
        echo "OK: 15 undecorated exports at ordinals 1 to 15; imports only Windows system DLLs"
    fi
    return $status
}

status=0
for dll in "$@"; do
    check_dll "$dll" || status=1
done
exit $status
