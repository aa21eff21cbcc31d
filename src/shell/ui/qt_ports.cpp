#include "shell/ui/qt_ports.h"

#include <thread>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

namespace burnmark {

namespace {

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Error: return QMessageBox::Critical;
        case MsgIcon::Warning: return QMessageBox::Warning;
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok: return QMessageBox::Ok;
        case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgAnswer FromQt(int result, MsgButtons buttons) {
    switch (result) {
        case QMessageBox::Ok: return MsgAnswer::Ok;
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        default: break;
    }
    // Closed without a button (Escape): the answer that changes nothing.
    switch (buttons) {
        case MsgButtons::Ok: return MsgAnswer::Ok;
        case MsgButtons::YesNo: return MsgAnswer::No;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel: return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

}  // namespace

QWidget* QtMessages::BoxOwner() const {
    // A modal window in front (the option pages stay on top) owns the box, so
    // that the box comes up over it and not behind it.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return owner_;
}

void QtMessages::ShowMessage(const std::string& text) {
    // The plain message dialog has no title of its own.
    QMessageBox box(QMessageBox::NoIcon, QString(), QString::fromStdString(text), QMessageBox::Ok,
                    BoxOwner());
    box.exec();
}

MsgAnswer QtMessages::MessageBox(const std::string& text, const std::string& title,
                                 MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(ToQt(icon), QString::fromStdString(title), QString::fromStdString(text),
                    ToQt(buttons), BoxOwner());
    if (buttons == MsgButtons::YesNo) box.setEscapeButton(QMessageBox::No);
    return FromQt(box.exec(), buttons);
}

bool QtSounds::ErrorSound() {
    QApplication::beep();
    return true;
}

bool QtSounds::DefaultBeep() {
    QApplication::beep();
    return true;
}

void QtSounds::Pause(int milliseconds) {
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void QtPump::ProcessEvents() { QCoreApplication::processEvents(); }

void QtPump::YieldSlice() { std::this_thread::yield(); }

}  // namespace burnmark
