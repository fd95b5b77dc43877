// SPDX-License-Identifier: MIT
// What only the library of this process can be asked: a port held through
// Linux's locks, several threads at once, and the trace on standard error.
// Wine does not enforce the exclusive open of a COM port, so the held port is
// a Linux case.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <future>
#include <thread>

#include "reader_fixture.h"

using namespace std::chrono_literals;

TEST_F(ReaderTest, PortHeldByAnotherProgramIsSkipped)
{
    auto &held = addReader(3);
    auto &reader = addReader(4);
    const int holder = ::open(sim.terminalPath(3).c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(KX_Connect(), 1);
    reader.clearRequests();
    std::uint16_t count = 0;
    EXPECT_EQ(KX_QueryNumber(&count), 1);
    EXPECT_EQ(codesOf(reader), std::vector<std::uint8_t>{0x04});
    EXPECT_EQ(held.requestCount(), 0u);
    ::close(holder);
}

TEST_F(ReaderTest, CallsFromSeveralThreadsNeverInterleave)
{
    auto &reader = connected(100);
    const auto records = reader.records();
    std::atomic<int> failures{0};
    auto worker = [&](int offset) {
        for (int i = 0; i < 15; ++i) {
            TagRecord record;
            const auto n = static_cast<std::uint16_t>((offset + i * 3) % 100);
            if (KX_ReadData(n, &record) != 1 || std::memcmp(&record, records[n].data(), 31) != 0)
                ++failures;
        }
    };
    std::thread a(worker, 0), b(worker, 1), c(worker, 2);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(failures.load(), 0);
    for (const auto &frame : reader.requests())
        EXPECT_TRUE(frame.wellFormed) << kestsim::hexBytes(frame.bytes);
}

namespace {
// Standard error turned into a pipe that nobody reads, filled to the brim,
// for as long as it lives.
class StuckStandardError {
public:
    StuckStandardError()
    {
        saved_ = ::dup(STDERR_FILENO);
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        readEnd_ = fds[0];
        ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
        const char block[4096] = {};
        while (::write(fds[1], block, sizeof block) > 0) {
        }
        ::fcntl(fds[1], F_SETFL, 0); // writes block from now on
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[1]);
    }
    // Reads what waits, so that blocked writers can go on.
    void drain()
    {
        ::fcntl(readEnd_, F_SETFL, O_NONBLOCK);
        char block[4096];
        while (::read(readEnd_, block, sizeof block) > 0) {
        }
    }
    ~StuckStandardError()
    {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        drain();
        ::close(readEnd_);
    }

private:
    int saved_ = -1;
    int readEnd_ = -1;
};
} // namespace

TEST_F(ReaderTest, ATraceNobodyReadsHoldsUpOnlyTheCallThatWritesIt)
{
    auto &reader = connected(10);
    ::setenv("KESTLINK_TRACE", "1", 1);
    auto stuck = std::make_unique<StuckStandardError>();

    // The first call blocks writing its trace line...
    auto first = std::async(std::launch::async, [] {
        std::uint16_t count = 0;
        return KX_QueryNumber(&count);
    });
    while (reader.requestCount() < 1)
        std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(300ms); // past its wait: now it is writing
    // ...and the second one still gets onto the wire.
    auto second = std::async(std::launch::async, [] {
        TagRecord record;
        return KX_ReadData(2, &record);
    });
    const auto start = std::chrono::steady_clock::now();
    while (reader.requestCount() < 2 && msSince(start) < 10'000)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(reader.requestCount(), 2u) << "the second call waited for the first one's trace line";
    EXPECT_EQ(first.wait_for(0s), std::future_status::timeout) << "the first call was not held up at all";

    // Room for both lines: both calls end, and only then does the pipe go.
    stuck->drain();
    EXPECT_EQ(first.get(), 1);
    EXPECT_EQ(second.get(), 1);
    stuck.reset();
    ::unsetenv("KESTLINK_TRACE");
}
