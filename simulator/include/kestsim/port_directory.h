// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <mutex>
#include <set>
#include <string>

namespace kestsim {

// A directory of links "COM3" -> "/dev/pts/7" standing in for the system's
// serial ports; the host is pointed at it with KESTLINK_PORT_DIR.
class PortDirectory {
public:
    // A new, empty directory "kestsim.XXXXXX" under $TMPDIR or /tmp, removed
    // with everything in it on destruction.
    PortDirectory();
    // A directory of the caller's choosing, created if absent. Only the links
    // made here are removed, and the directory itself only if it was created.
    explicit PortDirectory(std::filesystem::path directory);
    ~PortDirectory();

    PortDirectory(const PortDirectory &) = delete;
    PortDirectory &operator=(const PortDirectory &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path linkPath(int comNumber) const;

    // Points COM<n> at the target, replacing an existing link in one step so
    // that a host never finds the name missing.
    void link(int comNumber, const std::string &target);
    void unlink(int comNumber);

private:
    std::filesystem::path path_;
    bool created_ = false;
    std::mutex mutex_;
    std::set<int> links_;
};

} // namespace kestsim
