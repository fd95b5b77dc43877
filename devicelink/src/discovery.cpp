// SPDX-License-Identifier: MIT
#include "discovery.h"

#include <array>
#include <chrono>
#include <string>
#include <thread>

#include "protocol.h"
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
bool readerAnswers(SerialChannel &port, const char *portName, trace::Lines &traceLines, bool &replied)
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
    replied = received > 0;

    std::string outcome;
    if (answered)
        outcome = "reader answered " + trace::hex(got) + ", connected";
    else if (received == 0)
        outcome = "no handshake reply";
    else
        outcome = "wrong handshake reply " + trace::hex(got);
    traceLines.portResult(portName, port.lastOpenPath(), outcome);
    return answered;
}

// The port is tried with the link locked and settled.
PortTry tryPort(SerialChannel &port, const char *portName, trace::Lines &traceLines)
{
    PortTry result;
    result.name = portName;
    result.opened = port.open(portName);
    result.path = port.lastOpenPath();
    if (!result.opened) {
        result.failure = port.lastOpenFailure();
        if (result.failure == OpenFailure::Busy)
            result.holder = portHolder(result.path);
        traceLines.portResult(portName, port.lastOpenPath(), describe(result.failure));
        return result;
    }
    applyReaderLine(port);
    result.answered = readerAnswers(port, portName, traceLines, result.replied);
    // A port that did not answer in time may answer late; the next
    // connect, which tries it again, gives it its time.
    lineSettle().readEnded(result.answered, std::chrono::steady_clock::now());
    if (!result.answered)
        port.close();
    return result;
}

// What the last search tried; guarded by the link's lock.
std::vector<PortTry> &connectReport()
{
    static std::vector<PortTry> report;
    return report;
}

} // namespace

PortOutcome PortTry::outcome() const
{
    if (!opened) {
        switch (failure) {
        case OpenFailure::NotFound: return PortOutcome::NotFound;
        case OpenFailure::PermissionDenied: return PortOutcome::NoPermission;
        case OpenFailure::Busy: return PortOutcome::Busy;
        case OpenFailure::NotATerminal: return PortOutcome::NotAPort;
        case OpenFailure::None:
        case OpenFailure::Other: return PortOutcome::Failed;
        }
        return PortOutcome::Failed;
    }
    if (answered)
        return PortOutcome::Answered;
    return replied ? PortOutcome::WrongAnswer : PortOutcome::NoAnswer;
}

bool connectToReader()
{
    // Listed before the lock: finding the adapters reads folders or the
    // registry, which another thread's transaction need not wait for.
    const std::vector<PortCandidate> candidates = readerPortCandidates();
    trace::Lines traceLines; // written once the lock below is released
    auto lock = lockLink();
    auto &port = channel();
    auto &report = connectReport();
    report.clear();
    linkLost() = false;
    // The reader may still be sending what the last call did not wait for,
    // or a byte that trails its last reply, and COM3 on may lead to it again.
    lineSettle().waitBeforeConnect();
    for (const auto &candidate : candidates) {
        PortTry tried = tryPort(port, candidate.openName.c_str(), traceLines);
        tried.name = candidate.name;
        tried.kind = candidate.kind;
        report.push_back(tried);
        if (tried.answered)
            return true;
    }
    traceLines.message(candidates.size() > 7 ? "no reader answered on COM3 to COM9 or a USB serial adapter"
                                             : "no reader answered on COM3 to COM9");
    return false;
}

std::string connectedPortPath()
{
    auto lock = lockLink();
    return channel().lastOpenPath();
}

std::vector<PortTry> lastConnectReport()
{
    auto lock = lockLink();
    return connectReport();
}

PortTry connectToPort(const char *portName, bool stayOpen)
{
    trace::Lines traceLines;
    auto lock = lockLink();
    auto &port = channel();
    lineSettle().waitBeforeConnect();
    PortTry result = tryPort(port, portName, traceLines);
    if (result.answered && !stayOpen)
        port.close();
    return result;
}

} // namespace kestlink
