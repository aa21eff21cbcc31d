// The Utility page's lamp runs: the lamps' walk around the pumped wait, the
// repeated runs ended by Stop or by the application's quit, the busy program
// meanwhile, and the second Run picture's device choice and lamps.
#include "shell/utility_runs.h"

#include <string>
#include <vector>

#include "shell/session.h"
#include "unit/shell/core_fixture.h"

namespace burnmark::testing {
namespace {

// The page as a spy: every lamp change as "ALed1 yellow", with Pass's state
// at that moment.
class LampSpy : public UtilityPageView {
public:
    explicit LampSpy(const CopyPageModel& page) : page_(page) {}
    void SetLampColor(UtilityLamp lamp, uint32_t color) override {
        const char* name = color == kLampIdle      ? "silver"
                           : color == kLampWorking ? "yellow"
                           : color == kLampDone    ? "lime"
                                                   : "?";
        const std::string lampName =
            lamp == UtilityLamp::ReadALed      ? "ReadALed"
            : lamp == UtilityLamp::ConfirmALed ? "ConfirmALed"
                                               : "ALed" + std::to_string(static_cast<int>(lamp) + 1);
        log.push_back(lampName + " " + name + (page_.Visible(StatusImage::Pass) ? " pass" : ""));
    }
    bool SecondLampTicked(UtilityRun run) const override {
        return run == UtilityRun::Erase ? checkBox6 : run == UtilityRun::Verify && checkBox7;
    }
    std::vector<std::string> log;
    bool checkBox6 = false;
    bool checkBox7 = false;

private:
    const CopyPageModel& page_;
};

class LampRuns : public CoreTest {
protected:
    LampRuns()
        : spy(core->Page()), runs(UtilityRunParts{state, core->Frame(), core->Page(), pump, spy}) {
        runs.StopHandling = [this] { Stop(); };
    }
    void Stop() {
        ++stops;
        core->StopClick();
    }

