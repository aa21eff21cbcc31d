// The program's busy state: while an operation, a load or the automatic run
// is going, every command but Stop is disabled and Exit is refused, so that
// no click starts a second operation or frees a buffer under a running one.
// Scopes nest; the window is told when the state changes.
#pragma once

#include <functional>

namespace burnmark {

class BusyState {
public:
    bool Busy() const { return depth_ > 0; }

    void Enter() {
        if (depth_++ == 0 && OnChange) OnChange(true);
    }
    // An unbalanced leave does nothing.
    void Leave() {
        if (depth_ == 0) return;
        if (--depth_ == 0 && OnChange) OnChange(false);
    }

    // Called with true when the program becomes busy, false when it is free again.
    std::function<void(bool)> OnChange;

private:
    int depth_ = 0;
};

// Holds the program busy for one scope and lets it go on every way out.
class BusyScope {
public:
    explicit BusyScope(BusyState& state) : state_(state) { state_.Enter(); }
    ~BusyScope() { state_.Leave(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyState& state_;
};

}  // namespace burnmark
