// SPDX-License-Identifier: MIT
// Kestlink's C++ for the programs built from this source tree with the
// library's static archive (kestlink_static): the command-line tool, the
// benchmarks and the white-box tests. It promises nothing beyond this tree:
// nothing here is exported from libkestlink.so or the DLLs, and any of it may
// change with the library. Programs elsewhere use kestlink.h alone.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestlink {

// Why a port could not be opened.
enum class OpenFailure {
    None,
    NotFound,         // no such port
    PermissionDenied, // on Linux usually: not in the dialout group
    Busy,             // held by another program
    NotATerminal,     // the name exists but is no serial port
    Other,
};

// Why a port could not be used, as an operator can act on it (English).
const char *describe(OpenFailure failure);

// Which program holds a port that is busy, where the system can tell.
struct PortHolder {
    int pid = 0;
    std::string program; // its command name
};

enum class PortKind {
    Com,     // COM3 to COM9
    UsbById, // a USB serial adapter by the stable link udev makes for it
    UsbNode, // a USB serial adapter by its device node (no link for it)
    Listed,  // a further COM port the system lists (Windows)
};

struct PortCandidate {
    std::string name;     // as the operator reads it: "COM3", a by-id name, "/dev/ttyUSB0"
    std::string openName; // what the search opens
    PortKind kind = PortKind::Com;
};

// The ports a search tries, in its order: COM3 to COM9, then the USB serial
// adapters present, each device once. With KESTLINK_PORT_DIR set (POSIX),
// COM3 to COM9 of that folder only.
std::vector<PortCandidate> readerPortCandidates();

// How trying one port ended, in the terms the operator is told.
enum class PortOutcome { Answered, NotFound, NoPermission, Busy, NotAPort, NoAnswer, WrongAnswer, Failed };

// What trying one port gave.
struct PortTry {
    std::string name; // as the operator reads it
    PortKind kind = PortKind::Com;
    std::string path; // the device the name leads to
    bool opened = false;
    OpenFailure failure = OpenFailure::None; // why it did not open
    bool answered = false;                   // the reader answered the handshake
    bool replied = false;                    // something came back, answered or not
    std::optional<PortHolder> holder;        // who holds it, when busy and known

    PortOutcome outcome() const;
};

// One port as the search tries each: opened (a "COMn" name, a by-id name or
// a device path), set to the reader's line, given the handshake. With
// stayOpen the connection stays on it when the reader answered; it is closed
// otherwise.
PortTry connectToPort(const char *portName, bool stayOpen = true);

// The ports the last KX_Connect tried, in order.
std::vector<PortTry> lastConnectReport();

// The device the connection is on (or the last one tried).
std::string connectedPortPath();

// How a transaction's read ends: on the whole reply where the command's rule
// allows (as the library does), or only when the line falls silent (as the
// reader's driver alone would), for the benchmark's comparison.
enum class ReadEnd { WholeReply, TimeoutsOnly };
void setReadEnd(ReadEnd mode);
ReadEnd readEnd();

// The read-record exchange as the library makes it: the reader's fixed wait
// and the bytes each way.
struct RecordExchange {
    std::chrono::milliseconds wait;
    std::size_t requestBytes = 0;
    std::size_t replyBytes = 0;
};
RecordExchange recordExchange();

} // namespace kestlink
