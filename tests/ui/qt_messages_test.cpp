// The message port on Qt: a box comes up over the modal window in front (the
// option pages stay on top of the main window), else over its owner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "shell/ui/qt_ports.h"

namespace burnmark {
namespace {

// Closes the next message box once it is up and says who owns it.
QWidget* OwnerOfNextBox(std::function<void()> show) {
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [&] {
        // Every box that is up is closed, so that a wrong owner cannot hang the test.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                owner = box->parentWidget();
                box->accept();
            }
    });
    show();
    return owner;
}

TEST(QtMessagesTest, BoxesComeUpOverTheModalWindowInFront) {
    QWidget mainWindow;
    QtMessages messages(&mainWindow);
    EXPECT_EQ(OwnerOfNextBox([&] { messages.ShowMessage("plain"); }), &mainWindow);

    QDialog front(&mainWindow, Qt::Dialog | Qt::WindowStaysOnTopHint);
    QWidget* plainOwner = nullptr;
    QWidget* boxOwner = nullptr;
    QTimer::singleShot(0, [&] {
        plainOwner = OwnerOfNextBox([&] { messages.ShowMessage("plain"); });
        boxOwner = OwnerOfNextBox(
            [&] { messages.MessageBox("text", "title", MsgButtons::Ok, MsgIcon::Error); });
        front.reject();
    });
    front.exec();
    EXPECT_EQ(plainOwner, &front);
    EXPECT_EQ(boxOwner, &front);
}

}  // namespace
}  // namespace burnmark
