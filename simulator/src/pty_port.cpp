// SPDX-License-Identifier: MIT
#include "kestsim/pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <system_error>

#include "kestsim/request_framer.h"
#include "kestsim/virtual_reader.h"
#include "pseudo_terminal.h"
#include "reply_queue.h"

namespace kestsim {
namespace {

using Clock = ReplyQueue::Clock;
using namespace std::chrono_literals;

// A host writes a whole frame at once; bytes left hanging this long belong
// to a frame that will never be finished.
constexpr auto kFrameSilence = 50ms;
// Retry pace when the host does not drain the terminal or the line is odd.
constexpr auto kBackoff = 2ms;

timespec timeoutUntil(Clock::time_point when)
{
    const auto left = std::max(Clock::duration::zero(), when - Clock::now());
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    return {static_cast<time_t>(seconds.count()), static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
}

void report(const char *what) { std::cerr << "kestsim: " << what << ": " << std::strerror(errno) << '\n'; }

} // namespace

PtyPort::PtyPort(VirtualReader &reader, WirePace pace, ReopenHandler onReopen, std::chrono::milliseconds hangUpAbsence)
    : reader_(reader), pace_(pace), onReopen_(std::move(onReopen)), hangUpAbsence_(hangUpAbsence),
      terminal_(std::make_unique<PseudoTerminal>(openPseudoTerminal())), slavePath_(terminal_->slavePath)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe2");
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread([this] { run(); });
}

PtyPort::~PtyPort()
{
    const char stop = 1;
    while (::write(wakeWrite_, &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::string PtyPort::slavePath() const
{
    std::lock_guard lock(pathMutex_);
    return slavePath_;
}

bool PtyPort::pause(std::chrono::milliseconds time)
{
    const auto until = Clock::now() + time;
    while (true) {
        pollfd wake{wakeRead_, POLLIN, 0};
        const timespec timeout = timeoutUntil(until);
        const int ready = ppoll(&wake, 1, &timeout, nullptr);
        if (ready > 0)
            return false;
        if (ready == 0 || Clock::now() >= until)
            return true;
        if (errno != EINTR)
            return true;
    }
}

bool PtyPort::hangUpAndReturn()
{
    terminal_.reset();
    ++hangUps_;
    while (true) {
        if (!pause(hangUpAbsence_))
            return false;
        try {
            terminal_ = std::make_unique<PseudoTerminal>(openPseudoTerminal());
            break;
        } catch (const std::system_error &error) {
            // Out of terminals for the moment: keep trying until stopped.
            std::cerr << "kestsim: cannot come back after hanging up: " << error.what() << '\n';
        }
    }
    {
        std::lock_guard lock(pathMutex_);
        slavePath_ = terminal_->slavePath;
    }
    if (onReopen_)
        onReopen_(terminal_->slavePath);
    return true;
}

void PtyPort::run()
{
    RequestFramer framer;
    ReplyQueue replies(pace_);
    auto lastByteAt = Clock::now();

    while (true) {
        const int master = terminal_->master.get();

        // Send whatever is due now.
        bool drainWait = false; // the terminal would not take more bytes
        for (auto bytes = replies.due(Clock::now()); !bytes.empty(); bytes = replies.due(Clock::now())) {
            const ssize_t n = ::write(master, bytes.data(), bytes.size());
            if (n > 0) {
                replies.written(static_cast<std::size_t>(n), Clock::now());
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                report("writing to pseudo-terminal");
            drainWait = true;
            break;
        }

        // Sleep until a request byte, the next reply byte, a stale partial
        // frame, or a stop.
        std::optional<Clock::time_point> wakeAt = replies.nextDue();
        if (drainWait)
            wakeAt = Clock::now() + kBackoff;
        if (framer.hasPartialFrame()) {
            const auto stale = lastByteAt + kFrameSilence;
            wakeAt = wakeAt ? std::min(*wakeAt, stale) : stale;
        }
        pollfd fds[2] = {{master, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        timespec timeout{};
        if (wakeAt)
            timeout = timeoutUntil(*wakeAt);
        const int ready = ppoll(fds, 2, wakeAt ? &timeout : nullptr, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            report("waiting on pseudo-terminal");
            if (!pause(kBackoff))
                return;
            continue;
        }
        if (fds[1].revents != 0)
            return;

        const auto now = Clock::now();
        if (framer.hasPartialFrame() && now - lastByteAt >= kFrameSilence) {
            reader_.receive({framer.dropPartialFrame(), false});
        }
        if ((fds[0].revents & POLLIN) != 0) {
            std::uint8_t buffer[256];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                lastByteAt = now;
                bool hungUp = false;
                for (auto &frame : framer.feed(std::span(buffer, static_cast<std::size_t>(n)))) {
                    const Delivery delivery = reader_.receive(frame);
                    if (delivery.hangUp) {
                        hungUp = true;
                        break; // whatever else the host sent dies with the line
                    }
                    replies.push(delivery, now);
                }
                if (hungUp) {
                    framer.dropPartialFrame();
                    replies.clear();
                    if (!hangUpAndReturn())
                        return;
                }
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
        }
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // Not expected while the slave is held open; do not spin on it.
            if (!pause(kBackoff))
                return;
        }
    }
}

} // namespace kestsim
