#include "verdicts.h"

namespace soak {

namespace {

using kestsim::FaultKind;

struct Row {
    Fault fault;
    bool data, status, any, count;
};

// The same table the device tests hold the library to, one row per fault:
// a data reply needs its full length and length byte, a status reply its
// status byte 0, "any" needs a byte, the count reply exactly seven bytes with
// a good checksum. Checksums are not examined except in the count reply.
constexpr Row kTable[] = {
    {std::nullopt, true, true, true, true},
    {FaultKind::NoReply, false, false, false, false},
    {FaultKind::ShortReply, false, false, true, false},
    {FaultKind::WrongLength, false, true, true, true},
    {FaultKind::BadChecksum, true, true, true, false},
    {FaultKind::BadStatus, false, false, true, false},
    {FaultKind::TrailingByte, true, true, true, false},
    {FaultKind::LateReply, false, false, false, false},
    {FaultKind::SplitReply, false, false, true, false},
    {FaultKind::HangUp, false, false, false, false},
};

} // namespace

bool expectedVerdict(Rule rule, Fault fault)
{
    for (const auto &row : kTable) {
        if (row.fault != fault)
            continue;
        switch (rule) {
        case Rule::Data: return row.data;
        case Rule::Status: return row.status;
        case Rule::Any: return row.any;
        case Rule::Count: return row.count;
        }
    }
    return false;
}

} // namespace soak
