#!/usr/bin/env bash
# Cross-compiles kestlink.dll for 64-bit Windows and checks what programs see
# of it: exactly the thirteen KX_ names at their fixed ordinals, undecorated,
# nothing else exported, and no import of a MinGW runtime DLL, which a target
# machine would not have.
#
# Needs g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64; installs
# nothing. Exit status 0 when the DLL is as expected, 1 otherwise.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

triplet=x86_64-w64-mingw32
objdump=${triplet}-objdump
build_dir=build-windows

for tool in "${triplet}-g++-posix" "$objdump" cmake; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "check-windows-exports: $tool not found" >&2
        exit 1
    fi
done

# A build directory configured for another compiler is started afresh; the
# toolchain file is read only on a first configure.
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
fresh=()
if [[ -f $build_dir/CMakeCache.txt ]] &&
    ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" "$build_dir/CMakeCache.txt"; then
    fresh=(--fresh)
fi

echo "== configuring $build_dir"
cmake "${fresh[@]}" --no-warn-unused-cli -S . -B "$build_dir" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DKESTRIX_LIBRARY_ONLY=ON -DKESTRIX_TESTS=OFF >/dev/null
echo "== building kestlink"
cmake --build "$build_dir" --target kestlink --parallel

dll=$build_dir/devicelink/kestlink.dll
if [[ ! -f $dll ]]; then
    dll=$(find "$build_dir" -name kestlink.dll -print -quit)
fi
if [[ -z $dll || ! -f $dll ]]; then
    echo "check-windows-exports: kestlink.dll was not built" >&2
    exit 1
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

expected_exports=$(sort <<'EOF'
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
EOF
)

imports=$(awk '/DLL Name:/ { print $NF }' <<<"$dump")

status=0

echo "== $dll"
echo "exports (name ordinal):"
sed 's/^/  /' <<<"$actual_exports"
echo "address table slots: $address_slots"
echo "imports:"
sed 's/^/  /' <<<"$imports"

if [[ $actual_exports != "$expected_exports" ]]; then
    echo "FAIL: the exports differ from the expected thirteen (- expected, + found):"
    diff <(echo "$expected_exports") <(echo "$actual_exports") | grep '^[<>]' |
        sed 's/^</  -/; s/^>/  +/' || true
    status=1
fi
if [[ $address_slots != 13 ]]; then
    echo "FAIL: the export address table has $address_slots slots, expected 13"
    status=1
fi

while read -r name; do
    [[ -z $name ]] && continue
    lower=${name,,}
    case $lower in
    libstdc++*.dll | libgcc_s*.dll | libwinpthread*.dll)
        echo "FAIL: imports the MinGW runtime DLL $name"
        status=1
        ;;
    kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-*.dll | advapi32.dll | \
        user32.dll | shell32.dll | ntdll.dll)
        ;;
    *)
        echo "FAIL: imports $name, which is no Windows system DLL"
        status=1
        ;;
    esac
done <<<"$imports"

if [[ $status == 0 ]]; then
    echo "OK: 13 exports at ordinals 1 to 13; imports only Windows system DLLs"
fi
exit $status
