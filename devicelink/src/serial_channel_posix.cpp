// SPDX-License-Identifier: MIT
// The serial channel on POSIX systems: termios for the line, poll on a
// monotonic clock for the read time-outs.
#include "serial_channel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "port_name.h"
#include "read_deadline.h"

namespace kestlink {

namespace {

using Clock = std::chrono::steady_clock;

OpenFailure failureFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV: return OpenFailure::NotFound;
    case EACCES:
    case EPERM: return OpenFailure::PermissionDenied;
    case EBUSY: // TIOCEXCL held by another program
        return OpenFailure::Busy;
    case EISDIR: return OpenFailure::NotATerminal;
    default: return OpenFailure::Other;
    }
}

speed_t speedFor(std::uint32_t baud)
{
    switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B115200;
    }
}

std::uint32_t baudFor(speed_t speed)
{
    switch (speed) {
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
    }
}

tcflag_t sizeFlag(std::uint8_t bits)
{
    switch (bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

} // namespace

SerialChannel::~SerialChannel() { close(); }

bool SerialChannel::isClosed() const { return fd_ < 0; }

bool SerialChannel::open(const char *portName)
{
    close();
    lineLost_ = false;
    lastOpenPath_ = portPath(portName);
    lastOpenFailure_ = OpenFailure::None;

    // Only an existing character device is opened at all, so a regular file or
    // a directory that happens to carry a port's name is never touched.
    struct stat info {};
    if (::stat(lastOpenPath_.c_str(), &info) != 0) {
        lastOpenFailure_ = failureFromErrno(errno);
        return false;
    }
    if (!S_ISCHR(info.st_mode)) {
        lastOpenFailure_ = OpenFailure::NotATerminal;
        return false;
    }

    const int fd = ::open(lastOpenPath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastOpenFailure_ = failureFromErrno(errno);
        return false;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        lastOpenFailure_ = OpenFailure::NotATerminal;
        return false;
    }
    // Exclusive use: the advisory lock that other serial programs honour, and
    // TIOCEXCL so that nobody else (but root) opens it while we hold it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        lastOpenFailure_ = (errno == EWOULDBLOCK) ? OpenFailure::Busy : failureFromErrno(errno);
        return false;
    }
    if (::tcgetattr(fd, &savedSettings_) != 0) {
        ::close(fd);
        lastOpenFailure_ = OpenFailure::NotATerminal;
        return false;
    }
    ::ioctl(fd, TIOCEXCL);

    fd_ = fd;
    // No read time-outs until they are set; a write that stops draining gives
    // up after a second instead of hanging the caller.
    timeouts_ = Timeouts{};
    timeouts_.writeTotalConstantMs = 1000;
    purge();
    return true;
}

bool SerialChannel::close()
{
    lineLost_ = false;
    if (fd_ < 0)
        return true;
    // Leave the port as we found it for the next program.
    ::tcsetattr(fd_, TCSANOW, &savedSettings_);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_); // also drops the advisory lock
    fd_ = -1;
    return true;
}

bool SerialChannel::getState(LineSettings &settings)
{
    struct termios tio {};
    if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0)
        return false;
    settings.baudRate = baudFor(::cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
    case CS5: settings.dataBits = 5; break;
    case CS6: settings.dataBits = 6; break;
    case CS7: settings.dataBits = 7; break;
    default: settings.dataBits = 8; break;
    }
    settings.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    settings.parityChecking = (tio.c_iflag & INPCK) != 0;
    settings.binary = !(tio.c_oflag & OPOST) && !(tio.c_lflag & ICANON);
    return true;
}

bool SerialChannel::setState(const LineSettings &settings)
{
    struct termios tio {};
    if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0)
        return false;

    // Raw: no byte is translated, dropped or acted upon in either direction.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    if (settings.parityChecking)
        tio.c_iflag |= INPCK;
    else
        tio.c_iflag &= ~INPCK;
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);

    // Receiver on, modem lines ignored, no hardware flow control; the line
    // itself carries no parity bit, as the reader expects.
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | CRTSCTS);
    tio.c_cflag |= sizeFlag(settings.dataBits) | CREAD | CLOCAL;
    if (settings.stopBits == 2)
        tio.c_cflag |= CSTOPB;

    // The read time-outs are ours (poll), so reads never block in the driver.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    ::cfsetispeed(&tio, speedFor(settings.baudRate));
    ::cfsetospeed(&tio, speedFor(settings.baudRate));
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
}

bool SerialChannel::getTimeouts(Timeouts &timeouts)
{
    if (fd_ < 0)
        return false;
    timeouts = timeouts_;
    return true;
}

bool SerialChannel::setTimeouts(const Timeouts &timeouts)
{
    if (fd_ < 0)
        return false;
    timeouts_ = timeouts;
    return true;
}

bool SerialChannel::purge() { return fd_ >= 0 && ::tcflush(fd_, TCIOFLUSH) == 0; }

bool SerialChannel::write(const std::uint8_t *bytes, std::size_t count, std::size_t *written)
{
    std::size_t localCount = 0;
    std::size_t &done = written ? *written : localCount;
    done = 0;
    if (fd_ < 0)
        return false;

    // The write time-outs bound the whole write, as a serial driver's do;
    // none set means no bound.
    const auto limit = std::chrono::milliseconds(timeouts_.writeTotalConstantMs) +
                       std::chrono::milliseconds(timeouts_.writeTotalMultiplierMs) * static_cast<long long>(count);
    const bool bounded = limit.count() > 0;
    const auto deadline = Clock::now() + limit;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            lineLost_ = true; // EIO: the line hung up
            return false;
        }
        const auto left = deadline - Clock::now();
        if (bounded && left <= Clock::duration::zero())
            return false;
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, bounded ? static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count()) : -1);
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lineLost_ = true;
            return false;
        }
    }
    return true;
}

bool SerialChannel::read(std::uint8_t *buffer, std::size_t maxCount, std::size_t *received,
                         const ReadCompletion *completion)
{
    std::size_t localCount = 0;
    std::size_t &got = received ? *received : localCount;
    got = 0;
    if (fd_ < 0)
        return false;

    ReadDeadline deadline(timeouts_, maxCount, Clock::now());
    while (got < maxCount) {
        // With a completion, no more is taken than it still needs, so bytes
        // queued behind a whole reply stay for the next purge, as a driver
        // asked for just those bytes would leave them.
        std::size_t want = maxCount - got;
        if (completion != nullptr) {
            const std::size_t needed = completion->bytesStillNeeded({buffer, got});
            if (needed == 0)
                break;
            want = std::min(want, needed);
        }
        const int waitMs = deadline.remainingMs(Clock::now());
        if (waitMs == 0)
            break;

        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, waitMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue; // the deadline is absolute: a signal never shortens the read
            return false;
        }
        if (ready == 0)
            continue; // the deadline decides on the next turn

        if (p.revents & POLLIN) {
            const ssize_t n = ::read(fd_, buffer + got, want);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                if (completion == nullptr || completion->begun({buffer, got}))
                    deadline.bytesArrived(Clock::now());
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            lineLost_ = true; // end of file or EIO: the line hung up
            return false;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lineLost_ = true;
            return false;
        }
    }
    return true;
}

} // namespace kestlink
