// SPDX-License-Identifier: MIT
#include "qt_toolkit.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QStringList>
#include <QThread>

#include "tone.h"

namespace kestrix {

namespace {

const QString kCaption = QStringLiteral("Kestrix");

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QStringList qtFilters(const FileDialogOptions &options)
{
    QStringList filters;
    for (const auto &f : options.filters)
        filters << QString::fromStdString(f);
    return filters;
}

std::optional<std::string> run(QFileDialog &dialog, const FileDialogOptions &options)
{
    dialog.setNameFilters(qtFilters(options));
    dialog.setDefaultSuffix(QString::fromStdString(options.defaultSuffix));
    if (!options.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // The name as the system spells it, for the file functions.
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

} // namespace

void QtToolkit::message(const std::string &text, MessageIcon icon)
{
    QMessageBox box(boxIcon(icon), kCaption, QString::fromStdString(text), QMessageBox::Ok, owner_);
    box.exec();
}

bool QtToolkit::askYesNo(const std::string &text)
{
    QMessageBox box(QMessageBox::Question, kCaption, QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                    owner_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtToolkit::saveFileName(const FileDialogOptions &options)
{
    QFileDialog dialog(owner_, kCaption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    return run(dialog, options);
}

std::optional<std::string> QtToolkit::openFileName(const FileDialogOptions &options)
{
    QFileDialog dialog(owner_, kCaption);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog, options);
}

void QtToolkit::beep(int frequencyHz, int durationMs)
{
    if (!playTone(frequencyHz, durationMs))
        QApplication::beep(); // no sound device: the desktop's bell
}

void QtToolkit::sleepMs(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

LocalTime QtToolkit::localTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date().year(), now.date().month(),  now.date().day(),
            now.time().hour(), now.time().minute(), now.time().second()};
}

void QtToolkit::post(std::function<void()> task)
{
    QObject *context = owner_ ? static_cast<QObject *>(owner_.data()) : QCoreApplication::instance();
    QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
}

} // namespace kestrix
