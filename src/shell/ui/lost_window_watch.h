// Another X client may destroy the program's window (XDestroyWindow, as some
// "kill window" tools do) without asking it to close. Qt reports nothing of
// it and the program would go on without a window; this watch tells the
// window's owner, so that it can end the program as a close would.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace burnmark {

// True for an X11 DestroyNotify of `window` as Qt's xcb connection hands it
// to the native event filters.
bool IsX11DestroyOf(const QByteArray& eventType, const void* message, uint32_t window);

class LostWindowWatch : public QAbstractNativeEventFilter {
public:
    // Installed on the application while it lives; `lost` runs from the event
    // loop, after the event that told of the loss.
    LostWindowWatch(QWidget& window, std::function<void()> lost);
    ~LostWindowWatch() override;
    LostWindowWatch(const LostWindowWatch&) = delete;
    LostWindowWatch& operator=(const LostWindowWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QPointer<QWidget> window_;
    std::function<void()> lost_;
};

}  // namespace burnmark
