// SPDX-License-Identifier: MIT
// Further COM ports on Windows: every serial port driver, USB adapters among
// them, lists its port under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (value: the
// device, data: "COMn"). COM10 and above open only as \\.\COMn, which
// SerialChannel::open gives every name.
#include "port_candidates.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "discovery.h"

namespace kestlink {

namespace {

// n for "COMn" (any case), 0 for anything else.
int comNumber(const std::string &name)
{
    if (name.size() < 4 || _strnicmp(name.c_str(), "COM", 3) != 0)
        return 0;
    char *end = nullptr;
    const long n = std::strtol(name.c_str() + 3, &end, 10);
    return (*end == '\0' && n > 0 && n < 256) ? static_cast<int>(n) : 0;
}

} // namespace

std::vector<PortCandidate> usbAdapterPorts(const std::string &)
{
    std::set<int> numbers;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        for (DWORD index = 0;; ++index) {
            char valueName[256];
            DWORD valueNameSize = sizeof valueName;
            char data[64] = {};
            DWORD dataSize = sizeof data - 1;
            DWORD type = 0;
            const LONG result = RegEnumValueA(key, index, valueName, &valueNameSize, nullptr, &type,
                                              reinterpret_cast<BYTE *>(data), &dataSize);
            if (result == ERROR_NO_MORE_ITEMS)
                break;
            if (result != ERROR_SUCCESS || type != REG_SZ)
                continue;
            data[std::min<DWORD>(dataSize, sizeof data - 1)] = '\0';
            const int n = comNumber(data);
            if (n != 0 && (n < kFirstReaderPort || n > kLastReaderPort))
                numbers.insert(n);
        }
        RegCloseKey(key);
    }
    std::vector<PortCandidate> ports;
    for (const int n : numbers) {
        const std::string name = "COM" + std::to_string(n);
        ports.push_back({name, "\\\\.\\" + name, PortKind::Listed});
    }
    return ports;
}

} // namespace kestlink
