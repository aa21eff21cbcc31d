#include "buffer/ui/progress_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <chrono>
#include <thread>

namespace burnmark {

namespace {
constexpr int kFinishPauseMs = 100;
}

TProgressWindow::TProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      pause_([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }) {
    setWindowTitle("Progress");
    setFixedSize(295, 39);

    progress_ = new QProgressBar(this);
    progress_->setObjectName("Progress");
    progress_->setGeometry(10, 10, 277, 21);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->geometry();
        move(desk.left() + (desk.width() - width()) / 2,
             desk.top() + (desk.height() - height()) / 2);
    }
}

void TProgressWindow::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void TProgressWindow::Show() {
    show();
    raise();
    shown_ = true;
    PaintNow();
}

void TProgressWindow::Close() {
    close();
    shown_ = false;
}

void TProgressWindow::closeEvent(QCloseEvent* event) {
    shown_ = false;
    QDialog::closeEvent(event);
}

void TProgressWindow::ProgressSetPosition(int position) {
    progress_->setValue(position);
    PaintNow();
}

void TProgressWindow::ProgressStep() {
    if (progress_->value() < progress_->maximum()) {
        progress_->setValue(progress_->value() + 1);
        PaintNow();
    }
}

void TProgressWindow::ProgressFinish() {
    progress_->setValue(progress_->maximum());
    PaintNow();
    if (pause_) pause_(kFinishPauseMs);
}

void TProgressWindow::PaintNow() {
    if (isVisible()) progress_->repaint();
}

}  // namespace burnmark
