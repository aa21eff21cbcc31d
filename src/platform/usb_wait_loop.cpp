#include "platform/usb_wait_loop.h"

#include <algorithm>

namespace burnmark {

UsbWaitLoop::UsbWaitLoop(Clock clock) : clock_(std::move(clock)) {}

void UsbWaitLoop::CallHook() {
    if (!hook_ || inHook_) return;
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(inHook_);
    hook_();
}

UsbWaitLoop::Outcome UsbWaitLoop::Wait(const Transfer& transfer, std::chrono::milliseconds timeout,
                                       bool stoppable) {
    using std::chrono::milliseconds;
    const auto start = clock_();
    auto deadline = start + timeout;
    bool cancelled = false;
    bool stopped = false;
    // Only a press during this wait counts; an earlier one stopped something else.
    const bool stopLive = stoppable && static_cast<bool>(stopCount_);
    const unsigned long long stopsBefore = stopLive ? stopCount_() : 0;
    auto cancel = [&](std::chrono::steady_clock::time_point now) {
        transfer.cancel();
        cancelled = true;
        deadline = now + grace_;
    };

    while (!transfer.done()) {
        const auto now = clock_();
        if (now >= deadline) {
            if (cancelled) return Outcome::Abandoned;
            cancel(now);
        }
        const auto left = std::chrono::ceil<milliseconds>(deadline - now);
        if (!transfer.pollOnce(std::clamp(left, milliseconds{0}, kSlice)) && !cancelled) {
            // Events that cannot be handled will not bring the completion
            // either; cancel and give it the grace to report back.
            cancel(clock_());
        }
        if (transfer.done()) break;
        CallHook();
        if (stopLive && !cancelled && stopCount_() != stopsBefore) {
            stopped = true;
            cancel(clock_());
        }
    }
    if (stopped) return Outcome::Stopped;
    return cancelled ? Outcome::TimedOut : Outcome::Completed;
}

}  // namespace burnmark
