// SPDX-License-Identifier: MIT
// Files for the tests: a folder of their own that goes away afterwards,
// whole-file reads and writes, names that are no regular file, and a file
// system that fills up.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kestrix::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);
bool exists(const std::string &path);

// A named pipe, and a name that is a Unix socket (nobody listening).
void makeFifo(const std::string &path);
void makeSocketName(const std::string &path);

// The names the CSV save and the comparison load both refuse, being no
// regular file, each with what the operator is told it is: a folder, a pipe
// nobody has open, devices, a socket. Made in dir; the pipe is `fifo`.
struct RefusedPath {
    std::string path;
    const char *what;
};
struct RefusedPaths {
    std::string fifo;
    std::vector<RefusedPath> cases;
};
RefusedPaths makeRefusedPaths(const TempDir &dir);

// Runs call on a thread of its own and waits up to 10 s for it. A call still
// running then is taken to be stuck on the named pipe fifo: release() is
// called (to let go of what the test itself holds of the pipe), then the
// pipe is opened and closed from both ends until the call returns, so that a
// hang fails the test instead of hanging it. False when it had to be freed.
bool returnsWithin10s(const std::function<void()> &call, const std::string &fifo,
                      const std::function<void()> &release = {});

// Runs body in a child process in which a file system with room for `bytes`
// is mounted on the folder mountPoint: a tmpfs in user and mount namespaces
// of the child's own, so that neither root nor a real disk is needed, and
// nothing outside the child sees it. The result is body's (0 for success),
// 1 when it threw or died, or kNoSmallFileSystem when the system offers no
// such namespaces. Files body writes outside mountPoint stay for the caller.
constexpr int kNoSmallFileSystem = 77;
int inSmallFileSystem(const std::string &mountPoint, std::size_t bytes, const std::function<int()> &body);

} // namespace kestrix::test
