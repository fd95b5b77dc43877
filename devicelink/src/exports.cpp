// SPDX-License-Identifier: MIT
// The exported functions: each command is one transaction, and its output is
// copied to the caller's buffer only when the reply passed its rule.
#include "kestlink.h"

#include <cstring>

#include "discovery.h"
#include "link.h"
#include "trace.h"
#include "transaction.h"

using kestlink::Reply;
using kestlink::transact;
using kestlink::protocol::Command;

namespace {

// A null buffer is refused before anything is sent: the command would either
// have nothing to send or nowhere to put the reply.
bool refuseNull(const void *pointer, const char *function)
{
    if (pointer != nullptr)
        return false;
    kestlink::trace::message(std::string(function) + ": null buffer, nothing sent");
    return true;
}

int32_t run(Command command, std::span<const std::uint8_t> payload = {})
{
    Reply reply;
    return transact(command, payload, reply) ? 1 : 0;
}

// For data replies: the payload goes to the caller on success only.
int32_t fetch(Command command, std::span<const std::uint8_t> payload, void *out, std::size_t size)
{
    Reply reply;
    if (!transact(command, payload, reply))
        return 0;
    std::memcpy(out, reply.payload(), size);
    return 1;
}

int32_t portKindCode(kestlink::PortKind kind)
{
    switch (kind) {
    case kestlink::PortKind::Com: return KX_PORT_COM;
    case kestlink::PortKind::UsbById: return KX_PORT_USB;
    case kestlink::PortKind::UsbNode: return KX_PORT_USB_NODE;
    case kestlink::PortKind::Listed: return KX_PORT_LISTED;
    }
    return KX_PORT_COM;
}

int32_t outcomeCode(kestlink::PortOutcome outcome)
{
    using kestlink::PortOutcome;
    switch (outcome) {
    case PortOutcome::Answered: return KX_PORT_ANSWERED;
    case PortOutcome::NotFound: return KX_PORT_NOT_FOUND;
    case PortOutcome::NoPermission: return KX_PORT_NO_PERMISSION;
    case PortOutcome::Busy: return KX_PORT_BUSY;
    case PortOutcome::NotAPort: return KX_PORT_NOT_A_PORT;
    case PortOutcome::NoAnswer: return KX_PORT_NO_ANSWER;
    case PortOutcome::WrongAnswer: return KX_PORT_WRONG_ANSWER;
    case PortOutcome::Failed: return KX_PORT_FAILED;
    }
    return KX_PORT_FAILED;
}

// Copies text into a fixed field, cut to fit and always zero-terminated.
template <std::size_t N> void copyText(char (&field)[N], const std::string &text)
{
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, N - length);
}

template <std::size_t N> std::span<const std::uint8_t> bytesOf(const void *pointer)
{
    return {static_cast<const std::uint8_t *>(pointer), N};
}

} // namespace

extern "C" {

KX_API int32_t KX_CALL KX_Connect(void) { return kestlink::connectToReader() ? 1 : 0; }

KX_API int32_t KX_CALL KX_GetConnectReport(KX_PortReport *ports, int32_t capacity)
{
    const auto report = kestlink::lastConnectReport();
    const std::size_t room = (ports == nullptr || capacity < 0) ? 0 : static_cast<std::size_t>(capacity);
    for (std::size_t i = 0; i < report.size() && i < room; ++i) {
        const auto &tried = report[i];
        KX_PortReport &out = ports[i];
        copyText(out.name, tried.name);
        out.kind = portKindCode(tried.kind);
        out.outcome = outcomeCode(tried.outcome());
        out.holderPid = tried.holder ? tried.holder->pid : 0;
        copyText(out.holder, tried.holder ? tried.holder->program : std::string());
    }
    return static_cast<int32_t>(report.size());
}

KX_API int32_t KX_CALL KX_Close(void)
{
    auto lock = kestlink::lockLink();
    kestlink::channel().close();
    kestlink::linkLost() = false;
    return 1;
}

KX_API int32_t KX_CALL KX_GetLinkState(void)
{
    auto lock = kestlink::lockLink();
    if (!kestlink::channel().isClosed())
        return KX_LINK_OPEN;
    return kestlink::linkLost() ? KX_LINK_LOST : KX_LINK_CLOSED;
}

KX_API int32_t KX_CALL KX_ReadData(uint16_t recordNumber, TagRecord *record)
{
    if (refuseNull(record, "KX_ReadData"))
        return 0;
    const auto number = kestlink::protocol::numberPayload(recordNumber);
    return fetch(Command::ReadRecord, number, record, sizeof(TagRecord));
}

KX_API int32_t KX_CALL KX_DeleteAllData(void) { return run(Command::DeleteAll); }

KX_API int32_t KX_CALL KX_QueryNumber(uint16_t *count)
{
    if (refuseNull(count, "KX_QueryNumber"))
        return 0;
    Reply reply;
    if (!transact(Command::QueryCount, {}, reply))
        return 0;
    *count = kestlink::protocol::countFromReply(reply.frame());
    return 1;
}

KX_API int32_t KX_CALL KX_SetTime(const DeviceTime *time)
{
    if (refuseNull(time, "KX_SetTime"))
        return 0;
    std::uint8_t plain[7];
    std::memcpy(plain, time, sizeof plain);
    return run(Command::SetTime, kestlink::protocol::clockPayload(plain));
}

KX_API int32_t KX_CALL KX_LoadCmpData(uint16_t entryNumber, const CompareEntry *entry)
{
    if (refuseNull(entry, "KX_LoadCmpData"))
        return 0;
    std::uint8_t card[16];
    std::memcpy(card, entry->cardNumber, sizeof card);
    return run(Command::LoadCompare, kestlink::protocol::compareEntryPayload(entryNumber, card));
}

KX_API int32_t KX_CALL KX_DeleteCmpData(void) { return run(Command::DeleteCompare); }

KX_API int32_t KX_CALL KX_ReadCmpData(uint16_t entryNumber, uint8_t *out)
{
    if (refuseNull(out, "KX_ReadCmpData"))
        return 0;
    const auto number = kestlink::protocol::numberPayload(entryNumber);
    return fetch(Command::ReadCompare, number, out, KX_COMPARE_READBACK_SIZE);
}

KX_API int32_t KX_CALL KX_SetDomain(const uint8_t *domain, int32_t /*unused*/)
{
    if (refuseNull(domain, "KX_SetDomain"))
        return 0;
    return run(Command::SetDomain, bytesOf<KX_DOMAIN_SIZE>(domain));
}

KX_API int32_t KX_CALL KX_GetDomain(uint8_t *out, uint16_t *length)
{
    if (refuseNull(out, "KX_GetDomain") || refuseNull(length, "KX_GetDomain"))
        return 0;
    if (!fetch(Command::GetDomain, {}, out, KX_DOMAIN_READBACK_SIZE))
        return 0;
    // The reader returns 23 bytes; the domain itself is the first 20.
    *length = KX_DOMAIN_SIZE;
    return 1;
}

KX_API int32_t KX_CALL KX_SetKey(const uint8_t *key)
{
    if (refuseNull(key, "KX_SetKey"))
        return 0;
    return run(Command::SetKey, bytesOf<KX_KEY_SIZE>(key));
}

KX_API int32_t KX_CALL KX_GetKey(uint8_t *out)
{
    if (refuseNull(out, "KX_GetKey"))
        return 0;
    return fetch(Command::GetKey, {}, out, KX_KEY_SIZE);
}

} // extern "C"
