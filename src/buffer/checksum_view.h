// The main window's checksum field as the core sees it: the value last shown
// and the field's colour. The main window implements it; the buffer sum, the
// programmer checksum and the fuse checksum all go through the same rule.
#pragma once

#include <cstdint>

namespace burnmark {

class ChecksumView {
public:
    virtual ~ChecksumView() = default;
    virtual uint32_t LastChecksum() const = 0;
    virtual void SetLastChecksum(uint32_t value) = 0;
    // true: red, the value differs from the one shown before; false: the
    // system's window-text colour.
    virtual void SetChecksumHighlight(bool changed) = 0;
};

// A value that differs from the last one shown turns the field red and is
// remembered; the same value again gives the normal colour. The caller sets
// the field's text.
inline void ApplyChecksumColour(ChecksumView& view, uint32_t value) {
    if (value != view.LastChecksum()) {
        view.SetChecksumHighlight(true);
        view.SetLastChecksum(value);
    } else {
        view.SetChecksumHighlight(false);
    }
}

}  // namespace burnmark
