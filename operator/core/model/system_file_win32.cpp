// SPDX-License-Identifier: MIT
// Files through Win32 handles. Names are UTF-8 here and reach the system as
// UTF-16 (file_names.h), so that any name the operator picks can be opened.
#if !defined(WIN32_LEAN_AND_MEAN)
#  define WIN32_LEAN_AND_MEAN
#endif
#if !defined(NOMINMAX)
#  define NOMINMAX
#endif
#include <windows.h>

#include "system_file.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "file_names.h"

namespace kestrix {
namespace {

SystemError lastError() { return SystemError::fromWin32(GetLastError()); }

// One ReadFile or WriteFile moves at most a DWORD's worth; a gigabyte keeps
// clear of its edge.
DWORD chunk(std::size_t left) { return static_cast<DWORD>(std::min<std::size_t>(left, std::size_t{1} << 30)); }

// CreateFileW opens no folder without FILE_FLAG_BACKUP_SEMANTICS; it fails
// with "access denied", which would send the operator looking for the wrong
// fault.
bool isFolder(const std::filesystem::path &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Only a file on a disk is kept: NUL, CON or a COM port are character
// devices, a named pipe is a pipe. Closes the handle otherwise.
template <typename File> bool keepOnlyDisk(HANDLE handle, FileOpening<File> &opening)
{
    const DWORD type = GetFileType(handle);
    if (type == FILE_TYPE_DISK)
        return true;
    if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR)
        opening.error = lastError();
    else if (type == FILE_TYPE_CHAR)
        opening.kind = FileKind::Device;
    else if (type == FILE_TYPE_PIPE)
        opening.kind = FileKind::Pipe;
    else
        opening.kind = FileKind::Other;
    CloseHandle(handle);
    return false;
}

class Win32OutputFile final : public OutputFile {
public:
    Win32OutputFile(HANDLE handle, std::filesystem::path path, bool created)
        : OutputFile(created), handle_(handle), path_(std::move(path))
    {
    }
    ~Win32OutputFile() override
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }

    SystemError seekToEnd(std::uint64_t &length) override
    {
        LARGE_INTEGER end{};
        if (!SetFilePointerEx(handle_, LARGE_INTEGER{}, &end, FILE_END))
            return lastError();
        length = static_cast<std::uint64_t>(end.QuadPart);
        return {};
    }

    SystemError writeAll(std::string_view bytes, std::size_t &written) override
    {
        written = 0;
        while (written < bytes.size()) {
            DWORD n = 0;
            if (!WriteFile(handle_, bytes.data() + written, chunk(bytes.size() - written), &n, nullptr)) {
                const SystemError err = lastError();
                written += n;
                return err;
            }
            if (n == 0)
                return SystemError::fromWin32(ERROR_WRITE_FAULT); // a disk file never takes nothing
            written += n;
        }
        return {};
    }

    SystemError sync() override { return FlushFileBuffers(handle_) ? SystemError{} : lastError(); }

    SystemError truncate(std::uint64_t length) override
    {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(length);
        if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_))
            return lastError();
        return {};
    }

    SystemError close() override
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return {};
        // As on POSIX: a copy kept beforehand still reaches the file when
        // closing reports a fault, so that it can be cut back.
        HANDLE spare = INVALID_HANDLE_VALUE;
        if (!DuplicateHandle(GetCurrentProcess(), handle_, GetCurrentProcess(), &spare, 0, FALSE,
                             DUPLICATE_SAME_ACCESS))
            spare = INVALID_HANDLE_VALUE;
        const BOOL closed = CloseHandle(handle_);
        const SystemError err = closed ? SystemError{} : lastError();
        handle_ = INVALID_HANDLE_VALUE;
        if (closed) {
            if (spare != INVALID_HANDLE_VALUE)
                CloseHandle(spare);
            return {};
        }
        handle_ = spare;
        return err;
    }

    SystemError remove() override { return DeleteFileW(path_.c_str()) ? SystemError{} : lastError(); }

private:
    HANDLE handle_;
    std::filesystem::path path_;
};

class Win32InputFile final : public InputFile {
public:
    explicit Win32InputFile(HANDLE handle) : handle_(handle) {}
    ~Win32InputFile() override { CloseHandle(handle_); } // read-only: nothing to lose

    SystemError size(std::uint64_t &bytes) override
    {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_, &size))
            return lastError();
        bytes = static_cast<std::uint64_t>(size.QuadPart);
        return {};
    }

    SystemError read(std::span<std::uint8_t> into, std::size_t &got) override
    {
        DWORD n = 0;
        if (!ReadFile(handle_, into.data(), chunk(into.size()), &n, nullptr))
            return lastError();
        got = n;
        return {};
    }

private:
    HANDLE handle_;
};

} // namespace

FileOpening<OutputFile> openOutputFile(const std::string &name)
{
    FileOpening<OutputFile> opening;
    std::filesystem::path path = pathFromName(name);
    if (isFolder(path)) {
        opening.kind = FileKind::Folder;
        return opening;
    }
    // Others may read the file meanwhile, not write it.
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opening.error = lastError();
        return opening;
    }
    // OPEN_ALWAYS says whether the file was there before only in this.
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (keepOnlyDisk(handle, opening))
        opening.file = std::make_unique<Win32OutputFile>(handle, std::move(path), created);
    else if (created && opening.kind == FileKind::Regular)
        DeleteFileW(path.c_str()); // made just now, and of no use
    return opening;
}

FileOpening<InputFile> openInputFile(const std::string &name)
{
    FileOpening<InputFile> opening;
    const std::filesystem::path path = pathFromName(name);
    if (isFolder(path)) {
        opening.kind = FileKind::Folder;
        return opening;
    }
    // The list may be open in another program, even one writing it.
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opening.error = lastError();
        return opening;
    }
    if (keepOnlyDisk(handle, opening))
        opening.file = std::make_unique<Win32InputFile>(handle);
    return opening;
}

} // namespace kestrix
