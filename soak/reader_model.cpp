// SPDX-License-Identifier: MIT
#include "reader_model.h"

#include <algorithm>
#include <iterator>

#include "kestsim/sample_records.h"
#include "verdicts.h"

namespace soak {

namespace {

constexpr std::uint16_t kCompareEntries = 1000; // entries loaded: 0 to 999
constexpr double kRefusedShare = 0.05;          // reads the reader must refuse

int uniform(Rng &rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

bool chance(Rng &rng, double p) { return std::bernoulli_distribution(p)(rng); }

std::uint8_t byte(Rng &rng) { return static_cast<std::uint8_t>(uniform(rng, 0, 255)); }

DeviceTime randomTime(Rng &rng)
{
    // Day 1 to 28 is valid in every month of every year.
    return DeviceTime{0x20,
                      static_cast<std::uint8_t>(uniform(rng, 0, 99)),
                      static_cast<std::uint8_t>(uniform(rng, 1, 12)),
                      static_cast<std::uint8_t>(uniform(rng, 1, 28)),
                      static_cast<std::uint8_t>(uniform(rng, 0, 23)),
                      static_cast<std::uint8_t>(uniform(rng, 0, 59)),
                      static_cast<std::uint8_t>(uniform(rng, 0, 59))};
}

} // namespace

ReaderModel::ReaderModel(std::size_t records) { setRecords(records); }

void ReaderModel::setRecords(std::size_t count) { records_ = kestsim::sampleRecords(count); }

Step ReaderModel::makeStep(Command command, Fault fault, Rng &rng) const
{
    Step step;
    step.command = command;
    step.fault = fault;
    for (auto &b : step.bytes)
        b = byte(rng);
    switch (command) {
    case Command::ReadRecord: {
        const int count = static_cast<int>(records_.size());
        if (count > 0 && !chance(rng, kRefusedShare))
            step.number = static_cast<std::uint16_t>(uniform(rng, 0, count - 1));
        else
            step.number = static_cast<std::uint16_t>(std::min(count + uniform(rng, 0, 99), 0xFFFF));
        break;
    }
    case Command::ReadCompare:
        if (!compareList_.empty() && !chance(rng, kRefusedShare * 3)) {
            auto it = compareList_.begin();
            std::advance(it, uniform(rng, 0, static_cast<int>(compareList_.size()) - 1));
            step.number = it->first;
        } else {
            do
                step.number = static_cast<std::uint16_t>(uniform(rng, 0, 2 * kCompareEntries));
            while (compareList_.contains(step.number));
        }
        break;
    case Command::LoadCompare: step.number = static_cast<std::uint16_t>(uniform(rng, 0, kCompareEntries - 1)); break;
    case Command::SetTime: step.time = randomTime(rng); break;
    case Command::SetDomain: step.unused = static_cast<std::int32_t>(rng()); break;
    default: break;
    }
    return step;
}

bool ReaderModel::refuses(const Step &step) const
{
    switch (step.command) {
    case Command::ReadRecord: return step.number >= records_.size();
    case Command::ReadCompare: return !compareList_.contains(step.number);
    default: return false;
    }
}

Expectation ReaderModel::expect(const Step &step) const
{
    Expectation e;
    // A refusal is a status reply where data was due: no fault makes it pass.
    e.verdict = !refuses(step) && expectedVerdict(info(step.command).rule, step.fault);
    if (!e.verdict)
        return e;
    switch (step.command) {
    case Command::ReadRecord: {
        const auto &r = records_[step.number];
        e.output = Bytes(r.begin(), r.end());
        break;
    }
    case Command::ReadCompare: {
        const auto &entry = compareList_.at(step.number);
        Bytes out(entry.begin(), entry.end());
        out.resize(KX_COMPARE_READBACK_SIZE, 0); // the reader pads with zeros
        e.output = out;
        break;
    }
    case Command::GetDomain: {
        Bytes out(domain_.begin(), domain_.end());
        out.resize(KX_DOMAIN_READBACK_SIZE, 0);
        e.output = out;
        break;
    }
    case Command::GetKey: e.output = Bytes(key_.begin(), key_.end()); break;
    case Command::QueryCount: {
        const auto count = static_cast<std::uint16_t>(records_.size());
        e.output = Bytes{static_cast<std::uint8_t>(count & 0xFF), static_cast<std::uint8_t>(count >> 8)};
        break;
    }
    default: break;
    }
    return e;
}

void ReaderModel::apply(const Step &step)
{
    if (skipsCommand(step.fault))
        return;
    switch (step.command) {
    case Command::DeleteAll: records_.clear(); break;
    case Command::LoadCompare: {
        kestsim::CompareEntry entry{};
        std::copy_n(step.bytes.begin(), entry.size(), entry.begin());
        compareList_[step.number] = entry;
        break;
    }
    case Command::DeleteCompare: compareList_.clear(); break;
    case Command::SetDomain: std::copy_n(step.bytes.begin(), domain_.size(), domain_.begin()); break;
    case Command::SetKey: std::copy_n(step.bytes.begin(), key_.size(), key_.begin()); break;
    case Command::SetTime: {
        const auto &t = step.time;
        clock_ = {t.century, t.year, t.month, t.day, t.hour, t.minute, t.second};
        break;
    }
    default: break;
    }
}

void ReaderModel::copyTo(kestsim::VirtualReader &reader) const
{
    reader.setRecords(records_);
    reader.setCompareList(compareList_);
    reader.setDomain(domain_);
    reader.setKey(key_);
    reader.setClock(clock_);
}

bool ReaderModel::agreesWith(const kestsim::VirtualReader &reader) const
{
    return reader.records() == records_ && reader.compareList() == compareList_ && reader.domain() == domain_ &&
           reader.key() == key_ && reader.clock() == clock_;
}

} // namespace soak
