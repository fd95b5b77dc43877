#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The built library exports exactly the thirteen commands, the connect
# report and the link state, and carries a SONAME.
set -euo pipefail
library=$1

expected="KX_Close
KX_Connect
KX_DeleteAllData
KX_DeleteCmpData
KX_GetConnectReport
KX_GetDomain
KX_GetKey
KX_GetLinkState
KX_LoadCmpData
KX_QueryNumber
KX_ReadCmpData
KX_ReadData
KX_SetDomain
KX_SetKey
KX_SetTime"

actual=$(nm -D --defined-only "$library" | awk '{print $NF}' | sed 's/@.*//' | sort)
if [ "$actual" != "$expected" ]; then
  echo "exported symbols differ from the thirteen commands, the connect report and the link state:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
if [ "$soname" != "libkestlink.so.1" ]; then
  echo "SONAME is '$soname', expected libkestlink.so.1"
  exit 1
fi
echo "15 exports, SONAME $soname"
