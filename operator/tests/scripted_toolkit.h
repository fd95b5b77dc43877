// A toolkit for tests: records every message, question, file dialog, beep and
// wait in order, and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "toolkit.h"

namespace kestrix {

class ScriptedToolkit : public Toolkit {
public:
    struct Message {
        QString text;
        MessageIcon icon;
    };

    void message(QWidget *owner, const QString &text, MessageIcon icon) override;
    bool askYesNo(QWidget *owner, const QString &text) override;
    std::optional<QString> saveFileName(QWidget *owner, const FileDialogOptions &options) override;
    std::optional<QString> openFileName(QWidget *owner, const FileDialogOptions &options) override;
    void beep(int frequencyHz, int durationMs) override;
    void sleepMs(int ms) override;
    QDateTime localTime() override { return now; }

    // Answers, taken in order; a question without one is answered No and a
    // file dialog without one, or with an empty name, is cancelled.
    std::deque<bool> answers;
    std::deque<QString> fileChoices;
    QDateTime now = QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58));

    std::vector<Message> messages;
    std::vector<QString> questions;
    std::vector<FileDialogOptions> fileDialogs;
    std::vector<std::pair<int, int>> beeps;
    std::vector<int> sleeps;
    std::vector<std::string> events; // "message: ...", "question: ...", "beep", "sleep 50", "file dialog"

    // The texts of the messages shown, in order.
    std::vector<QString> texts() const;
    std::optional<QString> takeFileChoice();
    void forget();
};

} // namespace kestrix
