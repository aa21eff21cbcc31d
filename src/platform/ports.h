// The interfaces the core calls to reach the operator. The windows implement
// them (Qt), the tests implement them with recording fakes (tests/support).
#pragma once

#include <string>

namespace burnmark {

enum class MsgIcon { None, Error, Warning, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class Messages {
public:
    virtual ~Messages() = default;
    // The plain message dialog: no title of its own, one OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A message box with a title, an icon and a set of buttons; returns the answer.
    virtual MsgAnswer MessageBox(const std::string& text, const std::string& title,
                                 MsgButtons buttons, MsgIcon icon) = 0;
};

class Sounds {
public:
    virtual ~Sounds() = default;
    // The system's error-icon sound. False when the system could not play it.
    virtual bool ErrorSound() = 0;
    // One default system beep. False when the system could not play it.
    virtual bool DefaultBeep() = 0;
    // Blocks the window thread for the given time.
    virtual void Pause(int milliseconds) = 0;
};

class Pump {
public:
    virtual ~Pump() = default;
    // Handles the window events that are waiting, then returns.
    virtual void ProcessEvents() = 0;
    // A zero-length sleep: gives up the rest of the time slice.
    virtual void YieldSlice() = 0;
};

// The single "Progress" window: a bar from 0 to 100.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void Show() = 0;
    virtual void Close() = 0;
    virtual bool Shown() const = 0;
    virtual void ProgressSetPosition(int position) = 0;
    // Advances the bar by one, never beyond its maximum.
    virtual void ProgressStep() = 0;
    // Sets the bar to its maximum, then pauses (100 ms in the program, none in tests).
    virtual void ProgressFinish() = 0;
};

// The common failure ending of an operation (Pass and Wait hidden so that Fail
// shows, progress bars, failure sound). Owned by the operation frame; the
// programmer link calls it through this port.
class OperationFailDisplay {
public:
    virtual ~OperationFailDisplay() = default;
    virtual void ShowOperationFail() = 0;
    // The failure of the operation under way has already been sounded (a
    // refusal that sounds whatever "sound_setup" holds): its failure display
    // gives no second sound.
    virtual void FailureSounded() {}
};

}  // namespace burnmark
