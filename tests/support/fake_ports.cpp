#include "support/fake_ports.h"

namespace burnmark::testing {

void FakeMessages::ShowMessage(const std::string& text) {
    shown.push_back({text, "", MsgButtons::Ok, MsgIcon::None, true});
}

MsgAnswer FakeMessages::MessageBox(const std::string& text, const std::string& title,
                                   MsgButtons buttons, MsgIcon icon) {
    shown.push_back({text, title, buttons, icon, false});
    if (!answers.empty()) {
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return (buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel) ? MsgAnswer::Ok
                                                                          : MsgAnswer::Yes;
}

std::vector<std::string> FakeMessages::Texts() const {
    std::vector<std::string> out;
    for (const auto& s : shown) out.push_back(s.text);
    return out;
}

bool FakeSounds::ErrorSound() {
    calls.push_back("error");
    return !failErrorSound;
}

bool FakeSounds::DefaultBeep() {
    calls.push_back("beep");
    return !failBeep;
}

void FakeSounds::Pause(int milliseconds) { calls.push_back("pause " + std::to_string(milliseconds)); }

}  // namespace burnmark::testing
