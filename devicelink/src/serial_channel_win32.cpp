// SPDX-License-Identifier: MIT
// SerialChannel on Windows: the COM port driver through the Win32 file and
// communications functions.
//
// A read is one ReadFile under the driver's own time-outs (COMMTIMEOUTS),
// which mean what Timeouts means: the driver ends the read on the requested
// count, on the interval after a byte, or on the total. Where the caller can
// tell how many bytes a whole reply has, the read asks for just those, so the
// driver ends it the moment they are in. The time-outs are set once for a
// read; only when the silence that ended it followed bytes that were no
// reply at all are they set again, for what is left of its total.
#if !defined(WIN32_LEAN_AND_MEAN)
#  define WIN32_LEAN_AND_MEAN
#endif
#if !defined(NOMINMAX)
#  define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "serial_channel.h"

namespace kestlink {

namespace {

static_assert(sizeof(DCB) == 28, "the saved line settings hold one DCB");

HANDLE asHandle(void *handle) { return static_cast<HANDLE>(handle); }

COMMTIMEOUTS toCommTimeouts(const Timeouts &t)
{
    COMMTIMEOUTS c{};
    c.ReadIntervalTimeout = t.readIntervalMs;
    c.ReadTotalTimeoutMultiplier = t.readTotalMultiplierMs;
    c.ReadTotalTimeoutConstant = t.readTotalConstantMs;
    c.WriteTotalTimeoutMultiplier = t.writeTotalMultiplierMs;
    c.WriteTotalTimeoutConstant = t.writeTotalConstantMs;
    return c;
}

Timeouts fromCommTimeouts(const COMMTIMEOUTS &c)
{
    Timeouts t;
    t.readIntervalMs = c.ReadIntervalTimeout;
    t.readTotalMultiplierMs = c.ReadTotalTimeoutMultiplier;
    t.readTotalConstantMs = c.ReadTotalTimeoutConstant;
    t.writeTotalMultiplierMs = c.WriteTotalTimeoutMultiplier;
    t.writeTotalConstantMs = c.WriteTotalTimeoutConstant;
    return t;
}

bool sameTimeouts(const Timeouts &a, const Timeouts &b)
{
    return a.readIntervalMs == b.readIntervalMs && a.readTotalMultiplierMs == b.readTotalMultiplierMs &&
           a.readTotalConstantMs == b.readTotalConstantMs && a.writeTotalMultiplierMs == b.writeTotalMultiplierMs &&
           a.writeTotalConstantMs == b.writeTotalConstantMs;
}

// The time-outs for a ReadFile of `want` bytes that stands for a read of
// `maxCount`: its total is what the whole read would have been given, so a
// reply that comes late in the read is taken whether or not the read asks
// for fewer bytes.
Timeouts timeoutsForPart(Timeouts t, std::size_t want, std::size_t maxCount)
{
    if (t.readTotalMultiplierMs != 0 || t.readTotalConstantMs != 0)
        t.readTotalConstantMs += t.readTotalMultiplierMs * static_cast<DWORD>(maxCount - want);
    return t;
}

// "COM3" becomes "\\.\COM3": the plain name reaches only COM1 to COM9, the
// device-namespace form every port. A name already in that form is kept.
std::string devicePath(const char *portName)
{
    const std::string name(portName);
    if (name.rfind("\\\\.\\", 0) == 0)
        return name;
    return "\\\\.\\" + name;
}

OpenFailure failureFromError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return OpenFailure::NotFound;
    case ERROR_ACCESS_DENIED: // a COM port another program holds answers this
    case ERROR_SHARING_VIOLATION: return OpenFailure::Busy;
    default: return OpenFailure::Other;
    }
}

} // namespace

SerialChannel::~SerialChannel() { close(); }

