// The ports of the core on Qt: message boxes, system beeps and the event pump.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/ports.h"

namespace burnmark {

class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget* owner = nullptr) : owner_(owner) {}

    // The window the boxes are modal to (the buffer editor while it is in front).
    void SetOwner(QWidget* owner) { owner_ = owner; }
    QWidget* Owner() const { return owner_; }

    void ShowMessage(const std::string& text) override;
    MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override;

private:
    QWidget* BoxOwner() const;

    QPointer<QWidget> owner_;
};

// There are no sound files: every sound is the desktop's beep.
class QtSounds : public Sounds {
public:
    bool ErrorSound() override;
    bool DefaultBeep() override;
    void Pause(int milliseconds) override;
};

class QtPump : public Pump {
public:
    void ProcessEvents() override;
    void YieldSlice() override;
};

}  // namespace burnmark
