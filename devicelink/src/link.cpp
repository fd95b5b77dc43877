#include "link.h"

namespace kestlink {

namespace {
// Constructed closed when the library loads; its destructor closes the port
// when the library is unloaded, at process exit at the latest.
SerialChannel theChannel;
LineSettle theLineSettle;
std::mutex theLinkMutex;
} // namespace

SerialChannel &channel() { return theChannel; }

LineSettle &lineSettle() { return theLineSettle; }

std::unique_lock<std::mutex> lockLink() { return std::unique_lock<std::mutex>(theLinkMutex); }

} // namespace kestlink
