// SPDX-License-Identifier: MIT
#include "interrupt.h"

#include <signal.h>

namespace kestlink_cli {

namespace {
std::atomic<bool> theStop{false};
volatile sig_atomic_t theSignal = 0;
struct sigaction savedInt {};
struct sigaction savedTerm {};

extern "C" void askToStop(int number)
{
    theSignal = number;
    theStop.store(true);
}
} // namespace

StopOnInterrupt::StopOnInterrupt()
{
    static_assert(std::atomic<bool>::is_always_lock_free);
    // Nothing is reset: a signal taken by an outer guard still counts.
    struct sigaction action {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &savedInt);
    ::sigaction(SIGTERM, &action, &savedTerm);
}

StopOnInterrupt::~StopOnInterrupt()
{
    ::sigaction(SIGINT, &savedInt, nullptr);
    ::sigaction(SIGTERM, &savedTerm, nullptr);
}

std::atomic<bool> &StopOnInterrupt::stop() { return theStop; }

int StopOnInterrupt::signalNumber() { return theSignal; }

} // namespace kestlink_cli
