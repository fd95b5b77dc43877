// SPDX-License-Identifier: MIT
#include "host_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kestsim::test {

HostTerminal::HostTerminal(const std::string &path)
{
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "open " + path);
    termios settings{};
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    tcsetattr(fd_, TCSANOW, &settings);
    tcflush(fd_, TCIOFLUSH);
}

HostTerminal::~HostTerminal() { ::close(fd_); }

void HostTerminal::send(std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            throw std::system_error(errno, std::generic_category(), "write to terminal");
        }
    }
}

std::vector<HostTerminal::Arrival> HostTerminal::receive(std::size_t count, std::chrono::milliseconds limit)
{
    std::vector<Arrival> arrivals;
    const auto until = TestClock::now() + limit;
    while (arrivals.size() < count && !dropped_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - TestClock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count()) + 1) <= 0)
            continue;
        std::uint8_t buffer[256];
        const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - arrivals.size()));
        const auto now = TestClock::now();
        if (n > 0) {
            for (ssize_t i = 0; i < n; ++i)
                arrivals.push_back({now, buffer[i]});
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            dropped_ = true; // EIO: the other end has gone
        }
    }
    return arrivals;
}

std::vector<std::uint8_t> HostTerminal::collectFor(std::chrono::milliseconds window)
{
    return bytesOf(receive(SIZE_MAX, window));
}

std::vector<std::uint8_t> HostTerminal::bytesOf(const std::vector<Arrival> &arrivals)
{
    std::vector<std::uint8_t> bytes;
    for (const auto &arrival : arrivals)
        bytes.push_back(arrival.byte);
    return bytes;
}

std::vector<std::uint8_t> exchange(HostTerminal &host, std::span<const std::uint8_t> request, std::size_t replySize)
{
    host.send(request);
    return HostTerminal::bytesOf(host.receive(replySize));
}

} // namespace kestsim::test
