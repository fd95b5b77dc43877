// SPDX-License-Identifier: MIT
// The toolkit of a real desktop session, on Qt: message boxes and file
// dialogs over the dialog that owns them, the beep on the sound card, and
// tasks posted back to the user-interface thread through Qt's event loop.
#pragma once

#include <QPointer>
#include <QWidget>

#include "toolkit.h"

namespace kestrix {

class QtToolkit : public Toolkit {
public:
    // The owner carries the boxes and dialogs; tasks posted for it are
    // dropped once it is gone.
    void setOwner(QWidget *owner) { owner_ = owner; }

    void message(const std::string &text, MessageIcon icon) override;
    bool askYesNo(const std::string &text) override;
    std::optional<std::string> saveFileName(const FileDialogOptions &options) override;
    std::optional<std::string> openFileName(const FileDialogOptions &options) override;
    void beep(int frequencyHz, int durationMs) override;
    void sleepMs(int ms) override;
    LocalTime localTime() override;
    void post(std::function<void()> task) override;

private:
    QPointer<QWidget> owner_;
};

} // namespace kestrix
