// Waits for one asynchronous USB transfer in short slices, so that the caller
// can keep its window alive between them (the wait hook). The loop owns the
// transfer's time-out: when it runs out the transfer is cancelled, and the
// loop still waits for the completion, because a transfer may be freed only
// after its completion has been seen. A wait that Stop may end is cancelled
// in the same way once the operator has pressed Stop during it.
#pragma once

#include <chrono>
#include <functional>

namespace burnmark {

class UsbWaitLoop {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Short enough that the window repaints smoothly, long enough not to spin.
    static constexpr std::chrono::milliseconds kSlice{20};
    // How long a cancelled transfer may take to report back. The kernel
    // answers a cancel at once; a transfer that stays silent is lost.
    static constexpr std::chrono::milliseconds kCancelGrace{2000};

    // The transfer in flight, as the loop sees it.
    struct Transfer {
        // True once the completion has been seen.
        std::function<bool()> done;
        // Handles events for at most the given time; false when event
        // handling itself failed.
        std::function<bool(std::chrono::milliseconds)> pollOnce;
        // Asks for the transfer to end early; its completion still follows.
        std::function<void()> cancel;
    };

    enum class Outcome {
        Completed,  // done within the time-out
        TimedOut,   // cancelled (time-out or failed event handling), then done
        Stopped,    // cancelled for Stop, then done
        Abandoned,  // cancelled, and no completion came: never free the transfer
    };

    // How often the operator has asked to stop so far; it only ever grows.
    using StopCount = std::function<unsigned long long()>;

    explicit UsbWaitLoop(Clock clock = std::chrono::steady_clock::now);

    // Called between slices; empty for a plain wait. A wait that starts while
    // the hook runs (a transfer made from inside it) does not call it again.
    void SetHook(std::function<void()> hook) { hook_ = std::move(hook); }
    // Asked between the slices of a stoppable wait: when the count has grown
    // since the wait began, the transfer is cancelled. Empty: Stop ends no wait.
    void SetStopCount(StopCount count) { stopCount_ = std::move(count); }
    // How long a cancelled transfer is given to report back (kCancelGrace).
    void SetCancelGrace(std::chrono::milliseconds grace) { grace_ = grace; }

    Outcome Wait(const Transfer& transfer, std::chrono::milliseconds timeout,
                 bool stoppable = false);

private:
    void CallHook();

    Clock clock_;
    std::function<void()> hook_;
    StopCount stopCount_;
    std::chrono::milliseconds grace_ = kCancelGrace;
    bool inHook_ = false;
};

}  // namespace burnmark
