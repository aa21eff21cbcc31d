#include "operations/automatic_run.h"

namespace burnmark {

namespace {

struct RunStepRow {
    CopyStep step;
    CopyCheckBox box;
};

constexpr RunStepRow kSteps[] = {
    {CopyStep::Erase, CopyCheckBox::CheckBox1},   {CopyStep::Check, CopyCheckBox::CheckBox2},
    {CopyStep::Program, CopyCheckBox::CheckBox3}, {CopyStep::Verify, CopyCheckBox::CheckBox4},
    {CopyStep::Secur, CopyCheckBox::CheckBox5},
};

}  // namespace

bool AutomaticRun::Wanted(CopyStep step) const {
    for (const RunStepRow& row : kSteps)
        if (row.step == step)
            // A tick the device does not back (a box left ticked from another
            // device) runs nothing.
            return frame_.Page().Box(row.box).checked && frame_.Offers(step);
    return false;
}

bool AutomaticRun::RunStep(CopyStep step) {
    // The extended area follows its main area, except on the programmer's own
    // devices (option type 1).
    const bool withExt = frame_.Device().FuseTypeDigit != 1 && frame_.ExtAreaNotEmpty();
    switch (step) {
        case CopyStep::Erase:
            return simple_.erase_1Click(kModeRun);
        case CopyStep::Check:
            return simple_.check_1Click(kModeRun);
        case CopyStep::Program:
            return downloads_.program_1Click(kModeRun) && (!withExt || downloads_.ProgramExtArea());
        case CopyStep::Verify:
            if (!readBacks_.verify_1Click(kModeRun)) return false;
            return !withExt || frame_.Run.VerifyErrorsFound != 0 || readBacks_.VerifyExtArea();
        case CopyStep::Secur:
            return simple_.ProtectDevice(kModeRun);
        default:
            return true;
    }
}

bool AutomaticRun::Run_HintClick() {
    // One failure sound for the whole run, and none of the steps' own pass sounds.
    OperationFrame::OperationScope scope(frame_);
    RunState& run = frame_.Run;
    {
        OperationFrame::RunScope running(frame_);
        // Every run starts clean, whatever the last one left behind.
        run.StopFlag = 0;
        run.RunActive = 0;
        run.RunFailed = 0;
        run.RunReady = 1;
        frame_.UpdateCopyButtons(2);

        bool anyWanted = false;
        for (const RunStepRow& row : kSteps) anyWanted = anyWanted || Wanted(row.step);
        if (anyWanted) {
            if (!frame_.DeviceUsable() || !frame_.RunFirstSetup()) {
                // The set-up has said why; the run shows it failed.
                run.RunFailed = 1;
                frame_.ShowOperationFail();
                return false;
            }
            run.RunActive = run.RunReady;
        }
        frame_.Guards.BlankGuard = 0;

        for (const RunStepRow& row : kSteps) {
            // Stop came before the steps began (no run was active to take it):
            // the run ends as stopped.
            if (run.StopFlag) {
                run.RunActive = 0;
                run.RunFailed = 1;
                break;
            }
            if (run.RunActive != 1 || !Wanted(row.step)) continue;
            const bool passed = RunStep(row.step);
            if (TakeUserStop()) frame_.Operator().ShowMessage(kUserStopText);
            if (!passed) {
                frame_.ShowOperationFail();
                run.RunActive = 0;
                run.RunFailed = 1;
                break;
            }
        }
        if (run.RunActive == 1) {
            run.RunActive = 0;
            run.StopFlag = 0;
            frame_.Page().Show(StatusImage::Pass);
            frame_.Page().Show(StatusImage::Wait);
            run.RunFailed = 0;
        }
    }
    if (run.RunFailed == 1) frame_.ShowOperationFail();
    run.RunReady = 1;
    frame_.PassSoundIfDue(true);
    return run.RunFailed == 0;
}

void AutomaticRun::Stop_HintClick() {
    RunState& run = frame_.Run;
    // The operator hears every press, whatever the sound setting says.
    frame_.Sounds().FailSoundAlways();
    // That was the failure sound of whatever the press ends.
    frame_.FailureSounded();
    run.StopFlag = 1;
    if (run.RunActive != 1) return;
    frame_.Page().Hide(StatusImage::Pass);
    frame_.Page().Hide(StatusImage::Wait);
    run.RunFailed = 1;
    run.RunReady = 0;
    run.RunActive = 0;
    run.StopFlag = 0;
    // A modal box opened here would sit inside the transfer's wait: the run
    // shows it once the step has returned.
    userStopPending_ = true;
}

bool AutomaticRun::TakeUserStop() {
    const bool due = userStopPending_;
    userStopPending_ = false;
    return due;
}

}  // namespace burnmark
