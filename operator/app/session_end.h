// SPDX-License-Identifier: MIT
// The end of the desktop session: when the session manager ends the program,
// or it is sent SIGTERM, SIGHUP or SIGINT (as logging out does), the event
// loops end at once, whatever dialog or message box is up; the dialog then
// goes, and with it the operator's steps, which let the reader's transaction
// in hand finish and stop a download there. The program exits cleanly rather
// than being killed mid-transaction.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace kestrix {

class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(QObject *parent = nullptr);
    ~SessionEnd() override;

private:
    void end();

    QSocketNotifier *notifier_ = nullptr;
};

} // namespace kestrix
