// The state of the automatic run and of the last read and compare, kept by the
// operation frame, since every family reads it: the operations give no pass
// sound while a run executes its steps, Stop ends a run, and the Read step's
// automatic confirm runs only after a good read.
#pragma once

#include <cstdint>

namespace burnmark {

struct RunState {
    // 1 while a run executes its steps.
    uint8_t RunActive = 0;
    // 1 when a new run may execute its steps.
    uint8_t RunReady = 0;
    // 1 once a step of the current run failed (or Stop was pressed).
    uint8_t RunFailed = 0;
    // The last main-area verify or confirm found differences; the extended
    // area is compared only while it is 0.
    uint8_t VerifyErrorsFound = 0;
    // 1 once the Verify step verified; its fail picture verifies again only then.
    int32_t VerifyPass = 0;
    // 1 after a successful read; 0 after read, confirm and verify failures.
    uint8_t ReadOkFlag = 0;
    // Stop was pressed: WaitAndPump returns at once; the waiting loop clears it.
    uint8_t StopFlag = 0;
};

}  // namespace burnmark
