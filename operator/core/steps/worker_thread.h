// SPDX-License-Identifier: MIT
// The one thread the reader is talked to on, so that the user-interface
// thread never waits for it. Jobs run one after another, in the order given.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kestrix {

class WorkerThread {
public:
    WorkerThread();
    // Lets the job in hand finish, drops those not begun, and joins.
    ~WorkerThread();
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    void run(std::function<void()> job);

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace kestrix
