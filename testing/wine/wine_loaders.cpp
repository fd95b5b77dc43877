// SPDX-License-Identifier: MIT
#include "kestrix_testing/wine/wine_loaders.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char **environ;

namespace kestlink::test {

namespace {

std::string outputOf(const std::string &script)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const char *argv[] = {"/bin/sh", script.c_str(), nullptr};
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char *const *>(argv), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    if (error == 0) {
        char buffer[1024];
        ssize_t n;
        while ((n = ::read(out[0], buffer, sizeof buffer)) != 0) {
            if (n > 0)
                text.append(buffer, static_cast<std::size_t>(n));
            else if (errno != EINTR)
                break;
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(out[0]);
    if (error != 0)
        throw std::runtime_error(script + ": " + std::strerror(error));
    return text;
}

WineLoaders ask()
{
    const std::string script = KESTLINK_WINE_SCRIPTS "/wine-loaders.sh";
    std::istringstream lines(outputOf(script));
    WineLoaders loaders;
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        const std::string key = line.substr(0, equals),
                          value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key == "KESTRIX_WINE64")
            loaders.wine64 = value;
        else if (key == "KESTRIX_WINESERVER")
            loaders.wineserver = value;
        else if (key == "KESTRIX_WINE32")
            loaders.wine32 = value;
        else if (key == "KESTRIX_WINE32_SKIP")
            loaders.skip32 = value;
    }
    if (loaders.wine64.empty() || loaders.wineserver.empty())
        throw std::runtime_error(script + " found no 64-bit Wine loader or no wineserver (scripts/install-deps.sh "
                                          "installs wine and wine64)");
    return loaders;
}

} // namespace

const WineLoaders &wineLoaders()
{
    static const WineLoaders loaders = ask();
    return loaders;
}

int windowsWidthOf(const std::string &executable)
{
    std::ifstream in(executable, std::ios::binary);
    unsigned char dos[64] = {};
    if (!in.read(reinterpret_cast<char *>(dos), sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return 0;
    const std::uint32_t header =
        dos[0x3C] | dos[0x3D] << 8 | dos[0x3E] << 16 | static_cast<std::uint32_t>(dos[0x3F]) << 24;
    unsigned char pe[6] = {};
    if (!in.seekg(header) || !in.read(reinterpret_cast<char *>(pe), sizeof pe) || std::memcmp(pe, "PE\0\0", 4) != 0)
        return 0;
    switch (pe[4] | pe[5] << 8) {
    case 0x014C: return 32; // i386
    case 0x8664: return 64; // x86-64
    default: return 0;
    }
}

} // namespace kestlink::test
