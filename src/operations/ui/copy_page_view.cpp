#include "operations/ui/copy_page_view.h"

#include <QCheckBox>
#include <QFrame>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

#include "operations/ui/step_pictures.h"
#include "widgets/ui/image_control.h"
#include "widgets/ui/image_stack.h"

namespace burnmark {

namespace {

constexpr std::array<const char*, kCopyStepCount> kPanelNames = {
    "CopyEraseBtn", "CopyCheckBtn", "CopyProgramBtn", "CopyVerifyBtn", "CopySecurityBtn",
    "CopyReadBtn",  "CopyConfirmBtn", "CopyTypeBtn",  "Panel7",        "Panel8",
    "Panel9",
};

constexpr StatusImage kStatusImages[] = {StatusImage::Fail, StatusImage::Wait, StatusImage::Pass};
constexpr const char* kStatusNames[] = {"Fail", "Wait", "Pass"};

std::size_t Index(CopyStep step) { return static_cast<std::size_t>(step); }
std::size_t Index(StepImage image) { return static_cast<std::size_t>(image); }

template <typename T>
T* Find(QWidget& root, const char* name) {
    return root.findChild<T*>(QString::fromLatin1(name));
}

void ShowBar(QProgressBar* bar, const ProgressBarState& state) {
    // A range of 0 to 0 would turn the bar into a busy indicator.
    const int maximum = std::max(1, state.maximum);
    bar->setRange(0, maximum);
    bar->setValue(std::clamp(state.position, 0, maximum));
}

}  // namespace

const char* StepPanelName(CopyStep step) { return kPanelNames[Index(step)]; }

CopyPageController::CopyPageController(QWidget& root, CopyPageModel& model,
                                       CopyPageHandlers handlers)
    : root_(root), model_(model), handlers_(std::move(handlers)) {
    for (std::size_t s = 0; s < kCopyStepCount; ++s) BuildStep(static_cast<CopyStep>(s));

    if (auto* panel = Find<QFrame>(root_, "StatusPanel")) panel->setFrameShape(QFrame::NoFrame);
    for (std::size_t i = 0; i < 3; ++i) {
        ImageControl* image = Find<ImageControl>(root_, kStatusNames[i]);
        if (!image) continue;
        const StatusImage which = kStatusImages[i];
        image->SetPicture(
            [which](QSize size, qreal dpr) { return StatusPicture(which, size, dpr); });
        status_[static_cast<std::size_t>(kStatusImages[i])] = image;
    }

    bar21_ = Find<QProgressBar>(root_, "ProgressBar21");
    bar2_ = Find<QProgressBar>(root_, "ProgressBar2");
    for (std::size_t b = 0; b < kCopyCheckBoxCount; ++b) {
        QCheckBox* box = Find<QCheckBox>(root_, CopyCheckBoxName(static_cast<CopyCheckBox>(b)));
        boxes_[b] = box;
        if (!box) continue;
        // The operator's ticks (and the restore's) are the model's ticks.
        connect(box, &QCheckBox::toggled, this, [this, b](bool checked) {
            if (!rendering_) model_.SetChecked(static_cast<CopyCheckBox>(b), checked);
        });
    }
    for (std::size_t c = 0; c < kCopyControlCount; ++c)
        controls_[c] = Find<QWidget>(root_, CopyControlName(static_cast<CopyControl>(c)));
    multi_ = Find<QWidget>(root_, "Multi");
    multiHint_ = Find<QWidget>(root_, "Multi_Hint");
    // The skin's hover of the "Device Parameter" pictures goes through the
    // model as well.
    if (auto* multi = qobject_cast<ImageControl*>(multi_.data()))
        multi->SetVisibilitySink([this](bool visible) { model_.SetMulti(visible); });
    if (auto* hint = qobject_cast<ImageControl*>(multiHint_.data()))
        hint->SetVisibilitySink([this](bool visible) { model_.SetMultiHint(visible); });

    // The form's own ticks and its "Device Parameter" picture stand as they are.
    model_.SetView(nullptr);
    TakeTicksFromBoxes();
    if (multi_) model_.SetMulti(!multi_->isHidden());
    if (multiHint_) model_.SetMultiHint(!multiHint_->isHidden());
    model_.SetView(this);
    Render();
}

CopyPageController::~CopyPageController() {
    model_.SetView(nullptr);
    // The pictures may outlive the controller; they hide and show themselves again.
    for (auto& step : pictures_)
        for (QPointer<ImageControl>& picture : step)
            if (picture) picture->SetVisibilitySink({});
    for (QWidget* w : {multi_.data(), multiHint_.data()})
        if (auto* image = qobject_cast<ImageControl*>(w)) image->SetVisibilitySink({});
}

void CopyPageController::BuildStep(CopyStep step) {
    auto* panel = Find<QWidget>(root_, StepPanelName(step));
    if (!panel) return;
    if (auto* frame = qobject_cast<QFrame*>(panel)) frame->setFrameShape(QFrame::NoFrame);
    auto* stack =
        new ImageStack(QString::fromLatin1(StepName(step)) + QStringLiteral("_Stack"), panel);
    stack->setGeometry(0, 0, panel->width(), panel->height());
    stack->SetHandCursor(true);

    const std::size_t s = Index(step);
    // The operation steps have no hover pictures of their own: the stack draws
    // the highlight. The source steps show their _h picture through the skin.
    const bool sourceStep = !StepHasImage(step, StepImage::Pass);
    stack->SetDrawnHover(!sourceStep);
    if (!sourceStep) stack->SetHoverPage(Find<ImageControl>(root_, "Copy_Page"));
    // Added bottom to top, so that the later ones lie over the earlier ones.
    for (std::size_t i = 0; i < kStepImageCount; ++i) {
        const auto image = static_cast<StepImage>(i);
        if (!StepHasImage(step, image)) continue;
        ImageControl* picture = stack->AddLayer(QString::fromStdString(StepImageName(step, image)));
        picture->SetPicture(
            [step, image](QSize size, qreal dpr) { return StepPicture(step, image, size, dpr); });
        // The skin's hover hides and shows them through the model, so that a
        // step that shows a picture again is not undone by what the page shows.
        picture->SetVisibilitySink(
            [this, step, image](bool visible) { model_.SetVisible(step, image, visible); });
        pictures_[s][i] = picture;

        // A source step answers on its highlight picture as on its ready one.
        if (image == StepImage::Ready || (sourceStep && image == StepImage::Highlight)) {
            picture->SetClick([this, s] {
                if (handlers_[s].ready) handlers_[s].ready();
            });
        } else if (image == StepImage::Pass || image == StepImage::Fail) {
            const bool fail = image == StepImage::Fail;
            picture->SetClick([this, s, fail] {
                const CopyStepHandlers& h = handlers_[s];
                if (fail && h.failed)
                    h.failed();
                else if (h.rerun)
                    h.rerun();
            });
        }
    }
}

void CopyPageController::TakeTicksFromBoxes() {
    for (std::size_t b = 0; b < kCopyCheckBoxCount; ++b) {
        if (!boxes_[b]) continue;
        const auto box = static_cast<CopyCheckBox>(b);
        model_.SetChecked(box, boxes_[b]->isChecked());
        model_.SetBoxEnabled(box, boxes_[b]->isEnabledTo(boxes_[b]->parentWidget()));
    }
}

ImageControl* CopyPageController::Picture(CopyStep step, StepImage image) const {
    return pictures_[Index(step)][Index(image)];
}

ImageControl* CopyPageController::Status(StatusImage image) const {
    return status_[static_cast<std::size_t>(image)];
}

void CopyPageController::Changed() {
    // A change made while the page writes a control (a tick box's signal)
    // is shown by the pass that is running.
    if (!rendering_) Render();
}

void CopyPageController::Render() {
    rendering_ = true;
    for (std::size_t s = 0; s < kCopyStepCount; ++s) {
        for (std::size_t i = 0; i < kStepImageCount; ++i) {
            ImageControl* picture = pictures_[s][i];
            if (!picture) continue;
            const bool visible = model_.Visible(static_cast<CopyStep>(s), static_cast<StepImage>(i));
            if (shownPictures_[s][i].Differs(visible)) picture->setVisible(visible);
        }
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const bool visible = model_.Visible(static_cast<StatusImage>(i));
        if (status_[i] && shownStatus_[i].Differs(visible)) status_[i]->setVisible(visible);
    }

    const ProgressBarState& bar21 = model_.ProgressBar21();
    const ProgressBarState& bar2 = model_.ProgressBar2();
    if (bar21_) {
        if (shownBar21Visible_.Differs(bar21.visible)) bar21_->setVisible(bar21.visible);
        if (shownBar21_.Differs({bar21.position, bar21.maximum})) ShowBar(bar21_, bar21);
    }
    if (bar2_) {
        if (shownBar2Visible_.Differs(bar2.visible)) bar2_->setVisible(bar2.visible);
        if (shownBar2_.Differs({bar2.position, bar2.maximum})) ShowBar(bar2_, bar2);
    }

    for (std::size_t b = 0; b < kCopyCheckBoxCount; ++b) {
        if (!boxes_[b]) continue;
        const CheckBoxState& state = model_.Box(static_cast<CopyCheckBox>(b));
        if (shownChecked_[b].Differs(state.checked)) boxes_[b]->setChecked(state.checked);
        if (shownBoxEnabled_[b].Differs(state.enabled)) boxes_[b]->setEnabled(state.enabled);
    }
    for (std::size_t c = 0; c < kCopyControlCount; ++c) {
        const bool enabled = model_.Enabled(static_cast<CopyControl>(c));
        if (controls_[c] && shownEnabled_[c].Differs(enabled)) controls_[c]->setEnabled(enabled);
    }
    if (multi_ && shownMulti_.Differs(model_.MultiVisible())) multi_->setVisible(model_.MultiVisible());
    if (multiHint_ && shownMultiHint_.Differs(model_.MultiHintVisible()))
        multiHint_->setVisible(model_.MultiHintVisible());
    rendering_ = false;
}

}  // namespace burnmark
