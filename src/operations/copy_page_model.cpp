#include "operations/copy_page_model.h"

namespace burnmark {

namespace {

constexpr std::array<const char*, kCopyStepCount> kStepNames = {
    "erace", "check", "prog", "verify", "secur", "read", "confirm",
    "type",  "load",  "save", "edit",
};

constexpr std::array<char, kStepImageCount> kSuffixes = {'o', 'f', 'p', 'w', 'h', 'n'};

constexpr std::array<const char*, kCopyControlCount> kControlNames = {
    "CopyEraseBtn", "CopyCheckBtn", "CopyProgramBtn", "CopyVerifyBtn",
    "CopySecurityBtn", "CopyConfirmBtn", "CopyReadBtn", "Panel7",
    "Panel9", "Panel8", "Run_Hint", "Stop_Hint",
    "Stop", "Run", "StopPanel", "RunPanel",
};

constexpr std::array<const char*, kCopyCheckBoxCount> kBoxNames = {
    "CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "check_confirm",
};

std::size_t Index(CopyStep step) { return static_cast<std::size_t>(step); }
std::size_t Index(StepImage image) { return static_cast<std::size_t>(image); }

}  // namespace

const char* StepName(CopyStep step) { return kStepNames[Index(step)]; }

char StepImageSuffix(StepImage image) { return kSuffixes[Index(image)]; }

std::string StepImageName(CopyStep step, StepImage image) {
    return std::string(StepName(step)) + '_' + StepImageSuffix(image);
}

bool StepHasImage(CopyStep step, StepImage image) {
    if (Index(step) < kOperationStepCount) return true;
    return image != StepImage::Fail && image != StepImage::Pass;
}

const char* CopyControlName(CopyControl control) {
    return kControlNames[static_cast<std::size_t>(control)];
}

const char* CopyCheckBoxName(CopyCheckBox box) {
    return kBoxNames[static_cast<std::size_t>(box)];
}

CopyPageModel::CopyPageModel() {
    // As the form comes up: every picture of a step shown (ready on top),
    // Pass over Wait over Fail, every control enabled, the automatic confirm ticked.
    for (std::size_t s = 0; s < kCopyStepCount; ++s)
        for (std::size_t i = 0; i < kStepImageCount; ++i)
            images_[s][i] = StepHasImage(static_cast<CopyStep>(s), static_cast<StepImage>(i));
    status_.fill(true);
    enabled_.fill(true);
    boxes_[static_cast<std::size_t>(CopyCheckBox::check_confirm)].checked = true;
}

void CopyPageModel::Notify() {
    if (view_) view_->Changed();
}

bool CopyPageModel::Visible(CopyStep step, StepImage image) const {
    return images_[Index(step)][Index(image)];
}

void CopyPageModel::SetVisible(CopyStep step, StepImage image, bool visible) {
    if (!StepHasImage(step, image)) return;
    bool& slot = images_[Index(step)][Index(image)];
    if (slot == visible) return;
    slot = visible;
    Notify();
}

void CopyPageModel::Show(CopyStep step, StepImage image) { SetVisible(step, image, true); }

void CopyPageModel::Hide(CopyStep step, StepImage image) { SetVisible(step, image, false); }

StepImage CopyPageModel::Top(CopyStep step) const {
    for (std::size_t i = kStepImageCount; i-- > 0;)
        if (images_[Index(step)][i]) return static_cast<StepImage>(i);
    return StepImage::Off;
}

bool CopyPageModel::Visible(StatusImage image) const {
    return status_[static_cast<std::size_t>(image)];
}

void CopyPageModel::SetVisible(StatusImage image, bool visible) {
    bool& slot = status_[static_cast<std::size_t>(image)];
    if (slot == visible) return;
    slot = visible;
    Notify();
}

StatusLook CopyPageModel::Status() const {
    if (Visible(StatusImage::Pass)) return StatusLook::Passed;
    if (Visible(StatusImage::Wait)) return StatusLook::Working;
    return StatusLook::Failed;
}

void CopyPageModel::SetBar21Visible(bool visible) {
    if (bar21_.visible == visible) return;
    bar21_.visible = visible;
    Notify();
}

void CopyPageModel::SetBar21Position(int32_t position) {
    if (bar21_.position == position) return;
    bar21_.position = position;
    Notify();
}

void CopyPageModel::SetBar21Maximum(int32_t maximum) {
    if (bar21_.maximum == maximum) return;
    bar21_.maximum = maximum;
    Notify();
}

void CopyPageModel::SetBar2Visible(bool visible) {
    if (bar2_.visible == visible) return;
    bar2_.visible = visible;
    Notify();
}

void CopyPageModel::SetBar2Position(int32_t position) {
    if (bar2_.position == position) return;
    bar2_.position = position;
    Notify();
}

void CopyPageModel::SetBar2Maximum(int32_t maximum) {
    if (bar2_.maximum == maximum) return;
    bar2_.maximum = maximum;
    Notify();
}

const CheckBoxState& CopyPageModel::Box(CopyCheckBox box) const {
    return boxes_[static_cast<std::size_t>(box)];
}

void CopyPageModel::SetChecked(CopyCheckBox box, bool checked) {
    bool& slot = boxes_[static_cast<std::size_t>(box)].checked;
    if (slot == checked) return;
    slot = checked;
    Notify();
}

void CopyPageModel::SetBoxEnabled(CopyCheckBox box, bool enabled) {
    bool& slot = boxes_[static_cast<std::size_t>(box)].enabled;
    if (slot == enabled) return;
    slot = enabled;
    Notify();
}

bool CopyPageModel::Enabled(CopyControl control) const {
    return enabled_[static_cast<std::size_t>(control)];
}

void CopyPageModel::SetEnabled(CopyControl control, bool enabled) {
    bool& slot = enabled_[static_cast<std::size_t>(control)];
    if (slot == enabled) return;
    slot = enabled;
    Notify();
}

void CopyPageModel::SetMulti(bool visible) {
    if (multi_ == visible) return;
    multi_ = visible;
    Notify();
}

void CopyPageModel::SetMultiHint(bool visible) {
    if (multiHint_ == visible) return;
    multiHint_ = visible;
    Notify();
}

std::vector<std::string> CopyPageModel::VisibleImageNames(CopyStep step) const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kStepImageCount; ++i)
        if (images_[Index(step)][i]) names.push_back(StepImageName(step, static_cast<StepImage>(i)));
    return names;
}

}  // namespace burnmark
