// SPDX-License-Identifier: MIT
#include "port_name.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace kestlink {

std::string portPath(const char *portName)
{
    const char *digits = portName + 3;
    const bool isComName = std::strncmp(portName, "COM", 3) == 0 && *digits != '\0' &&
                           std::strspn(digits, "0123456789") == std::strlen(digits) && *digits != '0';
    if (!isComName) {
        // A bare name that udev gave a USB serial adapter.
        if (*portName != '\0' && std::strchr(portName, '/') == nullptr) {
            const std::string byId = std::string("/dev/serial/by-id/") + portName;
            struct stat info {};
            if (::lstat(byId.c_str(), &info) == 0)
                return byId;
        }
        return portName;
    }

    const char *dir = std::getenv("KESTLINK_PORT_DIR");
    if (dir != nullptr && *dir != '\0') {
        std::string path(dir);
        if (path.back() != '/')
            path += '/';
        return path + portName;
    }
    return "/dev/ttyS" + std::to_string(std::atoi(digits) - 1);
}

} // namespace kestlink
