// SPDX-License-Identifier: MIT
// What the virtual reader holds, kept in step with every call, so that the
// soak knows before each call what the reader will say and what the caller
// must get back. Faults that let the request through still change the state:
// a "delete all" with a bad checksum has emptied the records all the same.
// It repeats what the virtual reader does on purpose, as an oracle of its own.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "kestsim/reader_state.h"
#include "kestsim/virtual_reader.h"
#include "mix.h"
#include "step.h"

namespace soak {

using Bytes = std::vector<std::uint8_t>;

struct Expectation {
    bool verdict = false;
    // On success, what the caller's buffer must hold (for query-count, the
    // count's two bytes, low first); nothing for commands without output.
    std::optional<Bytes> output;
};

class ReaderModel {
public:
    explicit ReaderModel(std::size_t records);

    // Valid arguments for the command; now and then a record number past the
    // end or a comparison entry never loaded, which the reader refuses.
    Step makeStep(Command command, Fault fault, Rng &rng) const;
    Expectation expect(const Step &step) const;
    // The state after the reader has carried the step out (or not).
    void apply(const Step &step);

    // New sample records, e.g. after a "delete all" took effect.
    void setRecords(std::size_t count);
    void clearCompareList() { compareList_.clear(); }
    bool recordsEmpty() const { return records_.empty(); }

    // Writes the whole state into the reader, or says whether it agrees.
    void copyTo(kestsim::VirtualReader &reader) const;
    bool agreesWith(const kestsim::VirtualReader &reader) const;

private:
    bool refuses(const Step &step) const;

    std::vector<kestsim::Record> records_;
    std::map<std::uint16_t, kestsim::CompareEntry> compareList_;
    kestsim::Domain domain_{};
    kestsim::Key key_{};
    kestsim::ReaderClock clock_{};
};

} // namespace soak
