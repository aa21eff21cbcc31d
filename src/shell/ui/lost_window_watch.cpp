#include "shell/ui/lost_window_watch.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstring>

namespace burnmark {

namespace {

// The X protocol's DestroyNotify as it comes off the wire: the event's code
// (its top bit set when another client sent it), then the window the event
// was reported on and the window destroyed.
constexpr uint8_t kX11DestroyNotify = 17;
struct X11DestroyNotify {
    uint8_t responseType;
    uint8_t pad;
    uint16_t sequence;
    uint32_t event;
    uint32_t window;
};

}  // namespace

bool IsX11DestroyOf(const QByteArray& eventType, const void* message, uint32_t window) {
    if (!message || window == 0 || eventType != "xcb_generic_event_t") return false;
    X11DestroyNotify event;
    std::memcpy(&event, message, sizeof event);
    return (event.responseType & 0x7F) == kX11DestroyNotify && event.window == window;
}

LostWindowWatch::LostWindowWatch(QWidget& window, std::function<void()> lost)
    : window_(&window), lost_(std::move(lost)) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installNativeEventFilter(this);
}

LostWindowWatch::~LostWindowWatch() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool LostWindowWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    // The window's id as it is, without making one for a window not shown yet.
    if (!window_ || !window_->internalWinId()) return false;
    if (!IsX11DestroyOf(eventType, message, static_cast<uint32_t>(window_->internalWinId())))
        return false;
    QTimer::singleShot(0, window_.data(), [this] {
        if (lost_) lost_();
    });
    return false;
}

}  // namespace burnmark
