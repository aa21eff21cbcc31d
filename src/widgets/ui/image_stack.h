// A picture button: a stack of pictures in one place, of which the topmost
// visible one shows. The stack keeps the mouse itself: a picture that hides
// itself on a press would never get its release in Qt, and a disabled one
// would hand the press to its parent rather than to the picture below it.
//
// A move goes to the topmost visible picture; a press to the topmost visible
// and enabled one, and the release and the click to that same picture. Each
// goes to the skin's handler of that picture (through the window the stack
// lies on). A click runs the picture's own click, or else the stack's command;
// a press dragged off and released outside runs the release handler (which
// restores the look) and no click.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "widgets/skin_workers.h"
#include "widgets/ui/image_control.h"

namespace burnmark {

// The window whose skin handles the mouse of the stacks lying on it.
class SkinHost {
public:
    virtual ~SkinHost() = default;
    // Runs the skin's handler of the picture for the event; false when it has none.
    virtual bool SkinMouse(ImageControl& layer, SkinEvent event) = 0;
};

class ImageStack : public QWidget {
    Q_OBJECT

public:
    explicit ImageStack(const QString& name, QWidget* parent = nullptr);

    // A picture on top of those before, filling the stack.
    ImageControl* AddLayer(const QString& name);
    // Bottom to top.
    std::vector<ImageControl*> Layers() const;

    // Runs on a click on any picture that has no click of its own: a touch or
    // a pen may press without a hover first.
    void SetCommand(std::function<void()> command) { command_ = std::move(command); }
    bool HasCommand() const { return static_cast<bool>(command_); }

    // The pointing hand over the stack while one of its pictures shows; with
    // every picture hidden the stack shows the cursor of what lies below it.
    void SetHandCursor(bool hand);

    // The stack draws the highlight over its top picture while the mouse is
    // over it, for stacks that have no highlight picture of their own.
    void SetDrawnHover(bool drawn) { drawnHover_ = drawn; }
    // A stack whose pictures take no part in the skin hands its hover on as a
    // move over the page it lies on, which ends the last button's highlight
    // even when the pointer jumps straight from that button to this one.
    void SetHoverPage(ImageControl* page) { hoverPage_ = page; }

    // The picture a move or a press at this point reaches; null when none.
    ImageControl* HoverTarget() const;
    ImageControl* PressTarget() const;
    ImageControl* PressedLayer() const { return pressed_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A picture shown or hidden.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateCursor();
    void Hover();
    void Send(ImageControl* layer, SkinEvent event);
    void Click(ImageControl* layer);
    void ShowPressedLook(bool inside);
    void ShowDrawnHover(bool over);
    void EndPress();
    SkinHost* Host() const;

    std::vector<QPointer<ImageControl>> layers_;
    std::function<void()> command_;
    QPointer<ImageControl> hoverPage_;
    QPointer<ImageControl> pressed_;
    Qt::MouseButton pressButton_ = Qt::NoButton;
    bool hovered_ = false;
    bool drawnHover_ = false;
    bool handCursor_ = false;
};

}  // namespace burnmark
