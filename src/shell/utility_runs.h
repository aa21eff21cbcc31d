// The Utility page's lamp runs: the page's lamps walk from idle through
// working to done around one wait that keeps the window alive, once or again
// and again until Stop. The second Run picture's run is of the same kind: a
// device choice, then the Read and Confirm lamps walk, or the Edit area
// shows. Nothing goes to the programmer. The runs hold the program busy, so
// that only Stop acts meanwhile (Exit is refused and no operation or
// automatic run can start from the pumped events).
#pragma once

#include "shell/shell_only.h"

#include <cstdint>
#include <functional>

#include "operations/copy_page_model.h"
#include "operations/operation_frame.h"
#include "operations/run_state.h"
#include "platform/ports.h"
#include "platform/sound_player.h"
#include "shell/app_state.h"
#include "widgets/lamp_state.h"

namespace burnmark {

// The lamps on the page's five pictures, and the two beside the second Run
// picture.
enum class UtilityLamp { ALed1, ALed2, ALed3, ALed4, ALed5, ReadALed, ConfirmALed };
// Erase walks ALed1 (and ALed2 with CheckBox6), Verify ALed3 (and ALed4 with
// CheckBox7), Security ALed5 alone.
enum class UtilityRun { Erase, Verify, Security };

// Lamp colours of the runs (red in the low byte).
inline constexpr uint32_t kLampIdle = kColorSilver;
inline constexpr uint32_t kLampWorking = kColorYellow;
inline constexpr uint32_t kLampDone = kColorLime;

// The page's side of the runs.
class UtilityPageView {
public:
    virtual ~UtilityPageView() = default;
    virtual void SetLampColor(UtilityLamp lamp, uint32_t color) = 0;
    // CheckBox6 for the Erase run, CheckBox7 for the Verify run.
    virtual bool SecondLampTicked(UtilityRun run) const = 0;
};

// What the runs work with; only references are held.
struct UtilityRunParts {
    AppState& state;
    OperationFrame& frame;    // WaitAndPump and the run's StopFlag
    CopyPageModel& page;      // Pass
    Pump& pump;
    UtilityPageView& view;
};

class UtilityRuns {
public:
    explicit UtilityRuns(UtilityRunParts parts) : p_(parts) {}

    // The Stop command, which a repeated run runs when it ends (its failure
    // sound). Empty: nothing.
    std::function<void()> StopHandling;

    // The second Run picture's device choice (Image14Click): true when a
    // device was taken. Empty: none is.
    std::function<bool()> ChooseDevice;
    // The Edit area with the buffer editor (Image15Click). Empty: nothing.
    std::function<void()> ShowEditor;

    // One run each (RunE_HintClick, RunV_HintClick, RunS_HintClick).
    void RunE_HintClick() { Single(UtilityRun::Erase); }
    void RunV_HintClick() { Single(UtilityRun::Verify); }
    void RunS_HintClick() { Single(UtilityRun::Security); }
    // The same run again and again until Stop (AutoRunE_HintClick, ...).
    void AutoRunE_HintClick() { Repeated(UtilityRun::Erase); }
    void AutoRunV_HintClick() { Repeated(UtilityRun::Verify); }
    void AutoRunS_HintClick() { Repeated(UtilityRun::Security); }
    // The second Run picture (Run2_HintClick): the device choice; after an
    // OK, while Run2LedFlag is set, ReadALed and then ConfirmALed walk, else
    // the Edit area shows; both lamps end idle.
    void Run2_HintClick();

    // The application is quitting: a repeated run ends after the single run
    // in progress, without the Stop handling.
    void Quit() { quit_ = true; }
    // A repeated run is going.
    bool Repeating() const { return repeating_; }

private:
    void Single(UtilityRun run);
    void Repeated(UtilityRun run);
    void RunOnce(UtilityRun run);
    // One lamp from working to done around the wait, Pass hidden meanwhile.
    void Walk(UtilityLamp lamp);

    UtilityRunParts p_;
    bool quit_ = false;
    bool repeating_ = false;
};

}  // namespace burnmark
