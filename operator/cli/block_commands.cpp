// SPDX-License-Identifier: MIT
// kestlink domain get|set and kestlink key get|set: the reader's opaque
// blocks, as hexadecimal.
#include <cstdio>

#include "cli_commands.h"
#include "exit_status.h"
#include "cli_hex.h"
#include "kestlink.h"

namespace kestlink_cli {

namespace {

std::size_t blockSize(Block block) { return block == Block::Domain ? KX_DOMAIN_SIZE : KX_KEY_SIZE; }
const char *blockName(Block block) { return block == Block::Domain ? "domain" : "key"; }

} // namespace

int runBlockGet(const CommonOptions &common, Block block)
{
    const auto session = connectReader(common);
    if (!session)
        return kReaderFailed;
    std::uint8_t bytes[KX_DOMAIN_READBACK_SIZE] = {};
    std::size_t size = KX_KEY_SIZE;
    bool got = false;
    if (block == Block::Domain) {
        std::uint16_t length = 0;
        got = KX_GetDomain(bytes, &length) == 1;
        // The reader reports 20 of the 23 bytes it sends.
        size = length < sizeof bytes ? length : sizeof bytes;
    } else {
        got = KX_GetKey(bytes) == 1;
    }
    if (!got) {
        sayError(session->where, std::string("reading the ") + blockName(block) + " failed");
        return kReaderFailed;
    }
    std::printf("%s\n", hexText(bytes, size).c_str());
    return std::fflush(stdout) == 0 ? kSuccess : kFileFailed;
}

int runBlockSet(const CommonOptions &common, Block block, const std::string &hex)
{
    const auto bytes = parseHex(hex, blockSize(block));
    if (!bytes) {
        sayError(blockName(block), "\"" + hex + "\" is not " + std::to_string(blockSize(block)) +
                                       " bytes in hexadecimal (" + std::to_string(2 * blockSize(block)) + " digits)");
        return kWrongUsage;
    }
    const auto session = connectReader(common);
    if (!session)
        return kReaderFailed;
    const bool set = block == Block::Domain ? KX_SetDomain(bytes->data(), 0) == 1 : KX_SetKey(bytes->data()) == 1;
    if (!set) {
        sayError(session->where, std::string("setting the ") + blockName(block) + " failed");
        return kReaderFailed;
    }
    return kSuccess;
}

} // namespace kestlink_cli
