// SPDX-License-Identifier: MIT
#include "call.h"

#include <algorithm>

#include "guarded.h"
#include "kestlink.h"

namespace soak {

namespace {

using Clock = std::chrono::steady_clock;

template <std::size_t N> void judge(Outcome &o, const Guarded<N> &buffer, const Expectation &expected)
{
    o.guardsIntact = buffer.guardsIntact();
    if (o.result != 1) {
        o.untouchedOnFailure = buffer.untouched();
    } else if (expected.output) {
        const auto in = buffer.inside();
        o.outputMatches = std::equal(in.begin(), in.end(), expected.output->begin(), expected.output->end());
    }
}

void judge(Outcome &o, const GuardedWord &word, const Expectation &expected)
{
    o.guardsIntact = o.guardsIntact && word.guardsIntact();
    if (o.result != 1) {
        o.untouchedOnFailure = o.untouchedOnFailure && word.untouched();
    } else if (expected.output) {
        const auto &b = *expected.output;
        o.outputMatches = o.outputMatches && word.value == static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
}

// The input blocks of the set commands, built from the step's bytes.
CompareEntry entryOf(const Step &step)
{
    CompareEntry entry;
    std::copy_n(step.bytes.begin(), sizeof entry.cardNumber, entry.cardNumber);
    return entry;
}

} // namespace

Outcome perform(const Step &step, const Expectation &expected)
{
    Outcome o;
    const auto start = Clock::now();
    switch (step.command) {
    case Command::ReadRecord: {
        Guarded<sizeof(TagRecord)> record;
        o.result = KX_ReadData(step.number, reinterpret_cast<TagRecord *>(record.data()));
        o.took = Clock::now() - start;
        judge(o, record, expected);
        break;
    }
    case Command::DeleteAll:
        o.result = KX_DeleteAllData();
        o.took = Clock::now() - start;
        break;
    case Command::QueryCount: {
        GuardedWord count;
        o.result = KX_QueryNumber(&count.value);
        o.took = Clock::now() - start;
        judge(o, count, expected);
        break;
    }
    case Command::SetTime:
        o.result = KX_SetTime(&step.time);
        o.took = Clock::now() - start;
        break;
    case Command::LoadCompare: {
        const CompareEntry entry = entryOf(step);
        o.result = KX_LoadCmpData(step.number, &entry);
        o.took = Clock::now() - start;
        break;
    }
    case Command::DeleteCompare:
        o.result = KX_DeleteCmpData();
        o.took = Clock::now() - start;
        break;
    case Command::ReadCompare: {
        Guarded<KX_COMPARE_READBACK_SIZE> out;
        o.result = KX_ReadCmpData(step.number, out.data());
        o.took = Clock::now() - start;
        judge(o, out, expected);
        break;
    }
    case Command::SetDomain:
        o.result = KX_SetDomain(step.bytes.data(), step.unused);
        o.took = Clock::now() - start;
        break;
    case Command::GetDomain: {
        Guarded<KX_DOMAIN_READBACK_SIZE> out;
        GuardedWord length;
        o.result = KX_GetDomain(out.data(), &length.value);
        o.took = Clock::now() - start;
        judge(o, out, expected);
        // The length is not reader data: on success it is the domain's size.
        const Expectation lengthIs20{true, Bytes{KX_DOMAIN_SIZE, 0}};
        judge(o, length, o.result == 1 ? lengthIs20 : expected);
        break;
    }
    case Command::SetKey:
        o.result = KX_SetKey(step.bytes.data());
        o.took = Clock::now() - start;
        break;
    case Command::GetKey: {
        Guarded<KX_KEY_SIZE> out;
        o.result = KX_GetKey(out.data());
        o.took = Clock::now() - start;
        judge(o, out, expected);
        break;
    }
    }
    return o;
}

} // namespace soak
