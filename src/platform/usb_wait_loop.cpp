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

UsbWaitLoop::Outcome UsbWaitLoop::Wait(const Transfer& transfer,
                                       std::chrono::milliseconds timeout) {
    using std::chrono::milliseconds;
    const auto start = clock_();
    auto deadline = start + timeout;
    bool cancelled = false;

    while (!transfer.done()) {
        const auto now = clock_();
        if (now >= deadline) {
            if (cancelled) return Outcome::Abandoned;
            transfer.cancel();
            cancelled = true;
            deadline = now + kCancelGrace;
        }
        const auto left = std::chrono::ceil<milliseconds>(deadline - now);
        if (!transfer.pollOnce(std::clamp(left, milliseconds{0}, kSlice)) && !cancelled) {
            // Events that cannot be handled will not bring the completion
            // either; cancel and give it the grace to report back.
            transfer.cancel();
            cancelled = true;
            deadline = clock_() + kCancelGrace;
        }
        if (transfer.done()) break;
        CallHook();
    }
    return cancelled ? Outcome::TimedOut : Outcome::Completed;
}

}  // namespace burnmark