    LampSpy spy;
    UtilityRuns runs;
    int stops = 0;
};

TEST_F(LampRuns, OneRunWalksItsLampsAroundTheWait) {
    struct Case {
        const char* name;
        void (UtilityRuns::*click)();
        bool box6, box7;
        std::vector<std::string> log;
        int pumps;
    };
    const std::vector<Case> cases = {
        {"Erase alone: both lamps silver, only the first walks",
         &UtilityRuns::RunE_HintClick,
         false,
         true,
         {"ALed1 silver pass", "ALed2 silver pass", "ALed1 yellow", "ALed1 lime pass"},
         100},
        {"Erase with CheckBox6",
         &UtilityRuns::RunE_HintClick,
         true,
         false,
         {"ALed1 silver pass", "ALed2 silver pass", "ALed1 yellow", "ALed1 lime pass",
          "ALed2 yellow", "ALed2 lime pass"},
         200},
        {"Verify with CheckBox7",
         &UtilityRuns::RunV_HintClick,
         false,
         true,
         {"ALed3 silver pass", "ALed4 silver pass", "ALed3 yellow", "ALed3 lime pass",
          "ALed4 yellow", "ALed4 lime pass"},
         200},
        {"Security: one lamp",
         &UtilityRuns::RunS_HintClick,
         true,
         true,
         {"ALed5 silver pass", "ALed5 yellow", "ALed5 lime pass"},
         100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spy.log.clear();
        spy.checkBox6 = c.box6;
        spy.checkBox7 = c.box7;
        pump.processed = 0;
        core->Page().Show(StatusImage::Pass);
        (runs.*c.click)();
        EXPECT_EQ(spy.log, c.log);
        EXPECT_EQ(pump.processed, c.pumps);
        EXPECT_TRUE(core->Page().Visible(StatusImage::Pass));
    }
    EXPECT_TRUE(sim.Trace().empty());
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(sounds.calls.empty());
}

TEST_F(LampRuns, ARepeatedRunGoesOnUntilStopAndThenClearsTheFlag) {
    spy.checkBox6 = true;
    int pressedAt = 0;
    // Stop pressed in the middle of the third run's first wait.
    pump.onProcess = [&] {
        EXPECT_TRUE(state.Busy.Busy());
        if (pump.processed == 2 * 201 + 50) {
            pressedAt = static_cast<int>(spy.log.size());
            Stop();
        }
    };
    runs.AutoRunE_HintClick();

    // The wait in progress returned at once; the run in progress finished,
    // then the loop ended.
    EXPECT_EQ(pump.processed, 2 * 201 + 50 + 1);
    ASSERT_EQ(spy.log.size(), 3u * 6u);
    EXPECT_EQ(pressedAt, 2 * 6 + 3);
    // Stop leaves Pass hidden in the wait it ended.
    EXPECT_EQ(spy.log.back(), "ALed2 lime");
    // The press and the end of the run: two failure sounds, whatever sound_setup holds.
    EXPECT_EQ(stops, 2);
    EXPECT_EQ(sounds.calls, (std::vector<std::string>{"error", "error"}));
    EXPECT_EQ(core->Frame().Run.StopFlag, 0);
    EXPECT_FALSE(state.Busy.Busy());
    EXPECT_FALSE(runs.Repeating());
    EXPECT_TRUE(sim.Trace().empty());
}

TEST_F(LampRuns, ARepeatedRunStartsByClearingAnEarlierStop) {
    core->Frame().Run.StopFlag = 1;  // a Stop pressed with nothing to stop
    pump.onProcess = [&] {
        if (pump.processed == 150) Stop();
    };
    runs.AutoRunS_HintClick();
    EXPECT_EQ(spy.log.size(), 2u * 3u);
    EXPECT_EQ(core->Frame().Run.StopFlag, 0);
}

TEST_F(LampRuns, ExitIsRefusedWhileARepeatedRunGoesAndQuittingEndsIt) {
    ExitAnswer answer = ExitAnswer::Confirmed;
    pump.onProcess = [&] {
        if (pump.processed == 30) answer = AskExit(state, messages, [] { return TickFlags{}; });
        if (pump.processed == 130) runs.Quit();
    };
    runs.AutoRunV_HintClick();
    EXPECT_EQ(answer, ExitAnswer::Ignored);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(state.ExitGuard, 0);
    // Quitting ends the run after the single run in progress, without Stop's sound.
    EXPECT_EQ(pump.processed, 2 * 101);
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(sounds.calls.empty());
    EXPECT_EQ(core->Frame().Run.StopFlag, 0);
    EXPECT_FALSE(state.Busy.Busy());
}

TEST_F(LampRuns, AClickWhileTheProgramIsBusyDoesNothing) {
    int choices = 0;
    runs.ChooseDevice = [&] { return ++choices, true; };
    BusyScope busy(state.Busy);
    runs.RunE_HintClick();
    runs.AutoRunS_HintClick();
    runs.Run2_HintClick();
    EXPECT_TRUE(spy.log.empty());
    EXPECT_EQ(pump.processed, 0);
    EXPECT_EQ(choices, 0);
}

TEST_F(LampRuns, TheSecondRunChoosesADeviceThenWalksItsLampsOrShowsTheEditor) {
    const std::vector<std::string> idle = {"ReadALed silver pass", "ConfirmALed silver pass"};
    const std::vector<std::string> walk = {
        "ReadALed silver pass", "ConfirmALed silver pass", "ReadALed yellow",
        "ReadALed lime pass",   "ConfirmALed yellow",      "ConfirmALed lime pass",
        "ReadALed silver pass", "ConfirmALed silver pass"};
    struct Case {
        const char* name;
        bool ok;
        uint8_t run2LedFlag;
        std::vector<std::string> log;
        int pumps;
        int editors;
    };
    const std::vector<Case> cases = {
        {"OK with the flag set: the lamps walk", true, 1, walk, 200, 0},
        {"OK with the flag clear: the editor", true, 0, idle, 0, 1},
        {"Cancel: nothing more", false, 1, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spy.log.clear();
        pump.processed = 0;
        int choices = 0;
        int editors = 0;
        bool busyInWait = true;
        pump.onProcess = [&] { busyInWait &= state.Busy.Busy(); };
        runs.ChooseDevice = [&] { return ++choices, c.ok; };
        runs.ShowEditor = [&] { ++editors; };
        state.Run2LedFlag = c.run2LedFlag;
        core->Page().Show(StatusImage::Pass);
        runs.Run2_HintClick();
        EXPECT_EQ(choices, 1);
        EXPECT_EQ(spy.log, c.log);
        EXPECT_EQ(pump.processed, c.pumps);
        EXPECT_EQ(editors, c.editors);
        EXPECT_TRUE(busyInWait);
        EXPECT_FALSE(state.Busy.Busy());
        EXPECT_TRUE(core->Page().Visible(StatusImage::Pass));
    }
    EXPECT_TRUE(sim.Trace().empty());
}

}  // namespace
}  // namespace burnmark::testing
