// SPDX-License-Identifier: MIT
#include "pty_pair.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0)
        throw std::runtime_error("no pseudo-terminal name");
    terminal_ = name;
    keeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    struct termios tio {};
    ::tcgetattr(keeper_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(keeper_, TCSANOW, &tio);
}

PtyPair::~PtyPair() { hangUp(); }

void PtyPair::hangUp()
{
    if (keeper_ >= 0)
        ::close(keeper_);
    if (master_ >= 0)
        ::close(master_);
    keeper_ = master_ = -1;
}

void PtyPair::writeMaster(const void *bytes, std::size_t count)
{
    const auto *p = static_cast<const char *>(bytes);
    while (count > 0) {
        const ssize_t n = ::write(master_, p, count);
        if (n <= 0)
            throw std::runtime_error("write to master failed");
        p += n;
        count -= static_cast<std::size_t>(n);
    }
}

std::string PtyPair::readMaster(int waitMs)
{
    std::string got;
    pollfd p{master_, POLLIN, 0};
    while (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
        char buffer[512];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, static_cast<std::size_t>(n));
        waitMs = 20;
    }
    return got;
}

ScratchDir::ScratchDir()
{
    std::string pattern = std::filesystem::temp_directory_path() / "kestlink-test.XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("no scratch directory");
    path_ = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
