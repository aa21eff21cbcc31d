#include "shell/utility_runs.h"

#include "platform/busy.h"

namespace burnmark {

namespace {

struct RunLamps {
    UtilityLamp first;
    UtilityLamp second;
    bool hasSecond;
};

RunLamps LampsOf(UtilityRun run) {
    switch (run) {
        case UtilityRun::Erase:
            return {UtilityLamp::ALed1, UtilityLamp::ALed2, true};
        case UtilityRun::Verify:
            return {UtilityLamp::ALed3, UtilityLamp::ALed4, true};
        case UtilityRun::Security:
            break;
    }
    return {UtilityLamp::ALed5, UtilityLamp::ALed5, false};
}

}  // namespace

void UtilityRuns::Walk(UtilityLamp lamp) {
    p_.view.SetLampColor(lamp, kLampWorking);
    p_.frame.WaitAndPump();
    p_.view.SetLampColor(lamp, kLampDone);
    p_.page.Show(StatusImage::Pass);
}

void UtilityRuns::RunOnce(UtilityRun run) {
    const RunLamps lamps = LampsOf(run);
    p_.view.SetLampColor(lamps.first, kLampIdle);
    if (lamps.hasSecond) p_.view.SetLampColor(lamps.second, kLampIdle);
    p_.page.Hide(StatusImage::Pass);
    Walk(lamps.first);
    if (lamps.hasSecond && p_.view.SecondLampTicked(run)) {
        p_.page.Hide(StatusImage::Pass);
        Walk(lamps.second);
    }
}

void UtilityRuns::Single(UtilityRun run) {
    // A click delivered while something else pumps the window's events.
    if (p_.state.Busy.Busy()) return;
    BusyScope busy(p_.state.Busy);
    RunOnce(run);
}

void UtilityRuns::Repeated(UtilityRun run) {
    if (p_.state.Busy.Busy()) return;
    BusyScope busy(p_.state.Busy);
    RunState& state = p_.frame.Run;
    state.StopFlag = 0;
    quit_ = false;
    repeating_ = true;
    // Stop reaches the loop only through the events pumped inside it.
    while (state.StopFlag == 0 && !quit_) {
        RunOnce(run);
        p_.pump.ProcessEvents();
    }
    repeating_ = false;
    if (!quit_ && StopHandling) StopHandling();
    state.StopFlag = 0;
}

void UtilityRuns::Run2_HintClick() {
    if (p_.state.Busy.Busy()) return;
    // The dialog's own answer: what it wrote to [SelectDlg] "OK" may be an
    // older one when that write failed.
    if (!ChooseDevice || !ChooseDevice()) return;
    if (p_.state.Run2LedFlag) {
        BusyScope busy(p_.state.Busy);
        for (UtilityLamp lamp : {UtilityLamp::ReadALed, UtilityLamp::ConfirmALed})
            p_.view.SetLampColor(lamp, kLampIdle);
        for (UtilityLamp lamp : {UtilityLamp::ReadALed, UtilityLamp::ConfirmALed}) {
            p_.page.Hide(StatusImage::Pass);
            Walk(lamp);
        }
    } else if (ShowEditor) {
        ShowEditor();
    }
    for (UtilityLamp lamp : {UtilityLamp::ReadALed, UtilityLamp::ConfirmALed})
        p_.view.SetLampColor(lamp, kLampIdle);
}

}  // namespace burnmark
