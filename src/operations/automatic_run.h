// The Copy page's Run: the ticked steps that the device offers, in the order
// erase, blank check, program (with the extended area), verify (with the
// extended area), protect, on one programmer set-up. The run stops at the
// first step that fails and between steps after Stop, and sounds once for
// the whole run.
#pragma once

#include "catalogue/device_record.h"
#include "operations/copy_page_model.h"
#include "operations/operation_engine.h"
#include "platform/ports.h"

namespace burnmark {

class AutomaticRun {
public:
    AutomaticRun(OperationEngine& engine, const DeviceRecord& device, CopyPageModel& page,
                 Messages& messages)
        : engine_(engine), device_(device), page_(page), messages_(messages) {}

    // True when the run ended as passed (every ticked step passed, or none
    // was ticked); false when a step or the set-up failed or Stop ended it.
    bool Run_HintClick();

private:
    bool Wanted(CopyStep step) const;
    bool RunStep(CopyStep step);

    OperationEngine& engine_;
    const DeviceRecord& device_;
    CopyPageModel& page_;
    Messages& messages_;
};

}  // namespace burnmark
