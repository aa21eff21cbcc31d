// The Copy page as data: the stacks of step pictures, the Pass, Wait and Fail
// pictures, the two progress bars, the tick boxes and the panels the
// operations enable. The operations change only this model; the Qt page reads
// it and redraws when its view is told that something changed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace burnmark {

// The steps of the Copy page. The first seven are the operation steps with a
// full stack of six pictures; the last four (the source steps) have only off,
// working, highlight and ready.
enum class CopyStep : uint8_t {
    Erase,    // erace_*
    Check,    // check_* (blank check)
    Program,  // prog_*
    Verify,   // verify_*
    Secur,    // secur_* (protect)
    Read,     // read_*
    Confirm,  // confirm_*
    Type,     // type_*
    Load,     // load_*
    Save,     // save_*
    Edit,     // edit_*
};
inline constexpr std::size_t kCopyStepCount = 11;
inline constexpr std::size_t kOperationStepCount = 7;

// The pictures of one step, from the bottom of the stack to its top.
enum class StepImage : uint8_t {
    Off,        // _o
    Fail,       // _f
    Pass,       // _p
    Working,    // _w
    Highlight,  // _h
    Ready,      // _n
};
inline constexpr std::size_t kStepImageCount = 6;

// "erace", "check", "prog", ...
const char* StepName(CopyStep step);
// 'o', 'f', 'p', 'w', 'h', 'n'
char StepImageSuffix(StepImage image);
// "erace_p", "confirm_n", ...
std::string StepImageName(CopyStep step, StepImage image);
// The source steps have no fail or pass picture.
bool StepHasImage(CopyStep step, StepImage image);

// The controls whose Enabled the operations set.
enum class CopyControl : uint8_t {
    CopyEraseBtn,
    CopyCheckBtn,
    CopyProgramBtn,
    CopyVerifyBtn,
    CopySecurityBtn,
    CopyConfirmBtn,
    CopyReadBtn,
    Panel7,  // Load step
    Panel9,  // Edit step
    Panel8,  // Save step
    Run_Hint,
    Stop_Hint,
    Stop,
    Run,
    StopPanel,
    RunPanel,
};
inline constexpr std::size_t kCopyControlCount = 16;
const char* CopyControlName(CopyControl control);

// The tick boxes of the Copy page: the five run steps and the automatic confirm.
enum class CopyCheckBox : uint8_t {
    CheckBox1,  // erase
    CheckBox2,  // blank check
    CheckBox3,  // program
    CheckBox4,  // verify
    CheckBox5,  // protect
    check_confirm,
};
inline constexpr std::size_t kCopyCheckBoxCount = 6;
const char* CopyCheckBoxName(CopyCheckBox box);

// Pass, Wait and Fail lie on each other, Fail at the bottom.
enum class StatusImage : uint8_t { Fail, Wait, Pass };
enum class StatusLook { Passed, Working, Failed };

struct ProgressBarState {
    bool visible = true;
    int32_t position = 0;
    int32_t maximum = 100;
};

struct CheckBoxState {
    bool checked = false;
    bool enabled = true;
};

// Told after every change of the model. The page redraws from the model.
class CopyPageView {
public:
    virtual ~CopyPageView() = default;
    virtual void Changed() = 0;
};

class CopyPageModel {
public:
    CopyPageModel();

    void SetView(CopyPageView* view) { view_ = view; }

    // --- Step pictures -------------------------------------------------------
    bool Visible(CopyStep step, StepImage image) const;
    // A picture a step does not have stays hidden.
    void Show(CopyStep step, StepImage image);
    void Hide(CopyStep step, StepImage image);
    void SetVisible(CopyStep step, StepImage image, bool visible);
    // The topmost visible picture: what the operator sees. Off when none is.
    StepImage Top(CopyStep step) const;

    // --- Pass, Wait, Fail ----------------------------------------------------
    bool Visible(StatusImage image) const;
    void Show(StatusImage image) { SetVisible(image, true); }
    void Hide(StatusImage image) { SetVisible(image, false); }
    void SetVisible(StatusImage image, bool visible);
    // Pass visible: passed; Pass hidden, Wait visible: working; both hidden: failed.
    StatusLook Status() const;

    // --- Progress bars ---------------------------------------------------------
    // ProgressBar21: the step's progress. ProgressBar2: the banks.
    const ProgressBarState& ProgressBar21() const { return bar21_; }
    const ProgressBarState& ProgressBar2() const { return bar2_; }
    void SetBar21Visible(bool visible);
    void SetBar21Position(int32_t position);
    void SetBar21Maximum(int32_t maximum);
    void SetBar2Visible(bool visible);
    void SetBar2Position(int32_t position);
    void SetBar2Maximum(int32_t maximum);
    // Position = maximum.
    void FillBar21() { SetBar21Position(bar21_.maximum); }
    void FillBar2() { SetBar2Position(bar2_.maximum); }

    // --- Tick boxes ------------------------------------------------------------
    const CheckBoxState& Box(CopyCheckBox box) const;
    void SetChecked(CopyCheckBox box, bool checked);
    void SetBoxEnabled(CopyCheckBox box, bool enabled);

    // --- Enabled controls ------------------------------------------------------
    bool Enabled(CopyControl control) const;
    void SetEnabled(CopyControl control, bool enabled);

    // --- "Device Parameter" picture --------------------------------------------
    bool MultiVisible() const { return multi_; }
    bool MultiHintVisible() const { return multiHint_; }
    void SetMulti(bool visible);
    void SetMultiHint(bool visible);

    // Every step picture name that is visible, bottom to top per step, for
    // tests and diagnostics ("erace_o erace_p ...").
    std::vector<std::string> VisibleImageNames(CopyStep step) const;

private:
    void Notify();

    CopyPageView* view_ = nullptr;
    std::array<std::array<bool, kStepImageCount>, kCopyStepCount> images_{};
    std::array<bool, 3> status_{};
    ProgressBarState bar21_{};
    ProgressBarState bar2_{};
    std::array<CheckBoxState, kCopyCheckBoxCount> boxes_{};
    std::array<bool, kCopyControlCount> enabled_{};
    bool multi_ = false;
    bool multiHint_ = false;
};

}  // namespace burnmark
