// SPDX-License-Identifier: MIT
#include "kestsim/answer.h"

#include <algorithm>
#include <array>

#include "calendar.h"
#include "kestsim/command.h"
#include "kestsim/frame.h"

namespace kestsim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Payload = std::span<const std::uint8_t>;

Bytes ok(std::uint8_t code) { return encodeStatusReply(code, kStatusOk); }
Bytes failed(std::uint8_t code) { return encodeStatusReply(code, kStatusFailed); }

std::uint16_t littleEndian16(Payload payload) { return static_cast<std::uint16_t>(payload[0] | (payload[1] << 8)); }

// The reader pads some answers with zeros to a fixed length.
Bytes dataReply(std::uint8_t code, Payload data, std::size_t replyLength)
{
    Bytes payload(data.begin(), data.end());
    payload.resize(replyLength, 0);
    return encodeReply(code, payload);
}

std::optional<std::uint8_t> fromBcd(std::uint8_t byte)
{
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    if (high > 9 || low > 9)
        return std::nullopt;
    return static_cast<std::uint8_t>(high * 10 + low);
}

// 20 YY MM DD hh mm ss, all but the century in packed BCD.
std::optional<ReaderClock> decodeClock(Payload payload)
{
    std::array<std::uint8_t, 6> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto value = fromBcd(payload[i + 1]);
        if (!value)
            return std::nullopt;
        fields[i] = *value;
    }
    const ReaderClock clock{payload[0], fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
    const int century = fromBcd(clock.century).value_or(20);
    const RecordTime asTime{century * 100 + clock.year, clock.month, clock.day, clock.hour, clock.minute, clock.second};
    if (!calendar::isValid(asTime))
        return std::nullopt;
    return clock;
}

Bytes handshake(ReaderState &, std::uint8_t code, Payload) { return encodeReply(code); }

Bytes readRecord(ReaderState &state, std::uint8_t code, Payload payload)
{
    const auto index = littleEndian16(payload);
    if (index >= state.records.size())
        return failed(code);
    return encodeReply(code, state.records[index]);
}

Bytes deleteAllRecords(ReaderState &state, std::uint8_t code, Payload)
{
    state.records.clear();
    return ok(code);
}

Bytes queryCount(ReaderState &state, std::uint8_t code, Payload)
{
    const auto count = static_cast<std::uint16_t>(state.records.size());
    const std::uint8_t payload[] = {static_cast<std::uint8_t>(count & 0xFF), static_cast<std::uint8_t>(count >> 8)};
    return encodeReply(code, payload);
}

Bytes setClock(ReaderState &state, std::uint8_t code, Payload payload)
{
    const auto clock = decodeClock(payload);
    if (!clock)
        return failed(code);
    state.clock = *clock;
    return ok(code);
}

Bytes loadCompareEntry(ReaderState &state, std::uint8_t code, Payload payload)
{
    CompareEntry entry{};
    std::copy_n(payload.begin() + 2, entry.size(), entry.begin());
    state.compareList[littleEndian16(payload)] = entry;
    return ok(code);
}

Bytes deleteCompareList(ReaderState &state, std::uint8_t code, Payload)
{
    state.compareList.clear();
    return ok(code);
}

Bytes readCompareEntry(ReaderState &state, std::uint8_t code, Payload payload)
{
    const auto found = state.compareList.find(littleEndian16(payload));
    if (found == state.compareList.end())
        return failed(code);
    return dataReply(code, found->second, 30);
}

Bytes setDomain(ReaderState &state, std::uint8_t code, Payload payload)
{
    std::copy_n(payload.begin(), state.domain.size(), state.domain.begin());
    return ok(code);
}

Bytes getDomain(ReaderState &state, std::uint8_t code, Payload) { return dataReply(code, state.domain, 23); }

Bytes setKey(ReaderState &state, std::uint8_t code, Payload payload)
{
    std::copy_n(payload.begin(), state.key.size(), state.key.begin());
    return ok(code);
}

Bytes getKey(ReaderState &state, std::uint8_t code, Payload) { return encodeReply(code, state.key); }

struct Handler {
    std::uint8_t code;
    std::size_t payloadLength;
    Bytes (*run)(ReaderState &, std::uint8_t, Payload);
};

constexpr std::array<Handler, 12> kHandlers{{
    {command::kHandshake, 0, handshake},
    {command::kReadRecord, 2, readRecord},
    {command::kDeleteAllRecords, 0, deleteAllRecords},
    {command::kQueryCount, 0, queryCount},
    {command::kSetClock, 7, setClock},
    {command::kLoadCompareEntry, 18, loadCompareEntry},
    {command::kDeleteCompareList, 0, deleteCompareList},
    {command::kReadCompareEntry, 2, readCompareEntry},
    {command::kSetDomain, 20, setDomain},
    {command::kGetDomain, 0, getDomain},
    {command::kSetKey, 15, setKey},
    {command::kGetKey, 0, getKey},
}};

} // namespace

std::optional<std::vector<std::uint8_t>> answerRequest(ReaderState &state, std::span<const std::uint8_t> frame)
{
    if (!isWellFormedRequest(frame))
        return std::nullopt;
    const std::uint8_t code = frame[1];
    const Payload payload = frame.subspan(3, frame[2]);
    for (const auto &handler : kHandlers) {
        if (handler.code != code)
            continue;
        if (payload.size() != handler.payloadLength)
            return failed(code);
        return handler.run(state, code, payload);
    }
    return failed(code);
}

} // namespace kestsim
