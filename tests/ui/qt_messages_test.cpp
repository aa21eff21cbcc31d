// The message port on Qt: a box comes up over the modal window in front (the
// option pages stay on top of the main window), else over its owner, and
// shows exactly its own title.
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

// Closes the next message box once it is up and says what title it shows.
QString TitleOfNextBox(const std::function<void()>& show) {
    QString title = QStringLiteral("(no box)");
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                title = box->windowTitle();
                box->accept();
            }
    });
    show();
    return title;
}

TEST(QtMessagesTest, EachBoxShowsExactlyItsOwnTitle) {
    const QString appName = QCoreApplication::applicationName();
    NameApplication();
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Burnmark"));
    // No display name of its own, which Qt would append to every title: the
    // display name follows the application's name.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
    QCoreApplication::setApplicationName(appName);

    QWidget mainWindow;
    QtMessages messages(&mainWindow);
    EXPECT_EQ(TitleOfNextBox([&] {
                  messages.MessageBox("Are you sure ?", "Exit:", MsgButtons::YesNo, MsgIcon::None);
              }),
              QStringLiteral("Exit:"));
    // The plain message box has none: a blank one, as a window without a
    // title would show the program's name.
    for (const QString& title :
         {TitleOfNextBox([&] { messages.ShowMessage("plain"); }),
          TitleOfNextBox([&] { messages.MessageBox("text", "", MsgButtons::Ok, MsgIcon::None); })}) {
        EXPECT_FALSE(title.isEmpty());
        EXPECT_TRUE(title.trimmed().isEmpty());
    }
}

}  // namespace
}  // namespace burnmark
