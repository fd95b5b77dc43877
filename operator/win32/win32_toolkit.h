// SPDX-License-Identifier: MIT
// The toolkit of a Windows desktop: message boxes and the common file
// dialogs over the dialog that owns them, Beep, Sleep, the local time, and
// tasks posted back to the dialog's thread as window messages.
#pragma once

#include <windows.h>

#include "toolkit.h"

namespace kestrix {

// The message that carries a posted task: its lParam is a heap-allocated
// std::function<void()>, which the dialog runs and deletes.
constexpr UINT kRunTaskMessage = WM_APP + 1;

class Win32Toolkit : public Toolkit {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    HWND owner() const { return owner_; }

    void message(const std::string &text, MessageIcon icon) override;
    bool askYesNo(const std::string &text) override;
    std::optional<std::string> saveFileName(const FileDialogOptions &options) override;
    std::optional<std::string> openFileName(const FileDialogOptions &options) override;
    void beep(int frequencyHz, int durationMs) override;
    void sleepMs(int ms) override;
    LocalTime localTime() override;
    void post(std::function<void()> task) override;

    // Runs the task a kRunTaskMessage carried.
    static void runPosted(LPARAM task);

private:
    std::optional<std::string> fileName(const FileDialogOptions &options, bool save);

    HWND owner_ = nullptr;
};

} // namespace kestrix
