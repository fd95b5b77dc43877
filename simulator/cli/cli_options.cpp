// SPDX-License-Identifier: MIT
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

unsigned long parseNumber(std::string_view option, std::string_view text, unsigned long max)
{
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > max) {
        throw UsageError(std::string(option) + " needs a whole number from 0 to " + std::to_string(max) + ", not \"" +
                         std::string(text) + "\"");
    }
    return value;
}

} // namespace

CliOptions parseCommandLine(int argc, const char *const *argv)
{
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
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= argc)
                throw UsageError(std::string(name) + " needs a value");
            return argv[++i];
        };
        const auto noValue = [&] {
            if (inlineValue)
                throw UsageError(std::string(name) + " takes no value");
        };

        if (name == "--help" || name == "-h") {
            noValue();
            options.help = true;
        } else if (name == "--log") {
            noValue();
            options.log = true;
        } else if (name == "--port") {
            const auto port = parseNumber(name, value(), 9999);
            if (port < 1)
                throw UsageError("--port needs a number from 1");
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
            } catch (const std::invalid_argument &error) {
                throw UsageError(error.what());
            }
        } else {
            throw UsageError("unknown option \"" + std::string(arg) + "\"");
        }
    }
    if (recordsGiven && options.csvFile)
        throw UsageError("--records and --csv exclude each other");
    if (options.ports.empty())
        options.ports.push_back(3);
    return options;
}

void printUsage(std::ostream &out)
{
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
  --fault RULE     spoil replies, RULE being
                     KIND[=MS][/HEX][:CMD][@N][xTIMES]
                   from the N-th request for CMD on (default: the first of
                   any command), TIMES times (default: every time). MS is
                   the kind's time in whole milliseconds (up to 60000), HEX
                   the bytes stray and noise send (1 to 16, two hex digits
                   each, as in 0d0a). Repeat for more rules: on each request
                   the first delay due and the first other fault due apply.
  --log            write every request received to standard error in hex.
  --help           show this text.

Fault kinds (the host waits a fixed time per command, then reads for up to
138 ms; "the host's wait" below is that fixed time):
  no-reply       ignore the request (the command is not carried out)
  short          send only the first 3 bytes of the reply
  wrong-length   length byte one too high, checksum matching it
  bad-checksum   checksum byte inverted
  bad-status     answer with the status "failed" (01) instead
  trailing-byte  send one 0x00 right behind the reply, in the same burst
  late[=MS]      send the reply MS ms (default 60, from 1) after the host's
                 longest read has ended: the host's wait + 138 ms + MS
                 after the request
  split[=MS]     send half the reply at once and the rest MS ms (default 40,
                 from 1) into the host's read: the host's wait + MS after
                 the request, and at least MS after the first half
  delay=MS       send the reply MS ms after the request (MS is required,
                 0 allowed). Combines with another rule's fault: everything
                 that fault sends comes MS later, so
                   --fault delay=24:read-record --fault stray=4:read-record
                 answers a record after 24 ms with a stray byte 4 ms later
  stray[=MS][/HEX]
                 send the reply, then HEX (default 00) as a burst of its own
                 MS ms (default 4, 0 allowed) after the reply's last byte
  noise[=MS][/HEX]
                 send HEX (default 00ffa55a: a zero, a pad byte and both
                 frame markers) MS ms (default 5, 0 allowed) after the
                 request, then the reply right behind it
  hang-up        drop the line on the request (not carried out), come back
                 50 ms later on a new terminal; COM<n> is re-pointed to it
Except for no-reply and hang-up, the command takes effect as usual; those
two send nothing, so a delay changes nothing there. Like a real line, the
reader never drops what it still owes: a late reply or the rest of a split
one goes out even when the host has sent its next request meanwhile, and
the reply to that request comes behind it.

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

} // namespace kestsim::cli