bool SerialChannel::open(const char *portName)
{
    if (!isClosed())
        close();
    lineLost_ = false;

    if (portName == nullptr || *portName == '\0') {
        lastOpenPath_.clear();
        lastOpenFailure_ = OpenFailure::NotFound;
        return false;
    }

    lastOpenPath_ = devicePath(portName);
    HANDLE h = CreateFileA(lastOpenPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* exclusive */, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        lastOpenFailure_ = failureFromError(GetLastError());
        return false;
    }

    // Files and pipes open just as well; only a character device can be a
    // port, and only a port has line settings and time-outs. What it holds
    // now is kept for the next program and restored when the port is closed.
    DCB found{};
    found.DCBlength = sizeof(DCB);
    COMMTIMEOUTS foundTimeouts{};
    if (GetFileType(h) != FILE_TYPE_CHAR || !GetCommState(h, &found) || !GetCommTimeouts(h, &foundTimeouts)) {
        CloseHandle(h);
        lastOpenFailure_ = OpenFailure::NotATerminal;
        return false;
    }

    // The driver keeps the time-outs the previous program left, so a fresh
    // connection starts with no read time-outs and, as on POSIX, a write that
    // stops draining gives up after a second instead of hanging the caller.
    Timeouts fresh{};
    fresh.writeTotalConstantMs = 1000;
    COMMTIMEOUTS noTimeouts = toCommTimeouts(fresh);
    if (!PurgeComm(h, PURGE_TXCLEAR | PURGE_RXCLEAR) || !SetCommTimeouts(h, &noTimeouts)) {
        CloseHandle(h);
        lastOpenFailure_ = OpenFailure::NotATerminal;
        return false;
    }

    handle_ = h;
    std::memcpy(savedState_, &found, sizeof found);
    savedTimeouts_ = fromCommTimeouts(foundTimeouts);
    timeouts_ = fresh;
    appliedTimeouts_ = fresh;
    lastOpenFailure_ = OpenFailure::None;
    return true;
}

bool SerialChannel::close()
{
    lineLost_ = false;
    if (isClosed())
        return true;
    // Leave the port as we found it for the next program.
    HANDLE h = asHandle(handle_);
    DCB found{};
    std::memcpy(&found, savedState_, sizeof found);
    SetCommState(h, &found);
    COMMTIMEOUTS foundTimeouts = toCommTimeouts(savedTimeouts_);
    SetCommTimeouts(h, &foundTimeouts);
    CloseHandle(h);
    handle_ = INVALID_HANDLE_VALUE;
    return true;
}

bool SerialChannel::isClosed() const { return asHandle(handle_) == INVALID_HANDLE_VALUE; }

bool SerialChannel::getState(LineSettings &settings)
{
    if (isClosed())
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (!GetCommState(asHandle(handle_), &dcb))
        return false;
    settings.baudRate = dcb.BaudRate;
    settings.dataBits = dcb.ByteSize;
    settings.stopBits = dcb.StopBits == ONESTOPBIT ? 1 : 2;
    settings.binary = dcb.fBinary != 0;
    settings.parityChecking = dcb.fParity != 0;
    return true;
}

bool SerialChannel::setState(const LineSettings &settings)
{
    if (isClosed())
        return false;
    // Start from what the driver holds so that the fields not named here (the
    // special characters, the queue limits) stay as they are.
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (!GetCommState(asHandle(handle_), &dcb))
        return false;

    dcb.BaudRate = settings.baudRate;
    dcb.fBinary = settings.binary ? TRUE : FALSE;
    dcb.fParity = settings.parityChecking ? TRUE : FALSE;
    dcb.ByteSize = settings.dataBits;
    dcb.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    // The line carries no parity bit, as the reader expects and as on POSIX,
    // whatever scheme the previous program left.
    dcb.Parity = NOPARITY;

    // A raw line: no flow control either way, the modem lines raised and then
    // ignored, no byte replaced or dropped, and an error never stalls the port.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;

    return SetCommState(asHandle(handle_), &dcb) != 0;
}

bool SerialChannel::getTimeouts(Timeouts &timeouts)
{
    if (isClosed())
        return false;
    timeouts = timeouts_;
    return true;
}

bool SerialChannel::setTimeouts(const Timeouts &timeouts)
{
    if (isClosed() || !applyTimeouts(timeouts))
        return false;
    timeouts_ = timeouts;
    return true;
}

