// What the handlers need from the desktop: message boxes, questions, file
// pickers, the beep, short waits and the local time. The real one is Qt's;
// tests give a scripted one that records what was shown and answers.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace kestrix {

enum class MessageIcon { None, Information, Warning };

struct FileDialogOptions {
    QStringList filters;      // "Microsoft Excel(*.csv)", "All Files(*.*)"
    QString defaultSuffix;    // appended when the name typed has none
    bool confirmOverwrite = false;
};

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // A message box with the program's name as caption and an OK button.
    virtual void message(QWidget *owner, const QString &text, MessageIcon icon = MessageIcon::None) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(QWidget *owner, const QString &text) = 0;
    virtual std::optional<QString> saveFileName(QWidget *owner, const FileDialogOptions &options) = 0;
    virtual std::optional<QString> openFileName(QWidget *owner, const FileDialogOptions &options) = 0;
    virtual void beep(int frequencyHz, int durationMs) = 0;
    virtual void sleepMs(int ms) = 0;
    virtual QDateTime localTime() = 0;
};

} // namespace kestrix
