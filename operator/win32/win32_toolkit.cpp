// SPDX-License-Identifier: MIT
#include "win32_toolkit.h"

#include <commdlg.h>

#include <memory>
#include <vector>

#include "win32_text.h"

namespace kestrix {

namespace {

const wchar_t kCaption[] = L"Kestrix";

UINT boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::None: break;
    }
    return 0;
}

// "Microsoft Excel(*.csv)" shows that text and matches "*.csv": the pattern
// is what the parentheses at its end hold.
std::wstring filterList(const std::vector<std::string> &filters)
{
    std::wstring list;
    for (const auto &f : filters) {
        const auto open = f.rfind('(');
        const auto close = f.rfind(')');
        const std::string pattern = open != std::string::npos && close != std::string::npos && close > open
                                        ? f.substr(open + 1, close - open - 1)
                                        : "*.*";
        list += toWide(f);
        list += L'\0';
        list += toWide(pattern);
        list += L'\0';
    }
    list += L'\0';
    return list;
}

} // namespace

void Win32Toolkit::message(const std::string &text, MessageIcon icon)
{
    MessageBoxW(owner_, toWide(text).c_str(), kCaption, MB_OK | boxIcon(icon));
}

bool Win32Toolkit::askYesNo(const std::string &text)
{
    return MessageBoxW(owner_, toWide(text).c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<std::string> Win32Toolkit::fileName(const FileDialogOptions &options, bool save)
{
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring filter = filterList(options.filters);
    const std::wstring suffix = toWide(options.defaultSuffix);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrDefExt = suffix.empty() ? nullptr : suffix.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (options.confirmOverwrite)
        dialog.Flags |= OFN_OVERWRITEPROMPT;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen)
        return std::nullopt;
    return toUtf8(name.data());
}

std::optional<std::string> Win32Toolkit::saveFileName(const FileDialogOptions &options)
{
    return fileName(options, true);
}

std::optional<std::string> Win32Toolkit::openFileName(const FileDialogOptions &options)
{
    return fileName(options, false);
}

void Win32Toolkit::beep(int frequencyHz, int durationMs)
{
    Beep(static_cast<DWORD>(frequencyHz), static_cast<DWORD>(durationMs));
}

void Win32Toolkit::sleepMs(int ms) { Sleep(static_cast<DWORD>(ms)); }

LocalTime Win32Toolkit::localTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void Win32Toolkit::post(std::function<void()> task)
{
    auto held = std::make_unique<std::function<void()>>(std::move(task));
    // A window that is gone takes no message: the task goes with the copy.
    if (PostMessageW(owner_, kRunTaskMessage, 0, reinterpret_cast<LPARAM>(held.get())))
        held.release();
}

void Win32Toolkit::runPosted(LPARAM task)
{
    std::unique_ptr<std::function<void()>> held(reinterpret_cast<std::function<void()> *>(task));
    (*held)();
}

} // namespace kestrix