bool SerialChannel::applyTimeouts(const Timeouts &timeouts)
{
    if (sameTimeouts(timeouts, appliedTimeouts_))
        return true;
    COMMTIMEOUTS c = toCommTimeouts(timeouts);
    if (!SetCommTimeouts(asHandle(handle_), &c))
        return false;
    appliedTimeouts_ = timeouts;
    return true;
}

bool SerialChannel::purge()
{
    if (isClosed())
        return false;
    return PurgeComm(asHandle(handle_), PURGE_TXCLEAR | PURGE_RXCLEAR) != 0;
}

bool SerialChannel::write(const std::uint8_t *bytes, std::size_t count, std::size_t *written)
{
    if (written)
        *written = 0;
    if (isClosed())
        return false;

    std::size_t sent = 0;
    bool ok = true;
    while (sent < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - sent, MAXDWORD));
        DWORD n = 0;
        if (!WriteFile(asHandle(handle_), bytes + sent, chunk, &n, nullptr)) {
            // A write's time-out is a success with less written; a failure
            // is the port gone (a USB adapter pulled answers
            // ERROR_ACCESS_DENIED or ERROR_DEVICE_REMOVED from then on).
            lineLost_ = true;
            ok = false;
            break;
        }
        // Success with nothing written is the write time-out running out.
        if (n == 0) {
            ok = false;
            break;
        }
        sent += n;
    }
    if (written)
        *written = sent;
    return ok;
}

bool SerialChannel::read(std::uint8_t *buffer, std::size_t maxCount, std::size_t *received,
                         const ReadCompletion *completion)
{
    if (received)
        *received = 0;
    if (isClosed())
        return false;
    if (maxCount == 0)
        return true;

    std::size_t want = maxCount;
    if (completion != nullptr)
        want = std::clamp<std::size_t>(completion->bytesStillNeeded({buffer, 0}), 1, maxCount);
    if (!applyTimeouts(timeoutsForPart(timeouts_, want, maxCount)))
        return false;
    const auto start = std::chrono::steady_clock::now();
    const auto total = std::chrono::milliseconds(timeouts_.readTotalConstantMs) +
                       std::chrono::milliseconds(timeouts_.readTotalMultiplierMs) * static_cast<long long>(maxCount);
    const bool hasTotal = total.count() > 0;

    // One ReadFile, which the driver ends. A further one only fetches what
    // is still missing when bytes came in front of the reply, so that the
    // count asked for did not hold all of it; or waits on, for what is left
    // of the read's total, when the silence that ended it followed bytes that
    // were no reply at all.
    std::size_t got = 0;
    bool ok = true;
    while (want > 0) {
        DWORD n = 0;
        if (!ReadFile(asHandle(handle_), buffer + got, static_cast<DWORD>(want), &n, nullptr)) {
            lineLost_ = true; // a time-out is a success with fewer bytes: see write
            ok = false;
            break;
        }
        got += n;
        if (completion == nullptr)
            break; // it asked for all it may take
        if (n == want) {
            want = std::min(completion->bytesStillNeeded({buffer, got}), maxCount - got);
            continue;
        }
        // A time-out ended it.
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(total - (std::chrono::steady_clock::now() - start));
        if (n == 0 || completion->begun({buffer, got}) || (hasTotal && left.count() <= 0))
            break;
        Timeouts rest = timeouts_;
        if (hasTotal) {
            rest.readTotalMultiplierMs = 0;
            rest.readTotalConstantMs = static_cast<std::uint32_t>(left.count());
        }
        if (!applyTimeouts(rest)) {
            ok = false;
            break;
        }
        want = std::min(completion->bytesStillNeeded({buffer, got}), maxCount - got);
    }
    // A read that the driver ended with nothing may have met a port that is
    // gone: the port's state can no longer be had then.
    if (ok && got == 0) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(asHandle(handle_), &errors, &status))
            lineLost_ = true;
    }

    if (received)
        *received = got;
    return ok;
}

} // namespace kestlink
