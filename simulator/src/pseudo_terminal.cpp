// SPDX-License-Identifier: MIT
#include "pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <cerrno>
#include <system_error>

namespace kestsim {
namespace {

[[noreturn]] void fail(const char *what) { throw std::system_error(errno, std::generic_category(), what); }

// 8 data bits, no parity, no echo, no line editing, no flow control: the
// line carries binary frames.
void makeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        fail("tcgetattr on pseudo-terminal");
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        fail("tcsetattr on pseudo-terminal");
}

} // namespace

PseudoTerminal openPseudoTerminal()
{
    PseudoTerminal pty;
    pty.master.reset(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.master)
        fail("posix_openpt");
    if (grantpt(pty.master.get()) != 0)
        fail("grantpt");
    if (unlockpt(pty.master.get()) != 0)
        fail("unlockpt");
    char name[128];
    if (const int error = ptsname_r(pty.master.get(), name, sizeof name); error != 0) {
        errno = error;
        fail("ptsname_r");
    }
    pty.slavePath = name;
    const int flags = fcntl(pty.master.get(), F_GETFL);
    if (flags < 0 || fcntl(pty.master.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        fail("fcntl on pseudo-terminal master");
    }
    pty.slaveHold.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.slaveHold)
        fail("opening pseudo-terminal slave");
    makeRaw(pty.slaveHold.get());
    return pty;
}

} // namespace kestsim
