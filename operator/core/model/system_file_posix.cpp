// SPDX-License-Identifier: MIT
// Files through POSIX descriptors.
#include "system_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestrix {
namespace {

SystemError lastError() { return SystemError::fromErrno(errno); }

FileKind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISFIFO(mode))
        return FileKind::Pipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileKind::Device;
    if (S_ISSOCK(mode))
        return FileKind::Socket;
    return FileKind::Other;
}

// A name that would not open may still be something other than a file: a
// pipe nobody reads refuses a non-blocking writer (ENXIO), a socket refuses
// everyone, a folder refuses writers. Saying what it is tells the operator
// more than the error does.
template <typename File> FileOpening<File> refusedOpening(const std::string &name, int err)
{
    FileOpening<File> opening;
    struct stat status {};
    if (::stat(name.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        opening.kind = kindOf(status.st_mode);
    else
        opening.error = SystemError::fromErrno(err);
    return opening;
}

// The descriptor was opened without blocking, so that a pipe or a terminal
// could not hold the open up. Only a regular file is kept, and then it is
// made blocking again for the reads and writes. Closes fd otherwise.
template <typename File> bool keepOnlyRegular(int fd, FileOpening<File> &opening)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        opening.error = lastError();
    } else if (!S_ISREG(status.st_mode)) {
        opening.kind = kindOf(status.st_mode);
    } else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
            return true;
        opening.error = lastError();
    }
    ::close(fd);
    return false;
}

class PosixOutputFile final : public OutputFile {
public:
    PosixOutputFile(int fd, std::string name, bool created) : OutputFile(created), fd_(fd), name_(std::move(name)) {}
    ~PosixOutputFile() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    SystemError seekToEnd(std::uint64_t &length) override
    {
        const off_t end = ::lseek(fd_, 0, SEEK_END);
        if (end < 0)
            return lastError();
        length = static_cast<std::uint64_t>(end);
        return {};
    }

    SystemError writeAll(std::string_view bytes, std::size_t &written) override
    {
        written = 0;
        while (written < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return lastError();
            }
            if (n == 0)
                return SystemError::fromErrno(EIO); // a regular file never takes nothing; do not spin
            written += static_cast<std::size_t>(n);
        }
        return {};
    }

    SystemError sync() override { return ::fsync(fd_) == 0 ? SystemError{} : lastError(); }

    SystemError truncate(std::uint64_t length) override
    {
        int result;
        do
            result = ::ftruncate(fd_, static_cast<off_t>(length));
        while (result != 0 && errno == EINTR);
        return result == 0 ? SystemError{} : lastError();
    }

    SystemError close() override
    {
        if (fd_ < 0)
            return {};
        // close may report what the disk refused (a network file system
        // writes out on close), yet the descriptor is gone then, interrupted
        // or not. A copy kept beforehand still reaches the file, so that it
        // can be cut back.
        const int spare = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
        const int result = ::close(fd_);
        const int err = errno;
        fd_ = -1;
        if (result == 0) {
            if (spare >= 0)
                ::close(spare);
            return {};
        }
        fd_ = spare;
        return SystemError::fromErrno(err);
    }

    SystemError remove() override { return ::unlink(name_.c_str()) == 0 ? SystemError{} : lastError(); }

private:
    int fd_;
    std::string name_;
};

class PosixInputFile final : public InputFile {
public:
    explicit PosixInputFile(int fd) : fd_(fd) {}
    ~PosixInputFile() override { ::close(fd_); } // read-only: nothing to lose when closing fails

    SystemError size(std::uint64_t &bytes) override
    {
        struct stat status {};
        if (::fstat(fd_, &status) != 0)
            return lastError();
        bytes = static_cast<std::uint64_t>(status.st_size);
        return {};
    }

    SystemError read(std::span<std::uint8_t> into, std::size_t &got) override
    {
        for (;;) {
            const ssize_t n = ::read(fd_, into.data(), into.size());
            if (n >= 0) {
                got = static_cast<std::size_t>(n);
                return {};
            }
            if (errno != EINTR)
                return lastError();
        }
    }

private:
    int fd_;
};

// O_NOCTTY: a terminal named by mistake must not become this program's.
constexpr int kOpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

} // namespace

FileOpening<OutputFile> openOutputFile(const std::string &name)
{
    // Opened first without O_CREAT, then created with O_EXCL, so that the
    // save knows whether the file is its own to take away again. A name
    // made by someone else in between, or a link to a missing file (which
    // O_EXCL refuses), is opened as it would have been without either.
    bool created = false;
    int fd = ::open(name.c_str(), O_WRONLY | kOpenFlags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | kOpenFlags, 0666);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST)
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | kOpenFlags, 0666);
    }
    if (fd < 0)
        return refusedOpening<OutputFile>(name, errno);

    FileOpening<OutputFile> opening;
    if (keepOnlyRegular(fd, opening))
        opening.file = std::make_unique<PosixOutputFile>(fd, name, created);
    else if (created)
        ::unlink(name.c_str()); // made just now, and of no use
    return opening;
}

FileOpening<InputFile> openInputFile(const std::string &name)
{
    const int fd = ::open(name.c_str(), O_RDONLY | kOpenFlags);
    if (fd < 0)
        return refusedOpening<InputFile>(name, errno);

    FileOpening<InputFile> opening;
    if (keepOnlyRegular(fd, opening))
        opening.file = std::make_unique<PosixInputFile>(fd);
    return opening;
}

} // namespace kestrix
