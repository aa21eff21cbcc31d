// Recording fakes of the ports, for tests that assert on exact texts and
// sequences.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace burnmark::testing {

class FakeMessages : public Messages {
public:
    struct Shown {
        std::string text;
        std::string title;  // empty for the plain message dialog
        MsgButtons buttons = MsgButtons::Ok;
        MsgIcon icon = MsgIcon::None;
        bool plain = true;
    };

    void ShowMessage(const std::string& text) override;
    MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override;

    // Answers given to MessageBox in turn; when empty, Yes/Ok.
    std::deque<MsgAnswer> answers;
    std::vector<Shown> shown;

    std::vector<std::string> Texts() const;
    void Clear() { shown.clear(); }
};

class FakeSounds : public Sounds {
public:
    bool ErrorSound() override;
    bool DefaultBeep() override;
    void Pause(int milliseconds) override;

    // "error", "beep", "pause 50", ... in call order.
    std::vector<std::string> calls;
    bool failErrorSound = false;
    bool failBeep = false;
};

class FakePump : public Pump {
public:
    void ProcessEvents() override { ++processed; if (onProcess) onProcess(); }
    void YieldSlice() override { ++yields; }
    int processed = 0;
    int yields = 0;
    // Runs inside ProcessEvents, so a test can act "while the window pumps".
    std::function<void()> onProcess;
};

class FakeProgress : public Progress {
public:
    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void Show() override { shown = true; ++shows; }
    void Close() override { shown = false; ++closes; }
    bool Shown() const override { return shown; }
    void ProgressSetPosition(int p) override { position = p; }
    void ProgressStep() override { if (position < 100) ++position; ++steps; }
    void ProgressFinish() override { position = 100; ++finishes; }

    std::vector<std::string> captions;
    bool shown = false;
    int shows = 0, closes = 0, steps = 0, finishes = 0, position = 0;
};

class FakeFailDisplay : public OperationFailDisplay {
public:
    void ShowOperationFail() override { ++count; }
    int count = 0;
};

}  // namespace burnmark::testing
