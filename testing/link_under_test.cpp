// SPDX-License-Identifier: MIT
#include "kestrix_testing/link_under_test.h"

#include <chrono>
#include <cstdlib>

#include "kestsim/simulator.h"

namespace kestlink::test {

std::string nameOf(Build build)
{
    switch (build) {
    case Build::Native: return "Native";
    case Build::Win64: return "Win64";
    case Build::Win32: return "Win32";
    }
    return "?";
}

namespace {

class InProcessLink final : public LinkUnderTest {
public:
    ~InProcessLink() override
    {
        KX_Close();
        ::unsetenv("KESTLINK_PORT_DIR");
    }

    void usePortsOf(const kestsim::Simulator &sim) override
    {
        ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1);
    }

    int32_t connect() override
    {
        return timed([] { return KX_Connect(); });
    }
    int32_t close() override
    {
        return timed([] { return KX_Close(); });
    }
    int32_t linkState() override
    {
        return timed([] { return KX_GetLinkState(); });
    }
    int32_t readData(uint16_t n, TagRecord *r) override
    {
        return timed([&] { return KX_ReadData(n, r); });
    }
    int32_t deleteAllData() override
    {
        return timed([] { return KX_DeleteAllData(); });
    }
    int32_t queryNumber(uint16_t *count) override
    {
        return timed([&] { return KX_QueryNumber(count); });
    }
    int32_t setTime(const DeviceTime *time) override
    {
        return timed([&] { return KX_SetTime(time); });
    }
    int32_t loadCmpData(uint16_t n, const CompareEntry *e) override
    {
        return timed([&] { return KX_LoadCmpData(n, e); });
    }
    int32_t deleteCmpData() override
    {
        return timed([] { return KX_DeleteCmpData(); });
    }
    int32_t readCmpData(uint16_t n, uint8_t *out) override
    {
        return timed([&] { return KX_ReadCmpData(n, out); });
    }
    int32_t setDomain(const uint8_t *d, int32_t unused) override
    {
        return timed([&] { return KX_SetDomain(d, unused); });
    }
    int32_t getDomain(uint8_t *out, uint16_t *length) override
    {
        return timed([&] { return KX_GetDomain(out, length); });
    }
    int32_t setKey(const uint8_t *key) override
    {
        return timed([&] { return KX_SetKey(key); });
    }
    int32_t getKey(uint8_t *out) override
    {
        return timed([&] { return KX_GetKey(out); });
    }

    double lastCallMs() const override { return lastMs_; }

private:
    template <typename Call> int32_t timed(Call call)
    {
        const auto start = std::chrono::steady_clock::now();
        const int32_t result = call();
        lastMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        return result;
    }

    double lastMs_ = 0;
};

} // namespace

std::unique_ptr<LinkUnderTest> inProcessLink() { return std::make_unique<InProcessLink>(); }

} // namespace kestlink::test
