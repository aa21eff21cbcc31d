// The ports of the core on Qt: message boxes, the two sounds and the event pump.
#pragma once

#include <QPointer>
#include <memory>
#include <QWidget>

#include "platform/ports.h"

namespace burnmark {

// Names the program for the desktop (the window class task bars and window
// lists go by) and sets no display name: Qt would append that to every
// window's title, and each box and dialog shows exactly its own.
void NameApplication();

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

// The program's own two sounds (a pass chime and a failure buzz) through the
// audio output; the desktop's beep where there is no audio output. Sounds and
// pauses are queued and played one after the other, so that a failure of
// three beeps is heard as three and the window never waits for them.
class QtSounds : public Sounds {
public:
    QtSounds();
    ~QtSounds() override;
    QtSounds(const QtSounds&) = delete;
    QtSounds& operator=(const QtSounds&) = delete;

    // The failure sound.
    bool ErrorSound() override;
    // The pass sound.
    bool DefaultBeep() override;
    // A silence of that length between the sounds before and after it.
    void Pause(int milliseconds) override;

    // True when the sounds go to an audio output, false when they are beeps.
    bool HasAudioOutput() const;
    // Entries waiting or playing.
    int Pending() const;

private:
    struct Player;
    std::unique_ptr<Player> player_;
};

class QtPump : public Pump {
public:
    void ProcessEvents() override;
    void YieldSlice() override;
};

}  // namespace burnmark
