// SPDX-License-Identifier: MIT
// kestsim: serves virtual readers on pseudo-terminals until told to stop.
#include <pthread.h>
#include <signal.h>

#include <cstring>
#include <exception>
#include <iostream>
#include <memory>

#include "cli_options.h"
#include "kestsim/csv_records.h"
#include "kestsim/fault_text.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"

namespace {

using namespace kestsim;

std::vector<Record> loadRecords(const cli::CliOptions &options)
{
    if (options.csvFile)
        return loadCsvRecords(*options.csvFile);
    return sampleRecords(options.recordCount);
}

int serve(const cli::CliOptions &options, const sigset_t &stopSignals)
{
    const auto records = loadRecords(options);
    auto simulator =
        options.directory ? std::make_unique<Simulator>(*options.directory) : std::make_unique<Simulator>();
    for (int port : options.ports) {
        auto &reader = simulator->addReader(port, {records, options.baud, options.log ? &std::cerr : nullptr});
        for (const auto &rule : options.faults)
            reader.addFault(rule);
    }

    std::cout << "KESTLINK_PORT_DIR=" << simulator->portDirectory() << std::endl;
    for (int port : options.ports) {
        std::cerr << "kestsim: COM" << port << " -> " << simulator->terminalPath(port) << " (" << records.size()
                  << " records, " << (options.baud ? std::to_string(options.baud) + " baud" : "unpaced") << ")\n";
    }
    for (const auto &rule : options.faults) {
        std::cerr << "kestsim: fault " << formatFaultRule(rule) << '\n';
    }
    std::cerr << "kestsim: serving until SIGINT or SIGTERM" << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::cerr << "kestsim: " << strsignal(signal) << ", stopping" << std::endl;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    cli::CliOptions options;
    try {
        options = cli::parseCommandLine(argc, argv);
    } catch (const cli::UsageError &error) {
        std::cerr << "kestsim: " << error.what() << "\nTry 'kestsim --help'.\n";
        return 2;
    }
    if (options.help) {
        cli::printUsage(std::cout);
        return 0;
    }

    // Blocked before any port thread starts, so that only sigwait sees them
    // and the destructors get to run.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        return serve(options, stopSignals);
    } catch (const std::exception &error) {
        std::cerr << "kestsim: " << error.what() << '\n';
        return 1;
    }
}
