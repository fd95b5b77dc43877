// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kestsim/port_directory.h"
#include "kestsim/pty_port.h"
#include "kestsim/record.h"
#include "kestsim/wire_pace.h"

namespace kestsim {

class VirtualReader;

struct ReaderOptions {
    std::vector<Record> records;
    unsigned baud = WirePace::kDefaultBaud; // 0: replies go out at once
    std::ostream *echo = nullptr;           // one line per received frame
    // After a hang-up, the time until COM<n> leads to a working terminal.
    std::chrono::milliseconds hangUpAbsence = PtyPort::kDefaultHangUpAbsence;
};

// Readers on pseudo-terminals behind a port directory. A test sets
// KESTLINK_PORT_DIR to portDirectory() and connects as to real hardware.
// Add and remove readers from one thread; the readers themselves may be
// inspected and given faults from any thread.
class Simulator {
public:
    Simulator();
    explicit Simulator(std::filesystem::path portDirectory);
    ~Simulator();

    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // A reader answering on COM<n>. Throws std::invalid_argument when the
    // number is below 1 or already taken.
    VirtualReader &addReader(int comNumber, ReaderOptions options = {});
    // A terminal on COM<n> where nothing ever answers.
    VirtualReader &addSilentTerminal(int comNumber);
    // Unplugs the reader: the port closes and COM<n> disappears.
    void removeReader(int comNumber);

    VirtualReader &reader(int comNumber);
    std::string portDirectory() const;
    std::filesystem::path portPath(int comNumber) const; // the COM<n> link
    std::string terminalPath(int comNumber) const;       // where it points now

private:
    struct Station;
    Station &station(int comNumber) const;

    PortDirectory directory_;
    std::map<int, std::unique_ptr<Station>> stations_;
};

} // namespace kestsim
