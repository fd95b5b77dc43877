// SPDX-License-Identifier: MIT
// The soak itself: a virtual reader in this process, the library connected
// to it, and one call after another with a fault chosen for each, every call
// checked against what the reader's state and the fault make certain.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "kestsim/simulator.h"
#include "options.h"
#include "reader_model.h"
#include "resources.h"
#include "step.h"
#include "tally.h"

namespace soak {

class Soak {
public:
    explicit Soak(const Options &options);
    ~Soak();

    // Runs every call and prints the figures; the process's exit status.
    int run();

private:
    void oneCall(std::size_t index, const Step &step);
    void checkTime(const Step &step, std::chrono::steady_clock::duration took, std::size_t index);
    // After a hang-up: give the reader time to come back, then connect.
    bool recover(std::size_t index);
    bool timedConnect(std::size_t index);
    // Same reader state and nothing in flight, so that two measurements
    // compare like with like.
    Resources quietPoint();
    void progress(std::size_t done, std::chrono::steady_clock::time_point start);
    void problem(std::size_t index, const Step &step, const char *what, int result);

    Options options_;
    Rng rng_;
    kestsim::Simulator sim_;
    kestsim::VirtualReader *reader_ = nullptr;
    ReaderModel model_;
    Tally tally_;
    std::vector<std::pair<Command, Fault>> sweep_;
    unsigned long problemsShown_ = 0;
    std::string previous_ = "none"; // the call before, as problems name it
    bool lost_ = false;             // the reader could not be reached again: stop
};

} // namespace soak
