// The Copy page's Run and Stop. Run executes the ticked steps that the device
// offers, in the order erase, blank check, program (with the extended area),
// verify (with the extended area), protect, on one programmer set-up; it stops
// at the first step that fails and between steps after Stop, and sounds once
// for the whole run. Stop gives the failure sound on every press, ends an
// active run between its steps, and otherwise leaves StopFlag set for the loop
// that waits on it.
#pragma once

#include "operations/download_operations.h"
#include "operations/operation_frame.h"
#include "operations/read_back_operations.h"
#include "operations/simple_operations.h"

namespace burnmark {

class AutomaticRun {
public:
    AutomaticRun(OperationFrame& frame, SimpleOperations& simple, DownloadOperations& downloads,
                 ReadBackOperations& readBacks)
        : frame_(frame), simple_(simple), downloads_(downloads), readBacks_(readBacks) {}
    AutomaticRun(const AutomaticRun&) = delete;
    AutomaticRun& operator=(const AutomaticRun&) = delete;

    // True when the run ended as passed (every ticked step passed, or none
    // was ticked); false when a step or the set-up failed or Stop ended it.
    bool Run_HintClick();

    // The failure sound on every press; ends an automatic run between its steps.
    void Stop_HintClick();
    // "User Stop" is due: Stop ended a run while a transfer was going. The
    // run shows it once the step has returned, not inside the transfer's wait.
    bool TakeUserStop();
    // Whether a Stop press may end a transfer that waits for the programmer's
    // routine. Not while an automatic run is going: there Stop takes effect
    // between steps, for every press, also after the first has ended the run.
    bool StopMayCancelTransfer() const { return !frame_.RunGoing(); }

private:
    bool Wanted(CopyStep step) const;
    bool RunStep(CopyStep step);

    OperationFrame& frame_;
    SimpleOperations& simple_;
    DownloadOperations& downloads_;
    ReadBackOperations& readBacks_;
    bool userStopPending_ = false;
};

}  // namespace burnmark
