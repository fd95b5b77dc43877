// SPDX-License-Identifier: MIT
#include "port_holder.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kestlink {

namespace fs = std::filesystem;

namespace {

std::string commandOf(int pid)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 00:05:123 0 EOF", the file
// named by its file system's major:minor (hex) and inode.
std::optional<int> lockHolder(const struct stat &node)
{
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        int pid = 0;
        if (!(fields >> number >> kind))
            continue;
        if (kind == "->") // a waiter, listed under the holder
            continue;
        if (!(fields >> mode >> access >> pid >> file))
            continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3)
            continue;
        if (major == ::major(node.st_dev) && minor == ::minor(node.st_dev) && inode == node.st_ino &&
            pid != ::getpid() && pid > 0)
            return pid;
    }
    return std::nullopt;
}

// A process with the device open (the exclusive mode of a terminal names
// nobody, so its holders are found by their open files).
std::optional<int> openerOf(dev_t device)
{
    std::error_code error;
    for (fs::directory_iterator proc("/proc", error), end; !error && proc != end; proc.increment(error)) {
        const std::string name = proc->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const int pid = std::stoi(name);
        if (pid == ::getpid())
            continue;
        std::error_code fdError;
        for (fs::directory_iterator fd(proc->path() / "fd", fdError), fdEnd; !fdError && fd != fdEnd;
             fd.increment(fdError)) {
            struct stat info {};
            if (::stat(fd->path().c_str(), &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == device)
                return pid;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<PortHolder> portHolder(const std::string &path)
{
    struct stat node {};
    if (::stat(path.c_str(), &node) != 0 || !S_ISCHR(node.st_mode))
        return std::nullopt;
    // The lock names the process that took it, which may have ended since
    // and left it to a child that inherited the file.
    if (const auto pid = lockHolder(node)) {
        if (std::string program = commandOf(*pid); !program.empty())
            return PortHolder{*pid, program};
    }
    if (const auto pid = openerOf(node.st_rdev))
        return PortHolder{*pid, commandOf(*pid)};
    return std::nullopt;
}

} // namespace kestlink
