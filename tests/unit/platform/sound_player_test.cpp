#include "platform/sound_player.h"

#include <gtest/gtest.h>

#include "support/fake_ports.h"

namespace burnmark {
namespace {

using testing::FakeMessages;
using testing::FakeSounds;

TEST(Sounds, FailAndPassSequences) {
    using Calls = std::vector<std::string>;
    struct Case {
        const char* name;
        bool pass;
        uint8_t mode;
        bool systemFails;
        Calls calls;
        bool failBox;
    } cases[] = {
        {"mode 0: the error sound", false, 0, false, {"error"}, false},
        {"mode 0, the system fails", false, 0, true, {"error"}, true},
        {"mode 1: three beeps, a pause after the first", false, 1, false,
         {"beep", "pause 50", "beep", "beep"}, false},
        {"other modes as mode 1; beep failures unreported", false, 7, true,
         {"beep", "pause 50", "beep", "beep"}, false},
        {"pass: one beep", true, 0, false, {"beep"}, false},
        {"pass, the system fails", true, 0, true, {"beep"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSounds sounds;
        FakeMessages messages;
        sounds.failErrorSound = sounds.failBeep = c.systemFails;
        if (c.pass)
            PlayPassSound(sounds, messages);
        else
            PlayFailSound(sounds, messages, c.mode);
        EXPECT_EQ(sounds.calls, c.calls);
        ASSERT_EQ(messages.shown.size(), c.failBox ? 1u : 0u);
        if (c.failBox) {
            EXPECT_EQ(messages.shown[0].text, "Sound Command Fail !!");
            EXPECT_EQ(messages.shown[0].title, "Error");
            EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
        }
    }
}

TEST(SoundPlayer, SoundSetupSilencesTheOperationsButNotStopOrTheRefusals) {
    struct Case {
        uint8_t soundOn;
        std::vector<std::string> calls;
    } cases[] = {
        {1, {"beep", "beep", "pause 50", "beep", "beep", "beep", "pause 50", "beep", "beep"}},
        // Only the sound that ignores the setting is heard.
        {0, {"beep", "pause 50", "beep", "beep"}},
        // Anything but 1 counts as off.
        {2, {"beep", "pause 50", "beep", "beep"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.soundOn));
        FakeSounds sounds;
        FakeMessages messages;
        SoundPlayer player(sounds, messages);
        player.SoundOn = c.soundOn;
        player.SoundMode = 1;
        player.PassSound();
        player.FailSound();
        player.FailSoundAlways();
        EXPECT_EQ(sounds.calls, c.calls);
    }
}

}  // namespace
}  // namespace burnmark
