#include "widgets/ui/image_stack.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include "widgets/ui/image_control.h"

namespace burnmark {

ImageStack::ImageStack(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setMouseTracking(true);
}

ImageControl* ImageStack::AddLayer(const QString& name) {
    auto* layer = new ImageControl(name, this);
    layer->setGeometry(rect());
    layer->SetInStack(true);
    // Real mouse events come to the stack; events sent to a layer pass up to it.
    layer->setAttribute(Qt::WA_TransparentForMouseEvents);
    layer->raise();
    layer->installEventFilter(this);
    layers_.push_back(layer);
    UpdateCursor();
    return layer;
}

void ImageStack::SetHandCursor(bool hand) {
    handCursor_ = hand;
    UpdateCursor();
}

void ImageStack::UpdateCursor() {
    if (handCursor_ && HoverTarget())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

bool ImageStack::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
        UpdateCursor();
    return QWidget::eventFilter(watched, event);
}

std::vector<ImageControl*> ImageStack::Layers() const {
    std::vector<ImageControl*> layers;
    for (const QPointer<ImageControl>& layer : layers_)
        if (layer) layers.push_back(layer);
    return layers;
}

ImageControl* ImageStack::HoverTarget() const {
    // The hover looks also show over a disabled picture: the Edit area's top
    // pictures are disabled so that their presses reach the picture below.
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it)
        if (*it && !(*it)->isHidden()) return *it;
    return nullptr;
}

ImageControl* ImageStack::PressTarget() const {
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it)
        if (*it && !(*it)->isHidden() && (*it)->isEnabled()) return *it;
    return nullptr;
}

SkinHost* ImageStack::Host() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* host = dynamic_cast<SkinHost*>(w)) return host;
    return nullptr;
}

void ImageStack::Send(ImageControl* layer, SkinEvent event) {
    if (!layer) return;
    if (SkinHost* host = Host()) host->SkinMouse(*layer, event);
}

void ImageStack::Hover() {
    hovered_ = true;
    if (hoverPage_) Send(hoverPage_, SkinEvent::Move);
    Send(HoverTarget(), SkinEvent::Move);
    ShowDrawnHover(true);
}

void ImageStack::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_) {
        // The pressed picture keeps the mouse until the release.
        Send(pressed_, SkinEvent::Move);
        ShowPressedLook(rect().contains(event->position().toPoint()));
        return;
    }
    if (!HoverTarget()) {
        // A picture that its hover hid keeps the mouse until the pointer
        // leaves, so that the page below does not show it again at once; a
        // stack of hidden pictures lets the mouse through to the page.
        if (!hovered_) event->ignore();
        return;
    }
    Hover();
}

void ImageStack::mousePressEvent(QMouseEvent* event) {
    if (pressed_) return;  // a second button while the first is held
    // A touch or a pen may press without a hover first: the hover comes now.
    if (!hovered_ && HoverTarget()) Hover();
    ImageControl* target = PressTarget();
    if (!target) {
        if (!hovered_) event->ignore();
        return;
    }
    pressed_ = target;
    pressButton_ = event->button();
    ShowDrawnHover(false);
    Send(target, SkinEvent::Down);
    ShowPressedLook(true);
}

void ImageStack::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_ || event->button() != pressButton_) return;
    QPointer<ImageControl> layer = pressed_;
    const bool inside = rect().contains(event->position().toPoint());
    EndPress();
    Send(layer, SkinEvent::Up);
    if (inside && event->button() == Qt::LeftButton && layer) Click(layer);
}

void ImageStack::Click(ImageControl* layer) {
    QPointer<ImageStack> self(this);
    // A copy: the click may set a new command or close the window.
    const std::function<void()> run = layer->Click() ? layer->Click() : command_;
    if (run) run();
    if (self) ShowDrawnHover(underMouse());
}

void ImageStack::EndPress() {
    ShowPressedLook(false);
    pressed_ = nullptr;
    pressButton_ = Qt::NoButton;
}

void ImageStack::ShowPressedLook(bool inside) {
    for (const QPointer<ImageControl>& layer : layers_)
        if (layer) layer->SetPressedLook(inside && layer == pressed_ && !layer->isHidden());
}

void ImageStack::ShowDrawnHover(bool over) {
    if (!drawnHover_) return;
    ImageControl* target = over && !pressed_ ? HoverTarget() : nullptr;
    const bool clickable = target && target->isEnabled() && (target->Click() || command_);
    for (const QPointer<ImageControl>& layer : layers_)
        if (layer) layer->SetHotLook(clickable && layer == target);
}

void ImageStack::leaveEvent(QEvent* event) {
    hovered_ = false;
    ShowDrawnHover(false);
    QWidget::leaveEvent(event);
}

void ImageStack::changeEvent(QEvent* event) {
    // Disabled or hidden while held: no release will come, so the look is
    // restored now and nothing runs.
    if (event->type() == QEvent::EnabledChange && !isEnabled() && pressed_) {
        QPointer<ImageControl> layer = pressed_;
        EndPress();
        Send(layer, SkinEvent::Up);
    }
    if (event->type() == QEvent::EnabledChange) ShowDrawnHover(false);
    QWidget::changeEvent(event);
}

bool ImageStack::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTip: {
            // The hint of the picture that shows, else of the stack's one hinted picture.
            QString hint;
            if (ImageControl* top = HoverTarget()) hint = top->toolTip();
            for (auto it = layers_.rbegin(); hint.isEmpty() && it != layers_.rend(); ++it)
                if (*it) hint = (*it)->toolTip();
            if (hint.isEmpty()) {
                QToolTip::hideText();
                event->ignore();
            } else {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), hint, this);
            }
            return true;
        }
        case QEvent::Resize:
            for (const QPointer<ImageControl>& layer : layers_)
                if (layer) layer->setGeometry(rect());
            break;
        case QEvent::Hide:
            if (pressed_) {
                QPointer<ImageControl> layer = pressed_;
                EndPress();
                Send(layer, SkinEvent::Up);
            }
            hovered_ = false;
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

}  // namespace burnmark
