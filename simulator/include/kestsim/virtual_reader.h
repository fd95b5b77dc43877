// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "kestsim/delivery.h"
#include "kestsim/fault.h"
#include "kestsim/reader_state.h"
#include "kestsim/request_framer.h"
#include "kestsim/request_log.h"

namespace kestsim {

// One virtual reader: its memory, its faults and what it has been sent.
// Every member may be called from any thread while a port serves it.
class VirtualReader {
public:
    VirtualReader() = default;
    // Throws std::invalid_argument for more than kMaxRecords records.
    explicit VirtualReader(std::vector<Record> records);

    VirtualReader(const VirtualReader &) = delete;
    VirtualReader &operator=(const VirtualReader &) = delete;

    std::vector<Record> records() const;
    void setRecords(std::vector<Record> records);
    ReaderClock clock() const;
    void setClock(const ReaderClock &clock);
    std::map<std::uint16_t, CompareEntry> compareList() const;
    void setCompareList(std::map<std::uint16_t, CompareEntry> list);
    Domain domain() const;
    void setDomain(const Domain &domain);
    Key key() const;
    void setKey(const Key &key);

    void addFault(const FaultRule &rule) { faults_.add(rule); }
    void clearFaults() { faults_.clear(); }
    std::vector<FaultRule> faults() const { return faults_.rules(); }

    std::vector<ReceivedFrame> requests() const { return log_.frames(); }
    std::size_t requestCount() const { return log_.count(); }
    std::vector<std::uint8_t> requestCodes() const { return log_.commandCodes(); }
    void clearRequests() { log_.clear(); }
    void echoRequests(std::ostream *out, std::string label) { log_.echoTo(out, std::move(label)); }

    // A frame arrived from the host: log it, pick a fault, carry out the
    // command and say how the reply goes out. Malformed frames get nothing.
    Delivery receive(const FramedRequest &request);

private:
    mutable std::mutex mutex_;
    ReaderState state_;
    FaultPlan faults_;
    RequestLog log_;
};

} // namespace kestsim
