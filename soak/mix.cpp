// SPDX-License-Identifier: MIT
#include "mix.h"

#include <array>

namespace soak {

namespace {

// Per 1000 calls, in the order of commands(): read-record takes 960; the
// others share 40, fewer for the 500 ms and 1000 ms ones.
constexpr std::array<unsigned, kCommandCount> kCommandWeights = {960, 5, 5, 5, 5, 1, 5, 2, 5, 2, 5};

// In the order of allFaults(), none first: a read is healthy 80% of the time
// (each fault about 1.7%), a slow command 33% (each fault about 5.6%).
constexpr std::array<unsigned, kFaultCount> kReadFaultWeights = {144, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
constexpr std::array<unsigned, kFaultCount> kSlowFaultWeights = {6, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

const std::array<unsigned, kFaultCount> &faultWeights(Command command)
{
    return command == Command::ReadRecord ? kReadFaultWeights : kSlowFaultWeights;
}

template <std::size_t N> double shareOf(const std::array<unsigned, N> &weights, std::size_t index)
{
    unsigned total = 0;
    for (auto w : weights)
        total += w;
    return static_cast<double>(weights[index]) / total;
}

template <std::size_t N> std::size_t pick(const std::array<unsigned, N> &weights, Rng &rng)
{
    std::discrete_distribution<std::size_t> choose(weights.begin(), weights.end());
    return choose(rng);
}

} // namespace

double commandShare(Command command) { return shareOf(kCommandWeights, indexOf(command)); }

double faultShare(Command command, Fault fault) { return shareOf(faultWeights(command), indexOf(fault)); }

Command pickCommand(Rng &rng) { return commands()[pick(kCommandWeights, rng)].command; }

Fault pickFault(Command command, Rng &rng) { return allFaults()[pick(faultWeights(command), rng)]; }

} // namespace soak
