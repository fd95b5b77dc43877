// SPDX-License-Identifier: MIT
#include "session_end.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrix {

namespace {

// Written to by the signal handler, read by the event loop: a handler may do
// nothing but write a byte.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    (void)!::write(signalPipe[1], &byte, 1);
}

} // namespace

SessionEnd::SessionEnd(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
        notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            char byte;
            (void)!::read(signalPipe[0], &byte, 1);
            end();
        });
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int s : {SIGTERM, SIGHUP, SIGINT})
            ::sigaction(s, &action, nullptr);
    }
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { end(); });
}

SessionEnd::~SessionEnd()
{
    for (int s : {SIGTERM, SIGHUP, SIGINT})
        ::signal(s, SIG_DFL);
}

// exit, not quit: quit would first ask the windows to close, and the dialog
// refuses while a download runs.
void SessionEnd::end() { QCoreApplication::exit(0); }

} // namespace kestrix
