// SPDX-License-Identifier: MIT
#include "link.h"

namespace kestlink {

namespace {
// Constructed closed when the library loads; its destructor closes the port
// when the library is unloaded, at process exit at the latest.
SerialChannel theChannel;
LineSettle theLineSettle;
std::mutex theLinkMutex;
bool theLinkLost = false;
} // namespace

SerialChannel &channel() { return theChannel; }

LineSettle &lineSettle() { return theLineSettle; }

bool &linkLost() { return theLinkLost; }

std::unique_lock<std::mutex> lockLink() { return std::unique_lock<std::mutex>(theLinkMutex); }

} // namespace kestlink
