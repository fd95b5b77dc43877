// SPDX-License-Identifier: MIT
// The few calls on files that the CSV save and the comparison load make of
// the system, so that their rules are written once over both systems:
// system_file_posix.cpp makes them with open, fstat, write, fsync and
// ftruncate; system_file_win32.cpp with CreateFileW, GetFileType, WriteFile,
// FlushFileBuffers and SetEndOfFile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kestrix {

// Why a system call failed, numbered as the system numbers it: errno on
// POSIX, GetLastError() on Windows. False when nothing failed.
struct SystemError {
    enum class Numbering { None, Errno, Win32 };
    Numbering numbering = Numbering::None;
    unsigned long code = 0;

    static SystemError fromErrno(int err) { return {Numbering::Errno, static_cast<unsigned long>(err)}; }
    static SystemError fromWin32(unsigned long code) { return {Numbering::Win32, code}; }
    explicit operator bool() const { return numbering != Numbering::None; }
};

// What a name turned out to be. Only a regular file is read or written: a
// pipe would block or swallow the bytes, a device takes them and keeps none.
enum class FileKind { Regular, Folder, Pipe, Device, Socket, Other };

// A regular file opened for writing, positioned nowhere yet. A virtual
// interface, so that the faults a real disk seldom shows (a sync or a close
// that fails, a cut back that fails) can be played to the save.
class OutputFile {
public:
    explicit OutputFile(bool created) : created_(created) {}
    virtual ~OutputFile() = default; // closes the file if still open, quietly
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Whether this open made the file: it did not exist before.
    bool created() const { return created_; }

    // The file's length; what is written next goes after it.
    virtual SystemError seekToEnd(std::uint64_t &length) = 0;
    // All of bytes, going on after short writes; written counts the bytes
    // that got out, also when it fails.
    virtual SystemError writeAll(std::string_view bytes, std::size_t &written) = 0;
    virtual SystemError sync() = 0;
    virtual SystemError truncate(std::uint64_t length) = 0;
    // After a failed close the file stays open enough to be cut back,
    // synced and closed again.
    virtual SystemError close() = 0;
    // Takes the file's name away, once closed; for a file this open made.
    virtual SystemError remove() = 0;

private:
    bool created_;
};

// A regular file opened for reading.
class InputFile {
public:
    InputFile() = default;
    virtual ~InputFile() = default; // closes the file
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    virtual SystemError size(std::uint64_t &bytes) = 0;
    // Up to into.size() bytes; got is 0 at the end of the file.
    virtual SystemError read(std::span<std::uint8_t> into, std::size_t &got) = 0;
};

// What opening a name gave: the file, or why not (the system's error, or
// what the name is when it is no regular file; nothing was then read or
// written).
template <typename File> struct FileOpening {
    std::unique_ptr<File> file;
    SystemError error;
    FileKind kind = FileKind::Regular;
};

// Opens the file for writing without truncating it, creating it when
// missing. Waits for nothing: a pipe nobody reads, or a device, is found out
// and closed at once.
FileOpening<OutputFile> openOutputFile(const std::string &name);

// Opens an existing file for reading, waiting for nothing as above.
FileOpening<InputFile> openInputFile(const std::string &name);

} // namespace kestrix
