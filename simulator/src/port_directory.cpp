// SPDX-License-Identifier: MIT
#include "kestsim/port_directory.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace kestsim {
namespace {

std::filesystem::path makeTemporaryDirectory()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kestsim.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    }
    return buffer.data();
}

void checkComNumber(int comNumber)
{
    if (comNumber < 1) {
        throw std::invalid_argument("port number must be 1 or more, not " + std::to_string(comNumber));
    }
}

} // namespace

PortDirectory::PortDirectory() : path_(makeTemporaryDirectory()), created_(true) {}

PortDirectory::PortDirectory(std::filesystem::path directory) : path_(std::move(directory))
{
    created_ = std::filesystem::create_directories(path_);
}

PortDirectory::~PortDirectory()
{
    std::error_code ignored;
    for (int comNumber : links_)
        std::filesystem::remove(linkPath(comNumber), ignored);
    // Only an empty directory goes: something a person put there stays.
    if (created_)
        std::filesystem::remove(path_, ignored);
}

std::filesystem::path PortDirectory::linkPath(int comNumber) const
{
    return path_ / ("COM" + std::to_string(comNumber));
}

void PortDirectory::link(int comNumber, const std::string &target)
{
    checkComNumber(comNumber);
    std::lock_guard lock(mutex_);
    const auto finalPath = linkPath(comNumber);
    const auto temporary = path_ / (".COM" + std::to_string(comNumber) + ".new");
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        throw std::system_error(errno, std::generic_category(), "symlink " + temporary.string());
    }
    if (std::rename(temporary.c_str(), finalPath.c_str()) != 0) {
        const int error = errno;
        std::filesystem::remove(temporary, ignored);
        throw std::system_error(error, std::generic_category(), "rename to " + finalPath.string());
    }
    links_.insert(comNumber);
}

void PortDirectory::unlink(int comNumber)
{
    std::lock_guard lock(mutex_);
    std::error_code ignored;
    std::filesystem::remove(linkPath(comNumber), ignored);
    links_.erase(comNumber);
}

} // namespace kestsim
