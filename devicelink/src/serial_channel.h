// SPDX-License-Identifier: MIT
// The one serial port the library talks to the reader through.
//
// The operations mirror what a serial driver offers: open, close, line state,
// read time-outs, purge, write and read. Each returns true for success and never
// throws. The declaration is shared; each platform has its own implementation
// file (serial_channel_posix.cpp, serial_channel_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "kestlink/host.h"

#if !defined(_WIN32)
#  include <termios.h>
#endif

namespace kestlink {

// The settings of the line the library cares about. get-state reads them from
// the driver; set-state applies them and leaves the port raw: no byte
// translation either way, no flow control, modem lines ignored.
struct LineSettings {
    std::uint32_t baudRate = 0;
    std::uint8_t dataBits = 8;
    std::uint8_t stopBits = 1;
    bool binary = true;
    bool parityChecking = false;
};

// Read time-outs with the meaning a serial driver gives them: a read returns
// when the requested count has arrived, when more than intervalMs pass after a
// received byte with no next one, or when totalConstantMs plus
// totalMultiplierMs per requested byte have passed since the read began.
// Zero switches a time-out off. The write values are kept for the platform
// that has them.
struct Timeouts {
    std::uint32_t readIntervalMs = 0;
    std::uint32_t readTotalMultiplierMs = 0;
    std::uint32_t readTotalConstantMs = 0;
    std::uint32_t writeTotalMultiplierMs = 0;
    std::uint32_t writeTotalConstantMs = 0;
};

// What a read waits for: lets it end as soon as what it has received is
// complete, instead of waiting for the line to fall silent, tells it how many
// bytes to ask the driver for meanwhile, and whether what came so far is the
// start of it at all. Called with everything received so far.
class ReadCompletion {
public:
    // How many more bytes at least before the bytes received so far are
    // complete; 0 when they are.
    virtual std::size_t bytesStillNeeded(std::span<const std::uint8_t> received) const = 0;
    // False while what arrived is not yet the beginning of what the read
    // waits for: the silence after such bytes does not end the read, only
    // its total time-out does.
    virtual bool begun(std::span<const std::uint8_t> received) const = 0;

protected:
    ~ReadCompletion() = default;
};

class SerialChannel {
public:
    SerialChannel() = default;
    ~SerialChannel();
    SerialChannel(const SerialChannel &) = delete;
    SerialChannel &operator=(const SerialChannel &) = delete;

    // Opens an existing port ("COM3"...) exclusively for reading and writing;
    // an open port is closed first. Both driver queues are discarded.
    bool open(const char *portName);
    bool close();
    bool isClosed() const;

    bool getState(LineSettings &settings);
    bool setState(const LineSettings &settings);
    bool getTimeouts(Timeouts &timeouts);
    bool setTimeouts(const Timeouts &timeouts);

    // Discards what waits in both queues.
    bool purge();

    bool write(const std::uint8_t *bytes, std::size_t count, std::size_t *written = nullptr);

    // Reads up to maxCount bytes under the time-outs; *received gets how many
    // arrived (possibly none). With a completion the read takes no more bytes
    // than it still needs and ends as soon as it has them, and the interval
    // time-out counts only once it has begun; the total stays that of a read
    // of maxCount bytes, so that a reply is given the same time whether or not
    // the read may end early.
    bool read(std::uint8_t *buffer, std::size_t maxCount, std::size_t *received = nullptr,
              const ReadCompletion *completion = nullptr);

    // The port went away under a read or write (a cable pulled, an adapter
    // reset, the far end hung up): nothing more will pass until it is
    // opened again. Cleared by open and close.
    bool lineLost() const { return lineLost_; }

    OpenFailure lastOpenFailure() const { return lastOpenFailure_; }
    // The device the last open tried, as the platform names it.
    const std::string &lastOpenPath() const { return lastOpenPath_; }

private:
#if defined(_WIN32)
    // Tells the driver of time-outs that differ from what it holds.
    bool applyTimeouts(const Timeouts &timeouts);

    void *handle_ = reinterpret_cast<void *>(~std::uintptr_t{0}); // INVALID_HANDLE_VALUE
    // The driver's line settings (its 28-byte DCB) and time-outs as found at
    // open, restored when the port is closed.
    alignas(4) unsigned char savedState_[28]{};
    Timeouts savedTimeouts_{};
    // What the driver holds now, so that it is told only of a change.
    Timeouts appliedTimeouts_{};
#else
    int fd_ = -1;
    struct termios savedSettings_ {}; // restored when the port is closed
#endif
    Timeouts timeouts_{};
    bool lineLost_ = false;
    OpenFailure lastOpenFailure_ = OpenFailure::None;
    std::string lastOpenPath_;
};

} // namespace kestlink
