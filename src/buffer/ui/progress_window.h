// The single "Progress" window: a bar from 0 to 100 that long loops show,
// step about a hundred times and fill at the end.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "platform/ports.h"

class QProgressBar;

namespace burnmark {

class TProgressWindow : public QDialog, public Progress {
    Q_OBJECT

public:
    // Called with the pause after the bar is filled (100 ms in the program).
    using PauseFunction = std::function<void(int milliseconds)>;

    explicit TProgressWindow(QWidget* parent = nullptr);

    // Tests put a recorder here so that they do not sleep.
    void SetPauseFunction(PauseFunction pause) { pause_ = std::move(pause); }
    QProgressBar* Bar() const { return progress_; }

    void SetCaption(const std::string& caption) override;
    void Show() override;
    void Close() override;
    bool Shown() const override { return shown_; }
    void ProgressSetPosition(int position) override;
    void ProgressStep() override;
    void ProgressFinish() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The loops run on the window thread without pumping: paint the bar now.
    void PaintNow();

    QProgressBar* progress_ = nullptr;
    PauseFunction pause_;
    bool shown_ = false;
};

}  // namespace burnmark
