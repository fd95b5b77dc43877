#include "discovery.h"

#include <array>
#include <string>
#include <thread>

#include "frame.h"
#include "link.h"
#include "trace.h"

namespace kestlink {

void applyReaderLine(SerialChannel &port)
{
    // As with the reader's own driver, the results are not examined: the
    // handshake decides whether the port is usable.
    LineSettings line;
    port.getState(line);
    line.baudRate = 115200;
    line.binary = true;
    line.parityChecking = false;
    line.dataBits = 8;
    line.stopBits = 1;
    port.setState(line);

    Timeouts timeouts;
    port.getTimeouts(timeouts);
    timeouts.readIntervalMs = 20;
    timeouts.readTotalMultiplierMs = 2;
    timeouts.readTotalConstantMs = 10;
    port.setTimeouts(timeouts);
}

namespace {

// Sends the handshake and judges the answer; the port is open.
bool readerAnswers(SerialChannel &port, const char *portName)
{
    const auto &info = protocol::commandInfo(protocol::Command::Handshake);
    const auto request = protocol::buildRequest(protocol::Command::Handshake);

    port.purge();
    port.write(request.bytes.data(), request.size);
    std::this_thread::sleep_for(info.wait);

    std::array<std::uint8_t, 5> reply{};
    std::size_t received = 0;
    if (!port.read(reply.data(), reply.size(), &received))
        received = 0;
    const std::span<const std::uint8_t> got(reply.data(), received);
    const bool answered = protocol::judgeReply(info, got);

    std::string outcome;
    if (answered)
        outcome = "reader answered " + trace::hex(got) + ", connected";
    else if (received == 0)
        outcome = "no handshake reply";
    else
        outcome = "wrong handshake reply " + trace::hex(got);
    trace::portResult(portName, port.lastOpenPath(), outcome);
    return answered;
}

} // namespace

bool connectToReader()
{
    auto lock = lockLink();
    auto &port = channel();
    // "COM1" with its digit replaced: the names COM3 to COM9.
    char portName[5] = {'C', 'O', 'M', '1', '\0'};
    for (int n = kFirstReaderPort; n <= kLastReaderPort; ++n) {
        portName[3] = static_cast<char>('0' + n);
        if (!port.open(portName)) {
            trace::portResult(portName, port.lastOpenPath(), trace::describe(port.lastOpenFailure()));
            continue;
        }
        applyReaderLine(port);
        if (readerAnswers(port, portName))
            return true;
        port.close();
    }
    trace::message("no reader answered on COM3 to COM9");
    return false;
}

} // namespace kestlink
