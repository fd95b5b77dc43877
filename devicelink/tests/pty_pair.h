// SPDX-License-Identifier: MIT
// A pseudo-terminal pair for tests: the channel opens the terminal side by a
// link named like a port, the test plays the far end on the master side.
#pragma once

#include <string>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    int master() const { return master_; }
    const std::string &terminalPath() const { return terminal_; }
    void writeMaster(const void *bytes, std::size_t count);
    // Reads what arrived at the master within the time given.
    std::string readMaster(int waitMs);
    void hangUp();

private:
    int master_ = -1;
    int keeper_ = -1; // holds the terminal open so the master never sees a hang-up
    std::string terminal_;
};

// A scratch directory, removed with what it holds.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
