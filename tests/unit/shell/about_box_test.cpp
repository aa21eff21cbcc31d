// The About box's rules on the simulated programmer: the firmware text, the
// About command with the device check after OK, and the hidden credits.
#include "shell/about_box.h"

#include <array>
#include <string>
#include <vector>

#include "unit/shell/core_fixture.h"

namespace burnmark::testing {
namespace {

std::array<uint8_t, kSerialLength> Reply(std::array<uint8_t, 4> firmware) {
    std::array<uint8_t, kSerialLength> reply{};
    reply.fill('#');
    std::copy(firmware.begin(), firmware.end(), reply.begin() + 6);
    return reply;
}

TEST(FirmwareText, PrintableCharactersOfBytesSixToNineOnly) {
    struct Case {
        const char* name;
        std::array<uint8_t, 4> bytes;
        const char* text;
    };
    const Case cases[] = {
        {"a version", {'V', '2', '.', '1'}, "V2.1"},
        {"padded with zeros", {'1', '7', 0, 0}, "17"},
        {"control and high bytes", {0x07, 'A', 0xFF, '9'}, "A9"},
        {"delete is no character", {'3', 0x7F, '.', '1'}, "3.1"},
        {"nothing printable", {0, 0x1B, 0x80, 0xFF}, kFirmwareNotAvailable},
        {"blanks only", {' ', ' ', 0, ' '}, kFirmwareNotAvailable},
    };
    for (const Case& c : cases) EXPECT_EQ(FirmwareTextOf(Reply(c.bytes)), c.text) << c.name;
}

// The box as the command sees it: records what it showed and answers.
class FakeAboutBox : public AboutBoxPort {
public:
    explicit FakeAboutBox(std::function<void()> whileShown = nullptr)
        : whileShown_(std::move(whileShown)) {}
    bool ShowAboutBox(const std::string& firmware) override {
        shown.push_back(firmware);
        open = true;
        if (whileShown_) whileShown_();
        open = false;
        return answerOk;
    }
    std::vector<std::string> shown;
    bool answerOk = true;
    bool open = false;

private:
    std::function<void()> whileShown_;
};

class AboutCommand : public CoreTest {
protected:
    AboutEnd Help(FakeAboutBox& box) {
        return HelpHintClick(state, core->Link(), box, messages, [&] {
            checksRun.push_back(box.open ? "while open" : "after");
            core->CheckDeviceAfterAbout();
        });
    }
    std::vector<std::string> checksRun;
};

TEST_F(AboutCommand, ShowsTheFirmwareTextAndChecksTheDeviceOnlyAfterOk) {
    Restore();
    const auto reply = Reply({'3', '.', '0', '4'});
    std::copy(reply.begin(), reply.end(), sim.serial.begin());
    std::vector<bool> busy;
    state.Busy.OnChange = [&](bool b) { busy.push_back(b); };

    FakeAboutBox closed;
    closed.answerOk = false;
    EXPECT_EQ(Help(closed), AboutEnd::Closed);
    EXPECT_EQ(closed.shown, std::vector<std::string>{"3.04"});
    EXPECT_TRUE(checksRun.empty());
    // Closed and reopened, then asked once; held busy only around the reads.
    EXPECT_EQ(sim.TraceLines(), (std::vector<std::string>{"close", "open", "in 41 0000 0000 22"}));
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));

    sim.ClearTrace();
    FakeAboutBox ok;
    EXPECT_EQ(Help(ok), AboutEnd::Ok);
    EXPECT_EQ(checksRun, std::vector<std::string>{"after"});
    // The check: the device's set-up, then the verify on the programmer.
    const std::vector<std::string> trace = sim.TraceLines();
    EXPECT_EQ(trace.at(trace.size() - 2), "out 49 4000 0600");
    EXPECT_EQ(trace.back(), "in 42 0000 0000 16");
    EXPECT_FALSE(state.Busy.Busy());
}

TEST_F(AboutCommand, WithoutAProgrammerOrAnAnswerTheBoxSaysNotAvailable) {
    Restore();
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::size_t checks;  // device checks run on OK
    };
    const Case cases[] = {
        {"no programmer", [&] { sim.Unplug(); }, 0},
        {"the request fails", [&] { sim.InjectFault(SimCallKind::VendorIn, 1); }, 1},
        {"a short reply", [&] { sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Short); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.Replug();
        sim.ClearFaults();
        checksRun.clear();
        sounds.calls.clear();
        c.arrange();
        FakeAboutBox box;
        EXPECT_EQ(Help(box), AboutEnd::Ok);
        EXPECT_EQ(box.shown, std::vector<std::string>{kFirmwareNotAvailable});
        EXPECT_EQ(checksRun.size(), c.checks);
    }
    // Without a programmer the check that could not run gave no failure sound.
    sim.Unplug();
    sounds.calls.clear();
    FakeAboutBox box;
    Help(box);
    EXPECT_TRUE(sounds.calls.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AboutCommand, IgnoredWhileTheExitQuestionIsOpenOrTheProgramIsBusy) {
    FakeAboutBox box;
    state.ExitGuard = 1;
    EXPECT_EQ(Help(box), AboutEnd::Ignored);
    state.ExitGuard = 0;
    {
        BusyScope busy(state.Busy);
        EXPECT_EQ(Help(box), AboutEnd::Ignored);
    }
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(sim.Trace().empty());
}

TEST_F(AboutCommand, AnExceptionOnTheWayIsShownAndEndsTheCommand) {
    FakeAboutBox box([] { throw std::runtime_error("no window"); });
    EXPECT_EQ(Help(box), AboutEnd::Closed);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"no window"});
    EXPECT_TRUE(checksRun.empty());
    EXPECT_FALSE(state.Busy.Busy());
}

TEST(AboutCreditsRule, FifteenDoubleClicksAfterArmingOpenTheDetails) {
    struct Case {
        const char* name;
        bool arm;
        int doubleClicks;
        bool open;
    };
    const Case cases[] = {
        {"armed, 15", true, 15, true},
        {"armed, 14", true, 14, false},
        {"not armed, 15", false, 15, false},
        {"not armed, 30", false, 30, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AboutCredits credits;
        if (c.arm) credits.Image2Click();
        for (int i = 0; i < c.doubleClicks; ++i) credits.Image1DblClick();
        EXPECT_EQ(credits.DetailsShown(), c.open);
        EXPECT_EQ(credits.ExtraHeight(), c.open ? 112 : 0);
    }

    // Arming starts the count again; opening disarms.
    AboutCredits credits;
    for (int i = 0; i < 10; ++i) credits.Image1DblClick();
    credits.Image2Click();
    for (int i = 0; i < 14; ++i) EXPECT_FALSE(credits.Image1DblClick());
    EXPECT_TRUE(credits.Image1DblClick());
    EXPECT_FALSE(credits.Armed());
    EXPECT_EQ(credits.DoubleClicks(), 0);

    // The rights notice shows and hides the credit texts; the icon closes.
    credits.Label2Click();
    EXPECT_TRUE(credits.CreditsShown());
    credits.Label2Click();
    EXPECT_FALSE(credits.CreditsShown());
    credits.ProgramIconClick();
    EXPECT_FALSE(credits.DetailsShown());
    for (int i = 0; i < 15; ++i) credits.Image1DblClick();
    EXPECT_FALSE(credits.DetailsShown());
}

}  // namespace
}  // namespace burnmark::testing
