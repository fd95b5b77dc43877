#include "qt_toolkit.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
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

QFileDialog::Options dialogOptions(const FileDialogOptions &options)
{
    QFileDialog::Options result;
    if (!options.confirmOverwrite)
        result |= QFileDialog::DontConfirmOverwrite;
    return result;
}

} // namespace

void QtToolkit::message(QWidget *owner, const QString &text, MessageIcon icon)
{
    QMessageBox box(boxIcon(icon), kCaption, text, QMessageBox::Ok, owner);
    box.exec();
}

bool QtToolkit::askYesNo(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::Question, kCaption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtToolkit::saveFileName(QWidget *owner, const FileDialogOptions &options)
{
    QFileDialog dialog(owner, kCaption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(options.filters);
    dialog.setDefaultSuffix(options.defaultSuffix);
    dialog.setOptions(dialogOptions(options));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtToolkit::openFileName(QWidget *owner, const FileDialogOptions &options)
{
    QFileDialog dialog(owner, kCaption);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(options.filters);
    dialog.setOptions(dialogOptions(options));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void QtToolkit::beep(int frequencyHz, int durationMs)
{
    if (!playTone(frequencyHz, durationMs))
        QApplication::beep(); // no sound device: the desktop's bell
}

void QtToolkit::sleepMs(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

QDateTime QtToolkit::localTime() { return QDateTime::currentDateTime(); }

} // namespace kestrix
