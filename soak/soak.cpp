// SPDX-License-Identifier: MIT
#include "soak.h"

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <thread>

#include "call.h"
#include "cost_model.h"
#include "fault_rules.h"
#include "kestsim/fault_text.h"
#include "limits.h"
#include "report.h"

namespace soak {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kComPort = 3;
constexpr std::size_t kBaselineRecords = 300;
constexpr int kMaxRecords = 3000;               // re-seeded with 1 to this many
constexpr unsigned long kMaxProblemsShown = 30; // the rest are only counted
constexpr int kReconnectAttempts = 5;

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string describe(const Step &step)
{
    std::string text = std::string(info(step.command).name) + " #" + std::to_string(step.number) + " with " +
                       std::string(faultName(step.fault));
    for (const auto &rule : step.rules)
        text += " [" + kestsim::formatFaultRule(rule) + "]";
    return text;
}

} // namespace

Soak::Soak(const Options &options) : options_(options), rng_(options.seed), model_(kBaselineRecords)
{
    reader_ = &sim_.addReader(kComPort);
    model_.copyTo(*reader_);
    ::setenv("KESTLINK_PORT_DIR", sim_.portDirectory().c_str(), 1);
    ::unsetenv("KESTLINK_TRACE"); // ten thousand trace lines would drown the figures

    for (const auto &c : commands())
        for (const auto &f : allFaults())
            sweep_.emplace_back(c.command, f);
    std::shuffle(sweep_.begin(), sweep_.end(), rng_);
}

Soak::~Soak() { KX_Close(); }

void Soak::problem(std::size_t index, const Step &step, const char *what, int result)
{
    if (++problemsShown_ > kMaxProblemsShown)
        return;
    // What the call before left on the line may matter too.
    std::cerr << "call " << index << ": " << describe(step) << ": " << what << " (returned " << result
              << "); the call before: " << previous_ << "\n";
}

void Soak::checkTime(const Step &step, Clock::duration took, std::size_t index)
{
    const auto &c = info(step.command);
    const double excess = millis(took) - static_cast<double>((c.wait + kReadTimeout).count());
    if (excess > tally_.worstExcessMs) {
        tally_.worstExcessMs = excess;
        tally_.worstCall = std::string(c.name) + " with " + std::string(faultName(step.fault));
    }
    if (took > callLimit(c.wait)) {
        ++tally_.overLong;
        problem(index, step, "took longer than its wait + read time-out + margin", -1);
    }
}

bool Soak::timedConnect(std::size_t index)
{
    const auto start = Clock::now();
    const bool ok = KX_Connect() == 1;
    const auto took = Clock::now() - start;
    reader_->clearRequests();
    if (took > callLimit(200ms)) {
        ++tally_.overLong;
        std::cerr << "call " << index << ": KX_Connect took " << millis(took) << " ms\n";
    }
    return ok;
}

bool Soak::recover(std::size_t index)
{
    ++tally_.hangUps;
    // The line dropped under the call: the library closed it and says so.
    if (KX_GetLinkState() != KX_LINK_LOST) {
        ++tally_.lossesUnsaid;
        std::cerr << "call " << index << ": KX_GetLinkState gave " << KX_GetLinkState() << " after a hang-up\n";
    }
    std::this_thread::sleep_for(kHangUpPause);
    if (timedConnect(index)) {
        ++tally_.recoveries;
        return true;
    }
    for (int attempt = 0; attempt < kReconnectAttempts; ++attempt) {
        ++tally_.failedReconnects;
        std::cerr << "call " << index << ": KX_Connect gave 0 after a hang-up\n";
        std::this_thread::sleep_for(200ms);
        if (timedConnect(index))
            return true;
    }
    return false;
}

