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
            return page_.Box(row.box).checked && engine_.Offers(step);
    return false;
}

bool AutomaticRun::RunStep(CopyStep step) {
    // The extended area follows its main area, except on the programmer's own
    // devices (option type 1).
    const bool withExt = device_.FuseTypeDigit != 1 && engine_.ExtAreaNotEmpty();
    switch (step) {
        case CopyStep::Erase:
            return engine_.erase_1Click(kModeRun);
        case CopyStep::Check:
            return engine_.check_1Click(kModeRun);
        case CopyStep::Program:
            return engine_.program_1Click(kModeRun) && (!withExt || engine_.ProgramExtArea());
        case CopyStep::Verify:
            if (!engine_.verify_1Click(kModeRun)) return false;
            return !withExt || engine_.Run.VerifyErrorsFound != 0 || engine_.VerifyExtArea();
        case CopyStep::Secur:
            return engine_.ProtectDevice(kModeRun);
        default:
            return true;
    }
}

bool AutomaticRun::Run_HintClick() {
    // One failure sound for the whole run, and none of the steps' own pass sounds.
    OperationEngine::OperationScope scope(engine_);
    RunState& run = engine_.Run;
    {
        OperationEngine::RunScope running(engine_);
        // Every run starts clean, whatever the last one left behind.
        run.StopFlag = 0;
        run.RunActive = 0;
        run.RunFailed = 0;
        run.RunReady = 1;
        engine_.UpdateCopyButtons(2);

        bool anyWanted = false;
        for (const RunStepRow& row : kSteps) anyWanted = anyWanted || Wanted(row.step);
        if (anyWanted) {
            if (!engine_.DeviceUsable() || !engine_.RunFirstSetup()) {
                // The set-up has said why; the run shows it failed.
                run.RunFailed = 1;
                engine_.ShowOperationFail();
                return false;
            }
            run.RunActive = run.RunReady;
        }
        engine_.Guards.BlankGuard = 0;

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
            if (engine_.TakeUserStop()) messages_.ShowMessage(kUserStopText);
            if (!passed) {
                engine_.ShowOperationFail();
                run.RunActive = 0;
                run.RunFailed = 1;
                break;
            }
        }
        if (run.RunActive == 1) {
            run.RunActive = 0;
            run.StopFlag = 0;
            page_.Show(StatusImage::Pass);
            page_.Show(StatusImage::Wait);
            run.RunFailed = 0;
        }
    }
    if (run.RunFailed == 1) engine_.ShowOperationFail();
    run.RunReady = 1;
    engine_.PassSoundIfDue(true);
    return run.RunFailed == 0;
}

}  // namespace burnmark
