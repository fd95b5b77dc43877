// SPDX-License-Identifier: MIT
// The exported functions of one build of the library, as a test calls them:
// the library linked into this process, or a Windows build of it run under
// Wine (wine/). The device tests run the same cases against each, so that
// both platforms are held to the same verdicts, frames and outputs.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "kestlink.h"

namespace kestsim {
class Simulator;
}

namespace kestlink::test {

enum class Build { Native, Win64, Win32 };

std::string nameOf(Build build);
// So that test names read Native/..., Win64/..., not the enum's bytes.
inline void PrintTo(Build build, std::ostream *out) { *out << nameOf(build); }

class LinkUnderTest {
public:
    virtual ~LinkUnderTest() = default;

    // Lets the library find the simulator's readers as COM1, COM2, ...
    virtual void usePortsOf(const kestsim::Simulator &sim) = 0;

    virtual int32_t connect() = 0;
    virtual int32_t close() = 0;
    virtual int32_t readData(uint16_t recordNumber, TagRecord *record) = 0;
    virtual int32_t deleteAllData() = 0;
    virtual int32_t queryNumber(uint16_t *count) = 0;
    virtual int32_t setTime(const DeviceTime *time) = 0;
    virtual int32_t loadCmpData(uint16_t entryNumber, const CompareEntry *entry) = 0;
    virtual int32_t deleteCmpData() = 0;
    virtual int32_t readCmpData(uint16_t entryNumber, uint8_t *out) = 0;
    virtual int32_t setDomain(const uint8_t *domain, int32_t unused) = 0;
    virtual int32_t getDomain(uint8_t *out, uint16_t *length) = 0;
    virtual int32_t setKey(const uint8_t *key) = 0;
    virtual int32_t getKey(uint8_t *out) = 0;
    virtual int32_t linkState() = 0;

    // How long the last call took inside the library, in milliseconds: for
    // a Windows build, timed in the Windows process, so that what crossing
    // to it costs is not counted.
    virtual double lastCallMs() const = 0;
};

// The library of this process.
std::unique_ptr<LinkUnderTest> inProcessLink();

} // namespace kestlink::test