void Soak::oneCall(std::size_t index, const Step &step)
{
    reader_->clearFaults();
    for (const auto &rule : step.rules)
        reader_->addFault(rule);
    reader_->clearRequests();

    const Expectation expected = model_.expect(step);
    const Outcome o = perform(step, expected);

    const auto requests = reader_->requestCount();
    reader_->clearFaults();
    ++tally_.calls[indexOf(step.command)][indexOf(step.fault)];
    if (o.result == 1)
        ++tally_.successes;

    if (o.result != (expected.verdict ? 1 : 0)) {
        ++tally_.wrongVerdicts;
        problem(index, step, expected.verdict ? "expected success" : "expected failure", o.result);
    }
    if (!o.outputMatches) {
        ++tally_.wrongData;
        problem(index, step, "output differs from the reader's data", o.result);
    }
    if (!o.untouchedOnFailure) {
        ++tally_.buffersTouched;
        problem(index, step, "failed but wrote to the caller's buffer", o.result);
    }
    if (!o.guardsIntact) {
        ++tally_.outOfBounds;
        problem(index, step, "wrote outside the caller's buffer", o.result);
    }
    if (requests != 1) {
        ++tally_.wireMismatches;
        problem(index, step, ("the reader received " + std::to_string(requests) + " requests").c_str(), o.result);
    }
    checkTime(step, o.took, index);

    model_.apply(step);
    previous_ = describe(step);
    if (step.fault == kestsim::FaultKind::HangUp && !recover(index))
        lost_ = true;
    if (step.command != Command::ReadRecord && !model_.agreesWith(*reader_)) {
        ++tally_.stateMismatches;
        problem(index, step, "the reader's memory is not what the calls made it", o.result);
        model_.copyTo(*reader_); // go on from a known state
    }
    if (model_.recordsEmpty()) {
        model_.setRecords(static_cast<std::size_t>(std::uniform_int_distribution<int>(1, kMaxRecords)(rng_)));
        model_.copyTo(*reader_);
        ++tally_.reseeds;
    }
}

Resources Soak::quietPoint()
{
    model_.setRecords(kBaselineRecords);
    model_.clearCompareList();
    model_.copyTo(*reader_);
    reader_->clearFaults();
    reader_->clearRequests();
    return measureResources();
}

void Soak::progress(std::size_t done, Clock::time_point start)
{
    const auto r = measureResources();
    std::cout << "[" << std::setw(6) << done << "/" << options_.calls << "] " << std::fixed << std::setprecision(0)
              << millis(Clock::now() - start) / 1000.0 << " s, wrong verdicts " << tally_.wrongVerdicts
              << ", over-long " << tally_.overLong << ", hang-ups " << tally_.hangUps << ", fds " << r.openFds
              << ", heap " << r.heapInUse << std::endl;
}

int Soak::run()
{
    const std::size_t swept = std::min(options_.calls, sweep_.size());
    std::cout << "kestlink soak: " << options_.calls << " calls, seed " << options_.seed << '\n'
              << "virtual reader on " << sim_.portPath(kComPort).string() << '\n'
              << "estimated run time: " << std::fixed << std::setprecision(0)
              << estimateSeconds(options_.calls, sweep_.size()) << " s\n"
              << "first " << swept << " calls: every command with every fault once, in random order; then "
              << "random commands and faults\n"
              << "per-call limit: fixed wait + " << kReadTimeout.count() << " ms read time-out + "
              << kCallMargin.count() << " ms margin\n"
              << std::endl;

    const auto start = Clock::now();
    if (KX_Connect() != 1) {
        std::cerr << "kestlink_soak: the library did not connect to the virtual reader\n";
        return 1;
    }
    reader_->clearRequests();

    Resources before{};
    const std::size_t every = std::max<std::size_t>(1, options_.calls / 10);
    for (std::size_t i = 0; i < options_.calls && !lost_; ++i) {
        Step step;
        if (i < swept) {
            step = model_.makeStep(sweep_[i].first, sweep_[i].second, rng_);
            ++tally_.sweepCalls;
        } else {
            const Command command = pickCommand(rng_);
            step = model_.makeStep(command, pickFault(command, rng_), rng_);
        }
        step.rules = faultRules(step.fault, info(step.command), rng_);
        oneCall(i, step);
        if (i + 1 == swept) {
            // The first progress line allocates what printing keeps for good:
            // before the baseline, not counted as growth.
            progress(i + 1, start);
            before = quietPoint();
        } else if ((i + 1) % every == 0) {
            progress(i + 1, start);
        }
    }
    if (lost_)
        std::cerr << "kestlink_soak: the reader was not reached again after a hang-up; stopped\n";
    const Resources after = quietPoint();
    const double seconds = millis(Clock::now() - start) / 1000.0;

    const bool clean = printReport(std::cout, tally_, before, after, seconds);
    std::cout << "seed " << options_.seed << std::endl;
    return clean && !lost_ ? 0 : 1;
}

} // namespace soak
