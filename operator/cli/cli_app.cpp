// SPDX-License-Identifier: MIT
#include "cli_app.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <functional>

#include "cli_commands.h"
#include "exit_status.h"

namespace kestlink_cli {

namespace {

// Every level takes the common options, before or after its name.
void addCommonOptions(CLI::App &app, CommonOptions &common)
{
    app.add_option("--port", common.port,
                   "talk to this port only, without the search: a COMn name, a USB adapter's by-id "
                   "name or a device path")
        ->type_name("NAME");
    app.add_flag("-q,--quiet", common.quiet, "no progress bar and no notes on standard error");
}

CLI::App *subcommand(CLI::App &parent, const char *name, const char *description, CommonOptions &common)
{
    CLI::App *sub = parent.add_subcommand(name, description);
    addCommonOptions(*sub, common);
    return sub;
}

} // namespace

int runCommandLine(int argc, char **argv)
{
    CLI::App app{"kestlink: the handheld RFID tag reader on the command line", "kestlink"};
    app.set_version_flag("--version", KESTRIX_VERSION);
    app.require_subcommand(1);
    app.footer("Exit status: 0 success, 1 the reader failed or is not found, 2 wrong usage, "
               "3 a file could not be read or written, 130 stopped by Ctrl-C.");
    CommonOptions common;
    addCommonOptions(app, common);
    std::function<int()> action;

    subcommand(app, "count", "the reader's record count", common)->callback([&] {
        action = [&] { return runCount(common); };
    });

    ReadOptions read;
    CLI::App *readCommand = subcommand(app, "read", "the reader's records, all or a range, one a line", common);
    readCommand->add_option("--first", read.first, "the first record of a range (1-based; default 1)")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    readCommand->add_option("--last", read.last, "the last record of a range (default the reader's count)")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    readCommand->add_option("--csv", read.csv, "append the records to FILE as Kestrix saves them (GBK)")
        ->type_name("FILE");
    readCommand->add_flag("--json", read.json, "one JSON object a line");
    readCommand->add_flag("--dedup", read.dedup, "keep the last record of each card number, renumbered");
    readCommand->callback([&] { action = [&] { return runRead(common, read); }; });

    std::optional<std::string> time;
    CLI::App *clock = subcommand(app, "set-clock", "set the reader's clock (default: this PC's local time)", common);
    clock->add_option("--time", time, "this time instead of the local time")->type_name("\"YYYY-MM-DD HH:MM:SS\"");
    clock->callback([&] { action = [&] { return runSetClock(common, time); }; });

    bool yes = false;
    CLI::App *erase = subcommand(app, "erase", "erase the reader's records, after asking", common);
    erase->add_flag("-y,--yes", yes, "do not ask (needed when standard input is not a terminal)");
    erase->callback([&] { action = [&] { return runErase(common, yes); }; });

    CLI::App *compare = subcommand(app, "compare", "the reader's comparison list", common);
    compare->require_subcommand(1);
    std::string compareFile;
    CLI::App *load =
        subcommand(*compare, "load", "load card numbers from a CSV file and give them to the reader", common);
    load->add_option("FILE", compareFile, "a CSV file as Kestrix saves them")->required();
    load->callback([&] { action = [&] { return runCompareLoad(common, compareFile); }; });
    CLI::App *compareErase = subcommand(*compare, "erase", "erase the reader's comparison list, after asking", common);
    compareErase->add_flag("-y,--yes", yes, "do not ask (needed when standard input is not a terminal)");
    compareErase->callback([&] { action = [&] { return runCompareErase(common, yes); }; });

    std::string hex;
    const struct {
        const char *name;
        const char *description;
        const char *setHelp;
        Block block;
    } blocks[] = {
        {"domain", "the reader's 20-byte domain block", "20 bytes as 40 hexadecimal digits", Block::Domain},
        {"key", "the reader's 15-byte key", "15 bytes as 30 hexadecimal digits", Block::Key},
    };
    for (const auto &b : blocks) {
        CLI::App *parent = subcommand(app, b.name, b.description, common);
        parent->require_subcommand(1);
        const Block block = b.block;
        subcommand(*parent, "get", "print it in hexadecimal", common)->callback([&, block] {
            action = [&, block] { return runBlockGet(common, block); };
        });
        CLI::App *set = subcommand(*parent, "set", "set it", common);
        set->add_option("HEX", hex, b.setHelp)->required();
        set->callback([&, block] { action = [&, block] { return runBlockSet(common, block, hex); }; });
    }

    subcommand(app, "ports",
               "every port the search tries (COM3 to COM9, then USB adapters): its kind, where it leads, "
               "what it answered",
               common)
        ->callback([&] { action = [&] { return runPorts(common); }; });

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        // A word that names no subcommand would otherwise only be missed
        // as "a subcommand is required".
        if (const auto rest = app.remaining(true); dynamic_cast<const CLI::RequiredError *>(&e) && !rest.empty()) {
            std::fprintf(stderr,
                         "kestlink: no such subcommand or argument: %s\nRun with --help for more information.\n",
                         rest.front().c_str());
            return kWrongUsage;
        }
        const int status = app.exit(e);
        return status == 0 ? kSuccess : kWrongUsage;
    }
    return action ? action() : kWrongUsage;
}

} // namespace kestlink_cli
