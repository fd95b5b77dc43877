#include "cli_options.h"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <string>
#include <string_view>

#include "kestsim/fault_text.h"
#include "kestsim/sample_records.h"

namespace kestsim::cli {
namespace {

unsigned long parseNumber(std::string_view option, std::string_view text, unsigned long max) {
  unsigned long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > max) {
    throw UsageError(std::string(option) + " needs a whole number from 0 to " +
                     std::to_string(max) + ", not \"" + std::string(text) + "\"");
  }
  return value;
}

}  // namespace

CliOptions parseCommandLine(int argc, const char* const* argv) {
  CliOptions options;
  bool recordsGiven = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view name = arg;
    std::optional<std::string_view> inlineValue;
    if (const auto equals = arg.find('='); arg.starts_with("--") && equals != arg.npos) {
      name = arg.substr(0, equals);
      inlineValue = arg.substr(equals + 1);
    }
    const auto value = [&]() -> std::string_view {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= argc) throw UsageError(std::string(name) + " needs a value");
      return argv[++i];
    };
    const auto noValue = [&] {
      if (inlineValue) throw UsageError(std::string(name) + " takes no value");
    };

    if (name == "--help" || name == "-h") {
      noValue();
      options.help = true;
    } else if (name == "--log") {
      noValue();
      options.log = true;
    } else if (name == "--port") {
      const auto port = parseNumber(name, value(), 9999);
      if (port < 1) throw UsageError("--port needs a number from 1");
      if (std::ranges::find(options.ports, static_cast<int>(port)) != options.ports.end()) {
        throw UsageError("COM" + std::to_string(port) + " given twice");
      }
      options.ports.push_back(static_cast<int>(port));
    } else if (name == "--records") {
      options.recordCount = parseNumber(name, value(), kMaxRecords);
      recordsGiven = true;
    } else if (name == "--csv") {
      options.csvFile = std::filesystem::path(value());
    } else if (name == "--dir") {
      options.directory = std::filesystem::path(value());
    } else if (name == "--baud") {
      options.baud = static_cast<unsigned>(parseNumber(name, value(), 4'000'000));
    } else if (name == "--fault") {
      try {
        options.faults.push_back(parseFaultRule(value()));
      } catch (const std::invalid_argument& error) {
        throw UsageError(error.what());
      }
    } else {
      throw UsageError("unknown option \"" + std::string(arg) + "\"");
    }
  }
  if (recordsGiven && options.csvFile) throw UsageError("--records and --csv exclude each other");
  if (options.ports.empty()) options.ports.push_back(3);
  return options;
}

void printUsage(std::ostream& out) {
  out << R"(Usage: kestsim [OPTION]...
Plays one or more handheld tag readers on pseudo-terminals, each reachable
as COM<n> in a port directory. The first line on standard output is
  KESTLINK_PORT_DIR=<directory>
to be put into the environment of the program under test. Runs until
SIGINT (Ctrl-C) or SIGTERM, then removes its terminals and links.

Options:
  --port N         serve a reader as COM<N> (N from 1; repeat for more
                   readers, each with the same records). Default: COM3.
  --records COUNT  give each reader COUNT sample records (0 to 65535).
                   Default: 300.
  --csv FILE       give each reader the records of an exported CSV file
                   (rows "00001,999 012345678901,2024/05/06 07:08:09,1").
  --dir DIR        put the COM<n> links in DIR (created if absent) instead
                   of a new directory under $TMPDIR or /tmp.
  --baud B         send replies at B baud, 10 bits a byte (0: no pacing).
                   Default: 115200.
  --fault RULE     spoil replies, RULE being KIND[:CMD][@N][xTIMES]:
                   from the N-th request for CMD on (default: the first of
                   any command), TIMES times (default: every time). Repeat
                   for more rules; the first rule due wins.
  --log            write every request received to standard error in hex.
  --help           show this text.

Fault kinds:
  no-reply       ignore the request (the command is not carried out)
  short          send only the first 3 bytes of the reply
  wrong-length   length byte one too high, checksum matching it
  bad-checksum   checksum byte inverted
  bad-status     answer with the status "failed" (01) instead
  trailing-byte  send one 0x00 after the reply
  late           reply only after the host has given up reading; dropped
                 if the next request comes first
  split          send half the reply, pause 40 ms, send the rest
  hang-up        drop the line on the request (not carried out), come back
                 50 ms later on a new terminal; COM<n> is re-pointed to it
Except for no-reply and hang-up, the command takes effect as usual.

Commands (CMD), by name or hex code:
  handshake 0x00, read-record 0x01, delete-all 0x02, query-count 0x04,
  set-time 0x05, load-compare 0x06, delete-compare 0x07, read-compare 0x08,
  set-domain 0x09, get-domain 0x0A, set-key 0x0B, get-key 0x0C

Example:
  kestsim --port 3 --port 5 --records 1000 --fault bad-checksum:read-record@10x2
serves COM3 and COM5 with 1000 records each; on each reader the 10th and
11th read-record replies carry a bad checksum.

Exit status: 0 when stopped by a signal, 1 when the readers cannot be set
up (unreadable or malformed CSV, no pseudo-terminals), 2 for invalid options.
)";
}

}  // namespace kestsim::cli
