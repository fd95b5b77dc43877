// SPDX-License-Identifier: MIT
#include "kestsim/virtual_reader.h"

#include <stdexcept>
#include <string>

#include "kestsim/answer.h"
#include "kestsim/sample_records.h"

namespace kestsim {
namespace {

void checkRecordCount(const std::vector<Record> &records)
{
    if (records.size() > kMaxRecords) {
        throw std::invalid_argument("a reader holds at most 65535 records, not " + std::to_string(records.size()));
    }
}

} // namespace

VirtualReader::VirtualReader(std::vector<Record> records)
{
    checkRecordCount(records);
    state_.records = std::move(records);
}

std::vector<Record> VirtualReader::records() const
{
    std::lock_guard lock(mutex_);
    return state_.records;
}

void VirtualReader::setRecords(std::vector<Record> records)
{
    checkRecordCount(records);
    std::lock_guard lock(mutex_);
    state_.records = std::move(records);
}

ReaderClock VirtualReader::clock() const
{
    std::lock_guard lock(mutex_);
    return state_.clock;
}

void VirtualReader::setClock(const ReaderClock &clock)
{
    std::lock_guard lock(mutex_);
    state_.clock = clock;
}

std::map<std::uint16_t, CompareEntry> VirtualReader::compareList() const
{
    std::lock_guard lock(mutex_);
    return state_.compareList;
}

void VirtualReader::setCompareList(std::map<std::uint16_t, CompareEntry> list)
{
    std::lock_guard lock(mutex_);
    state_.compareList = std::move(list);
}

Domain VirtualReader::domain() const
{
    std::lock_guard lock(mutex_);
    return state_.domain;
}

void VirtualReader::setDomain(const Domain &domain)
{
    std::lock_guard lock(mutex_);
    state_.domain = domain;
}

Key VirtualReader::key() const
{
    std::lock_guard lock(mutex_);
    return state_.key;
}

void VirtualReader::setKey(const Key &key)
{
    std::lock_guard lock(mutex_);
    state_.key = key;
}

Delivery VirtualReader::receive(const FramedRequest &request)
{
    log_.add(request.bytes, request.wellFormed);
    if (!request.wellFormed)
        return {};
    const std::uint8_t code = request.bytes[1];
    const auto choice = faults_.select(code);
    if (choice.fault && faultSkipsCommand(choice.fault->kind))
        return shapeReply(choice, code, {});
    std::optional<std::vector<std::uint8_t>> reply;
    {
        std::lock_guard lock(mutex_);
        reply = answerRequest(state_, request.bytes);
    }
    if (!reply)
        return {}; // marked well formed by mistake: treat as noise
    return shapeReply(choice, code, std::move(*reply));
}

} // namespace kestsim
