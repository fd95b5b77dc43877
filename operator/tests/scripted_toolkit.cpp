#include "scripted_toolkit.h"

namespace kestrix {

void ScriptedToolkit::message(QWidget *, const QString &text, MessageIcon icon)
{
    messages.push_back({text, icon});
    events.push_back("message: " + text.toStdString());
}

bool ScriptedToolkit::askYesNo(QWidget *, const QString &text)
{
    questions.push_back(text);
    events.push_back("question: " + text.toStdString());
    if (answers.empty())
        return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

std::optional<QString> ScriptedToolkit::saveFileName(QWidget *, const FileDialogOptions &options)
{
    fileDialogs.push_back(options);
    events.push_back("save dialog");
    return takeFileChoice();
}

std::optional<QString> ScriptedToolkit::openFileName(QWidget *, const FileDialogOptions &options)
{
    fileDialogs.push_back(options);
    events.push_back("open dialog");
    return takeFileChoice();
}

void ScriptedToolkit::beep(int frequencyHz, int durationMs)
{
    beeps.emplace_back(frequencyHz, durationMs);
    events.push_back("beep");
}

void ScriptedToolkit::sleepMs(int ms)
{
    sleeps.push_back(ms);
    events.push_back("sleep " + std::to_string(ms));
}

std::optional<QString> ScriptedToolkit::takeFileChoice()
{
    if (fileChoices.empty())
        return std::nullopt;
    const QString choice = fileChoices.front();
    fileChoices.pop_front();
    if (choice.isEmpty())
        return std::nullopt;
    return choice;
}

std::vector<QString> ScriptedToolkit::texts() const
{
    std::vector<QString> result;
    for (const auto &m : messages)
        result.push_back(m.text);
    return result;
}

void ScriptedToolkit::forget()
{
    messages.clear();
    questions.clear();
    fileDialogs.clear();
    beeps.clear();
    sleeps.clear();
    events.clear();
}

} // namespace kestrix
