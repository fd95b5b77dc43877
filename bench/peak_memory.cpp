// SPDX-License-Identifier: MIT
#include "peak_memory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kestbench {

namespace {

// A "Name:   1234 kB" line of /proc/self/status, in KiB; -1 when missing.
long statusKiB(const char *name)
{
    std::FILE *file = std::fopen("/proc/self/status", "r");
    if (file == nullptr)
        return -1;
    const std::size_t nameLength = std::strlen(name);
    char line[256];
    long value = -1;
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::strncmp(line, name, nameLength) == 0 && line[nameLength] == ':') {
            value = std::strtol(line + nameLength + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(file);
    return value;
}

} // namespace

bool PeakMemoryWatch::start(std::string &why)
{
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd < 0 || ::write(fd, "5", 1) != 1) {
        why = std::string("cannot reset the peak through /proc/self/clear_refs: ") + std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    startKiB_ = statusKiB("VmRSS");
    if (startKiB_ < 0 || statusKiB("VmHWM") < 0) {
        why = "no VmRSS or VmHWM in /proc/self/status";
        return false;
    }
    return true;
}

MemoryGrowth PeakMemoryWatch::growth() const
{
    return {statusKiB("VmHWM") - startKiB_, statusKiB("VmRSS") - startKiB_};
}

} // namespace kestbench
