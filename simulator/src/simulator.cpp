// SPDX-License-Identifier: MIT
#include "kestsim/simulator.h"

#include <stdexcept>

#include "kestsim/pty_port.h"
#include "kestsim/virtual_reader.h"

namespace kestsim {

// The reader is declared first so that it outlives the port serving it.
struct Simulator::Station {
    std::unique_ptr<VirtualReader> reader;
    std::unique_ptr<PtyPort> port;
};

Simulator::Simulator() = default;

Simulator::Simulator(std::filesystem::path portDirectory) : directory_(std::move(portDirectory)) {}

Simulator::~Simulator()
{
    // Ports stop before the directory their links live in goes away.
    while (!stations_.empty())
        removeReader(stations_.begin()->first);
}

VirtualReader &Simulator::addReader(int comNumber, ReaderOptions options)
{
    if (comNumber < 1) {
        throw std::invalid_argument("port number must be 1 or more, not " + std::to_string(comNumber));
    }
    if (stations_.contains(comNumber)) {
        throw std::invalid_argument("COM" + std::to_string(comNumber) + " already has a reader");
    }
    auto station = std::make_unique<Station>();
    station->reader = std::make_unique<VirtualReader>(std::move(options.records));
    if (options.echo)
        station->reader->echoRequests(options.echo, "COM" + std::to_string(comNumber));
    // After a hang-up the port calls back from its own thread; the directory
    // guards itself.
    station->port = std::make_unique<PtyPort>(
        *station->reader, WirePace(options.baud),
        [this, comNumber](const std::string &path) { directory_.link(comNumber, path); }, options.hangUpAbsence);
    directory_.link(comNumber, station->port->slavePath());
    auto &reader = *station->reader;
    stations_.emplace(comNumber, std::move(station));
    return reader;
}

VirtualReader &Simulator::addSilentTerminal(int comNumber)
{
    auto &reader = addReader(comNumber, {});
    reader.addFault({FaultKind::NoReply, std::nullopt, 1, std::nullopt});
    return reader;
}

void Simulator::removeReader(int comNumber)
{
    const auto found = stations_.find(comNumber);
    if (found == stations_.end())
        return;
    found->second->port.reset();
    directory_.unlink(comNumber);
    stations_.erase(found);
}

Simulator::Station &Simulator::station(int comNumber) const
{
    const auto found = stations_.find(comNumber);
    if (found == stations_.end()) {
        throw std::out_of_range("no reader on COM" + std::to_string(comNumber));
    }
    return *found->second;
}

VirtualReader &Simulator::reader(int comNumber) { return *station(comNumber).reader; }

std::string Simulator::portDirectory() const { return directory_.path().string(); }

std::filesystem::path Simulator::portPath(int comNumber) const { return directory_.linkPath(comNumber); }

std::string Simulator::terminalPath(int comNumber) const { return station(comNumber).port->slavePath(); }

} // namespace kestsim
