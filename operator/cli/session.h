// SPDX-License-Identifier: MIT
// The options every subcommand takes, and the connection to the reader:
// the COM3-to-COM9 search, or the one port --port names.
#pragma once

#include <optional>
#include <string>

namespace kestlink_cli {

struct CommonOptions {
    std::optional<std::string> port; // "COMn" or a device path
    bool quiet = false;
};

// Where the tool talks to the reader, for messages: "COM3 (/dev/ttyUSB0)",
// or the device path --port gave.
struct Session {
    std::string where;
};

// Connects; on failure says why on standard error, naming the port.
std::optional<Session> connectReader(const CommonOptions &options);

// "kestlink: <where>: <text>" on standard error.
void sayError(const std::string &where, const std::string &text);
// A message's first line: what the dialog says below it is about its buttons.
std::string firstLine(const std::string &text);
// The text on standard error unless quiet.
void sayNote(const CommonOptions &options, const std::string &text);

} // namespace kestlink_cli
