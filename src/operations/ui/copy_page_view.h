// The Copy page on the screen: a controller over the main window's Copy-page
// controls that shows a CopyPageModel. It fills each step panel with its
// stack of pictures (bottom to top _o, _f, _p, _w, _h, _n, named as the
// operations name them), draws the Pass, Wait and Fail pictures, and after
// every change of the model shows the pictures, progress bars, tick boxes and
// panels as the model holds them. Clicks on a step's ready picture (and on a
// source step's highlight picture) and on its pass or fail picture go to the
// handlers given.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QObject>
#include <QPointer>

#include "operations/copy_page_model.h"

class QCheckBox;
class QProgressBar;
class QWidget;

namespace burnmark {

class ImageControl;

// What the clicks on one step's pictures start. An empty function does nothing.
struct CopyStepHandlers {
    std::function<void()> ready;  // the ready picture (_n); a source step's _h too
    std::function<void()> rerun;  // the pass and fail pictures (_p, _f)
    std::function<void()> failed;  // the fail picture (_f) when it differs from rerun
};
using CopyPageHandlers = std::array<CopyStepHandlers, kCopyStepCount>;

// The panel that holds a step's pictures: "CopyEraseBtn", ..., "CopyTypeBtn",
// "Panel7" (Load), "Panel8" (Save), "Panel9" (Edit).
const char* StepPanelName(CopyStep step);

class CopyPageController : public QObject, public CopyPageView {
    Q_OBJECT

public:
    // root holds the Copy page's controls under their names; controls it lacks
    // are left out. The tick boxes' current ticks and the "Device Parameter"
    // picture's visibility are taken into the model; everything else shows as
    // the model holds it. Registers itself as the model's view.
    CopyPageController(QWidget& root, CopyPageModel& model, CopyPageHandlers handlers = {});
    ~CopyPageController() override;
    CopyPageController(const CopyPageController&) = delete;
    CopyPageController& operator=(const CopyPageController&) = delete;

    void SetHandlers(CopyPageHandlers handlers) { handlers_ = std::move(handlers); }

    // CopyPageView: shows what changed since the last time.
    void Changed() override;

    ImageControl* Picture(CopyStep step, StepImage image) const;
    ImageControl* Status(StatusImage image) const;

private:
    // Each control is written only when the model's value for it changed, so
    // that the page switches and the skin's hover, which also hide and show
    // some of them, are not undone by an unrelated change.
    template <typename T>
    struct Shown {
        std::optional<T> last;
        bool Differs(const T& now) {
            if (last && *last == now) return false;
            last = now;
            return true;
        }
    };

    void BuildStep(CopyStep step);
    void Render();
    void TakeTicksFromBoxes();

    QWidget& root_;
    CopyPageModel& model_;
    CopyPageHandlers handlers_;
    bool rendering_ = false;

    std::array<std::array<QPointer<ImageControl>, kStepImageCount>, kCopyStepCount> pictures_{};
    std::array<QPointer<ImageControl>, 3> status_{};
    QPointer<QProgressBar> bar21_;
    QPointer<QProgressBar> bar2_;
    std::array<QPointer<QCheckBox>, kCopyCheckBoxCount> boxes_{};
    std::array<QPointer<QWidget>, kCopyControlCount> controls_{};
    QPointer<QWidget> multi_;
    QPointer<QWidget> multiHint_;

    std::array<std::array<Shown<bool>, kStepImageCount>, kCopyStepCount> shownPictures_{};
    std::array<Shown<bool>, 3> shownStatus_{};
    Shown<bool> shownBar21Visible_, shownBar2Visible_;
    Shown<std::pair<int, int>> shownBar21_, shownBar2_;
    std::array<Shown<bool>, kCopyCheckBoxCount> shownChecked_{}, shownBoxEnabled_{};
    std::array<Shown<bool>, kCopyControlCount> shownEnabled_{};
    Shown<bool> shownMulti_, shownMultiHint_;
};

}  // namespace burnmark
