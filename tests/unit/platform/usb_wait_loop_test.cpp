#include "platform/usb_wait_loop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace burnmark {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// A transfer that completes on a chosen poll, and a clock that each poll moves
// on by the slice it was given (as a blocking event wait would).
struct FakeTransfer {
    FakeTransfer(Clock::time_point& clock, int onPoll, int afterCancel = 0, bool fail = false)
        : now(clock), completeOnPoll(onPoll), completeAfterCancel(afterCancel), pollsFail(fail) {}

    Clock::time_point& now;
    int completeOnPoll;       // 0: never by itself
    int completeAfterCancel;  // polls after the cancel; 0: never
    bool pollsFail;

    bool done = false;
    int polls = 0;
    int cancels = 0;
    int pollsSinceCancel = 0;
    Clock::time_point cancelledAt{};
    std::vector<milliseconds> slices;

    UsbWaitLoop::Transfer Get() {
        return {
            [this] { return done; },
            [this](milliseconds slice) {
                slices.push_back(slice);
                now += slice;
                ++polls;
                if (cancels > 0) ++pollsSinceCancel;
                if (polls == completeOnPoll ||
                    (completeAfterCancel > 0 && pollsSinceCancel == completeAfterCancel))
                    done = true;
                return !pollsFail;
            },
            [this] {
                ++cancels;
                cancelledAt = now;
            },
        };
    }
};

struct WaitCase {
    const char* name;
    int completeOnPoll;
    int completeAfterCancel;
    bool pollsFail;
    milliseconds timeout;
    UsbWaitLoop::Outcome outcome;
    int polls;
    int hooks;
};

TEST(UsbWaitLoop, WaitsInSlicesAndCancelsOnlyAtTheTimeOut) {
    using O = UsbWaitLoop::Outcome;
    const milliseconds grace = UsbWaitLoop::kCancelGrace;
    // Given up after the three slices up to the time-out and the grace's.
    const int abandonedPolls = 3 + static_cast<int>(grace / UsbWaitLoop::kSlice);
    const WaitCase cases[] = {
        {"completes in the first slice", 1, 0, false, milliseconds{1000}, O::Completed, 1, 0},
        {"completes in the third slice", 3, 0, false, milliseconds{1000}, O::Completed, 3, 2},
        // 50 ms: slices of 20, 20 and 10, the cancel, then its completion.
        {"times out, the cancel reports back", 0, 2, false, milliseconds{50}, O::TimedOut, 5, 4},
        {"the cancel never reports back", 0, 0, false, milliseconds{50}, O::Abandoned,
         abandonedPolls, abandonedPolls},
        {"failed event handling cancels at once", 0, 1, true, milliseconds{1000}, O::TimedOut, 2,
         1},
    };
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(c.name);
        Clock::time_point now{};
        const Clock::time_point start = now;
        UsbWaitLoop loop([&now] { return now; });
        FakeTransfer fake{now, c.completeOnPoll, c.completeAfterCancel, c.pollsFail};
        int hooks = 0;
        loop.SetHook([&] {
            ++hooks;
            EXPECT_FALSE(fake.done) << "the hook runs only while the transfer waits";
        });

        EXPECT_EQ(loop.Wait(fake.Get(), c.timeout), c.outcome);
        EXPECT_EQ(fake.polls, c.polls);
        EXPECT_EQ(hooks, c.hooks);
        // Never returned before the completion unless the transfer is given up.
        EXPECT_EQ(fake.done, c.outcome != O::Abandoned);
        for (milliseconds slice : fake.slices) {
            EXPECT_GT(slice, milliseconds{0});
            EXPECT_LE(slice, UsbWaitLoop::kSlice);
        }
        EXPECT_EQ(fake.cancels, c.outcome == O::Completed ? 0 : 1);
        if (c.outcome != O::Completed && !c.pollsFail) {
            EXPECT_EQ(fake.cancelledAt - start, c.timeout);
        }
        if (c.outcome == O::Abandoned) {
            EXPECT_EQ(now - start, c.timeout + grace);
        }
    }
}

TEST(UsbWaitLoop, StopEndsOnlyAStoppableWaitAndOnlyForAPressDuringIt) {
    using O = UsbWaitLoop::Outcome;
    struct Case {
        const char* name;
        bool stoppable;
        int pressesBefore;  // Stop presses counted before the wait
        int pressAtHook;    // the hook call at which Stop is pressed; 0: none
        O outcome;
        int polls;
    };
    // The transfer does not end by itself; its cancel reports back at the next poll.
    // 100 ms are five slices, then the cancel's poll.
    const Case cases[] = {
        {"a press during the wait cancels it", true, 0, 2, O::Stopped, 3},
        {"a wait Stop may not end runs to its time-out", false, 0, 2, O::TimedOut, 6},
        {"a press before the wait began does not end it", true, 4, 0, O::TimedOut, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Clock::time_point now{};
        UsbWaitLoop loop([&now] { return now; });
        FakeTransfer fake{now, 0, 1};
        unsigned long long presses = static_cast<unsigned long long>(c.pressesBefore);
        int hooks = 0;
        loop.SetHook([&] {
            if (++hooks == c.pressAtHook) ++presses;
        });
        loop.SetStopCount([&presses] { return presses; });

        EXPECT_EQ(loop.Wait(fake.Get(), milliseconds{100}, c.stoppable), c.outcome);
        EXPECT_EQ(fake.polls, c.polls);
        EXPECT_EQ(fake.cancels, 1);
        EXPECT_TRUE(fake.done);
    }
}

TEST(UsbWaitLoop, ATransferMadeFromTheHookDoesNotCallItAgain) {
    Clock::time_point now{};
    UsbWaitLoop loop([&now] { return now; });
    FakeTransfer outer{now, 4};
    FakeTransfer nested{now, 3};
    int hooks = 0;
    int depth = 0;
    loop.SetHook([&] {
        ++hooks;
        ++depth;
        EXPECT_EQ(depth, 1) << "hook re-entered";
        if (hooks == 1) {
            EXPECT_EQ(loop.Wait(nested.Get(), milliseconds{1000}), UsbWaitLoop::Outcome::Completed);
        }
        --depth;
    });

    EXPECT_EQ(loop.Wait(outer.Get(), milliseconds{1000}), UsbWaitLoop::Outcome::Completed);
    EXPECT_EQ(nested.polls, 3);
    EXPECT_TRUE(nested.done);
    // Once the nested wait is over the outer one calls the hook again.
    EXPECT_EQ(hooks, 3);
}

TEST(UsbWaitLoop, WithoutAHookItJustWaits) {
    Clock::time_point now{};
    UsbWaitLoop loop([&now] { return now; });
    FakeTransfer fake{now, 5};
    EXPECT_EQ(loop.Wait(fake.Get(), milliseconds{1000}), UsbWaitLoop::Outcome::Completed);
    EXPECT_EQ(fake.polls, 5);
    EXPECT_EQ(now - Clock::time_point{}, 5 * UsbWaitLoop::kSlice);
}

}  // namespace
}  // namespace burnmark
