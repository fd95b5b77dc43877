// The toolkit of a real desktop session.
#pragma once

#include "toolkit.h"

namespace kestrix {

class QtToolkit : public Toolkit {
public:
    void message(QWidget *owner, const QString &text, MessageIcon icon) override;
    bool askYesNo(QWidget *owner, const QString &text) override;
    std::optional<QString> saveFileName(QWidget *owner, const FileDialogOptions &options) override;
    std::optional<QString> openFileName(QWidget *owner, const FileDialogOptions &options) override;
    void beep(int frequencyHz, int durationMs) override;
    void sleepMs(int ms) override;
    QDateTime localTime() override;
};

} // namespace kestrix
