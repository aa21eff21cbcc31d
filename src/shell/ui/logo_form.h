// TLogo: the splash window shown while the program starts. Its picture is
// the stored Temp1.cue of the application directory; its timer closes it
// after [System] "Short" seconds, and the start-up destroys it once the
// other windows exist.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <string>

#include "platform/ports.h"
#include "shell/start_up.h"

namespace burnmark {

class ImageControl;

class TLogo : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 542;
    static constexpr int kHeight = 382;

    // Runs FormCreate: the picture and the timer. The messages outlive it.
    TLogo(std::string appDir, Messages& messages, QWidget* parent = nullptr);

    const SplashSetup& Setup() const { return setup_; }
    QTimer* LogoTimer() const { return logoTimer_; }
    ImageControl* LogoPhoto() const { return logoPhto_; }

    // Each closes the splash.
    void Logo_phtoClick() { close(); }
    void Logo_phtoMouseDown() { close(); }
    void Logo_TimerTimer() { close(); }

private:
    void FormCreate(Messages& messages);

    std::string appDir_;
    SplashSetup setup_;
    ImageControl* logoPhto_ = nullptr;
    QTimer* logoTimer_ = nullptr;
};

}  // namespace burnmark
