// SPDX-License-Identifier: MIT
#include "kestrix_testing/wine/wine_link.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "kestsim/simulator.h"
#include "kestrix_testing/wine/probe_process.h"
#include "kestrix_testing/wine/wine_session.h"

namespace kestlink::test {

namespace {

std::string hexOf(const void *bytes, std::size_t size)
{
    if (bytes == nullptr)
        return "-";
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        const auto b = static_cast<const std::uint8_t *>(bytes)[i];
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

// The buffer as the call left it in the probe, written back into the
// caller's only where it differs: so an input block that the library leaves
// alone is never written to, and one it changed shows the change, as it
// would in the caller's own process.
void copyBack(const std::string &hex, void *out, std::size_t size)
{
    if (out == nullptr || hex == "-")
        return;
    if (hex.size() != 2 * size)
        throw std::runtime_error("the probe sent back " + hex + " for a " + std::to_string(size) + "-byte buffer");
    std::vector<std::uint8_t> after(size);
    for (std::size_t i = 0; i < size; ++i)
        after[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    if (std::memcmp(out, after.data(), size) != 0)
        std::memcpy(out, after.data(), size);
}

void *inOut(const void *pointer) { return const_cast<void *>(pointer); }

// A call's words, joined with spaces.
std::string join(std::initializer_list<std::string> words)
{
    std::string line;
    for (const auto &w : words) {
        if (!line.empty())
            line += ' ';
        line += w;
    }
    return line;
}

class WineLink final : public LinkUnderTest {
public:
    explicit WineLink(const std::string &probe) : probe_(probe) {}

    void usePortsOf(const kestsim::Simulator &sim) override { WineSession::instance().linkPorts(sim.portDirectory()); }

    int32_t connect() override { return call("KX_Connect", {}); }
    int32_t close() override { return call("KX_Close", {}); }
    int32_t linkState() override { return call("KX_GetLinkState", {}); }
    int32_t readData(uint16_t n, TagRecord *r) override
    {
        return call(join({"KX_ReadData", std::to_string(n)}), {{r, sizeof(TagRecord)}});
    }
    int32_t deleteAllData() override { return call("KX_DeleteAllData", {}); }
    int32_t queryNumber(uint16_t *count) override { return call("KX_QueryNumber", {{count, 2}}); }
    int32_t setTime(const DeviceTime *time) override { return call("KX_SetTime", {{inOut(time), sizeof(DeviceTime)}}); }
    int32_t loadCmpData(uint16_t n, const CompareEntry *e) override
    {
        return call(join({"KX_LoadCmpData", std::to_string(n)}), {{inOut(e), sizeof(CompareEntry)}});
    }
    int32_t deleteCmpData() override { return call("KX_DeleteCmpData", {}); }
    int32_t readCmpData(uint16_t n, uint8_t *out) override
    {
        return call(join({"KX_ReadCmpData", std::to_string(n)}), {{out, KX_COMPARE_READBACK_SIZE}});
    }
    int32_t setDomain(const uint8_t *d, int32_t unused) override
    {
        return call("KX_SetDomain", {{inOut(d), KX_DOMAIN_SIZE}}, std::to_string(unused));
    }
    int32_t getDomain(uint8_t *out, uint16_t *length) override
    {
        return call("KX_GetDomain", {{out, KX_DOMAIN_READBACK_SIZE}, {length, 2}});
    }
    int32_t setKey(const uint8_t *key) override { return call("KX_SetKey", {{inOut(key), KX_KEY_SIZE}}); }
    int32_t getKey(uint8_t *out) override { return call("KX_GetKey", {{out, KX_KEY_SIZE}}); }

    double lastCallMs() const override { return lastMs_; }

private:
    struct Buffer {
        void *bytes;
        std::size_t size;
    };

    // The call's name and numbers, its buffers in hex, then any number that
    // follows them.
    int32_t call(const std::string &head, const std::vector<Buffer> &buffers, const std::string &tail = "")
    {
        std::string line = head;
        for (const auto &b : buffers) {
            line += ' ';
            line += hexOf(b.bytes, b.size);
        }
        if (!tail.empty()) {
            line += ' ';
            line += tail;
        }
        const std::string answer = probe_.call(line);

        std::istringstream words(answer);
        std::string result, micros;
        words >> result >> micros;
        if (result == "error" || micros.empty())
            throw std::runtime_error("the probe refused \"" + line + "\": " + answer);
        lastMs_ = std::stod(micros) / 1000.0;
        for (const auto &b : buffers) {
            std::string hex;
            words >> hex;
            copyBack(hex, b.bytes, b.size);
        }
        return static_cast<int32_t>(std::stol(result));
    }

    ProbeProcess probe_;
    double lastMs_ = 0;
};

} // namespace

std::string probeOf(Build build)
{
    const char *name = build == Build::Win64   ? "KESTLINK_PROBE_WIN64"
                       : build == Build::Win32 ? "KESTLINK_PROBE_WIN32"
                                               : nullptr;
    const char *value = name ? std::getenv(name) : nullptr;
    return value ? value : "";
}

std::unique_ptr<LinkUnderTest> wineLink(const std::string &probe) { return std::make_unique<WineLink>(probe); }

} // namespace kestlink::test
