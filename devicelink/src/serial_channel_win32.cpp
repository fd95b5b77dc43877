// SerialChannel on Windows: the COM port driver through the Win32 file and
// communications functions.
//
// Reads do not rely on the driver's own time-out rules, which differ in detail
// from the POSIX ones; both backends end a read through ReadDeadline, so a
// reply is cut off at the same moment on either platform.
#if !defined(WIN32_LEAN_AND_MEAN)
#define WIN32_LEAN_AND_MEAN
#endif
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <string>

#include "read_deadline.h"
#include "serial_channel.h"

namespace kestlink {

namespace {

HANDLE asHandle(void *handle)
{
    return static_cast<HANDLE>(handle);
}

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
    case ERROR_PATH_NOT_FOUND:
        return OpenFailure::NotFound;
    case ERROR_ACCESS_DENIED:      // a COM port another program holds answers this
    case ERROR_SHARING_VIOLATION:
        return OpenFailure::Busy;
    default:
        return OpenFailure::Other;
    }
}

// The longest single wait while the read has no time-out at all; the loop
// simply waits again, so the read still blocks until its bytes arrive.
constexpr DWORD kUnboundedWaitMs = 1000000;

} // namespace

SerialChannel::~SerialChannel()
{
    close();
}

bool SerialChannel::open(const char *portName)
{
    if (!isClosed())
        close();

    if (portName == nullptr || *portName == '\0') {
        lastOpenPath_.clear();
        lastOpenFailure_ = OpenFailure::NotFound;
        return false;
    }

    lastOpenPath_ = devicePath(portName);
    HANDLE h = CreateFileA(lastOpenPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* exclusive */,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        lastOpenFailure_ = failureFromError(GetLastError());
        return false;
    }

    // Files and pipes open just as well; only a character device can be a port,
    // and only a port accepts the purge and the time-outs. The driver keeps the
    // time-outs the previous program left, so a fresh connection starts with
    // no read time-outs and, as on POSIX, a write that stops draining gives up
    // after a second instead of hanging the caller.
    Timeouts fresh{};
    fresh.writeTotalConstantMs = 1000;
    COMMTIMEOUTS noTimeouts = toCommTimeouts(fresh);
    if (GetFileType(h) != FILE_TYPE_CHAR || !PurgeComm(h, PURGE_TXCLEAR | PURGE_RXCLEAR) ||
        !SetCommTimeouts(h, &noTimeouts)) {
        CloseHandle(h);
        lastOpenFailure_ = OpenFailure::NotATerminal;
        return false;
    }

    handle_ = h;
    timeouts_ = fresh;
    lastOpenFailure_ = OpenFailure::None;
    return true;
}

bool SerialChannel::close()
{
    if (!isClosed()) {
        CloseHandle(asHandle(handle_));
        handle_ = INVALID_HANDLE_VALUE;
    }
    return true;
}

bool SerialChannel::isClosed() const
{
    return asHandle(handle_) == INVALID_HANDLE_VALUE;
}

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
    // parity scheme among them) stay as they are.
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (!GetCommState(asHandle(handle_), &dcb))
        return false;

    dcb.BaudRate = settings.baudRate;
    dcb.fBinary = settings.binary ? TRUE : FALSE;
    dcb.fParity = settings.parityChecking ? TRUE : FALSE;
    dcb.ByteSize = settings.dataBits;
    dcb.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;

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
    COMMTIMEOUTS c{};
    if (!GetCommTimeouts(asHandle(handle_), &c))
        return false;
    timeouts.readIntervalMs = c.ReadIntervalTimeout;
    timeouts.readTotalMultiplierMs = c.ReadTotalTimeoutMultiplier;
    timeouts.readTotalConstantMs = c.ReadTotalTimeoutConstant;
    timeouts.writeTotalMultiplierMs = c.WriteTotalTimeoutMultiplier;
    timeouts.writeTotalConstantMs = c.WriteTotalTimeoutConstant;
    return true;
}

bool SerialChannel::setTimeouts(const Timeouts &timeouts)
{
    if (isClosed())
        return false;
    COMMTIMEOUTS c = toCommTimeouts(timeouts);
    if (!SetCommTimeouts(asHandle(handle_), &c))
        return false;
    timeouts_ = timeouts;
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
                         CompletionTest isComplete)
{
    if (received)
        *received = 0;
    if (isClosed())
        return false;
    if (maxCount == 0)
        return true;

    HANDLE h = asHandle(handle_);
    ReadDeadline deadline(timeouts_, maxCount, ReadDeadline::Clock::now());

    // Interval and multiplier both MAXDWORD with a constant in between makes
    // ReadFile hand over whatever has arrived at once, or wait up to the
    // constant for the first byte. The deadline decides when the read ends.
    COMMTIMEOUTS waitForAny = toCommTimeouts(timeouts_);
    waitForAny.ReadIntervalTimeout = MAXDWORD;
    waitForAny.ReadTotalTimeoutMultiplier = MAXDWORD;
    DWORD appliedConstant = 0; // none applied yet

    std::size_t got = 0;
    bool ok = true;
    while (got < maxCount) {
        if (got > 0 && isComplete && isComplete(buffer, got))
            break;
        const int left = deadline.remainingMs(ReadDeadline::Clock::now());
        if (left == 0)
            break;
        const DWORD constant = left < 0 ? kUnboundedWaitMs : static_cast<DWORD>(left);
        if (constant != appliedConstant) {
            waitForAny.ReadTotalTimeoutConstant = constant;
            if (!SetCommTimeouts(h, &waitForAny)) {
                ok = false;
                break;
            }
            appliedConstant = constant;
        }

        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(maxCount - got, MAXDWORD));
        DWORD n = 0;
        if (!ReadFile(h, buffer + got, want, &n, nullptr)) {
            ok = false;
            break;
        }
        if (n > 0) {
            got += n;
            deadline.bytesArrived(ReadDeadline::Clock::now());
        }
    }

    // Leave the driver with the time-outs the caller set.
    if (appliedConstant != 0) {
        COMMTIMEOUTS stored = toCommTimeouts(timeouts_);
        if (!SetCommTimeouts(h, &stored))
            ok = false;
    }

    if (received)
        *received = got;
    return ok;
}

} // namespace kestlink
