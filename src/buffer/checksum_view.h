// The Copy page's checksum field (SumEdit) as the core sees it, and the one
// routine that shows a sum in it: 8 upper-case hex digits, red when the value
// differs from the one shown before (LastChecksum), the window-text colour
// when it is the same. The buffer sum, the programmer's checksum and the fuse
// checksum all go through it.
#pragma once

#include <cstdint>
#include <string>

namespace burnmark {

class DataBuffer;

// The colour side of the rule, as the buffer's byte sum uses it: the sum
// colours the field, the caller sets the text.
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
// remembered; the same value again gives the normal colour.
inline void ApplyChecksumColour(ChecksumView& view, uint32_t value) {
    if (value != view.LastChecksum()) {
        view.SetChecksumHighlight(true);
        view.SetLastChecksum(value);
    } else {
        view.SetChecksumHighlight(false);
    }
}

// The field itself; the window implements it.
class ChecksumField {
public:
    virtual ~ChecksumField() = default;
    virtual void SetSumText(const std::string& text) = 0;
    virtual void SetSumHighlight(bool changed) = 0;
};

class ChecksumDisplay : public ChecksumView {
public:
    // Without a field nothing is drawn, but LastChecksum still follows.
    void SetField(ChecksumField* field) { field_ = field; }

    // The value as 8 hex digits, with the colour rule applied once.
    void ShowChecksum(uint32_t value);
    // The value as 8 hex digits; the colour and LastChecksum stay as they are.
    void ShowChecksumText(uint32_t value);
    // The buffer's byte sum over [start, end] (GetSum with its own rules and
    // its "SUM" box when show is 1), then its text. False when the sum was
    // refused; the field is left as it was.
    bool ShowBufferSum(DataBuffer& buffer, uint32_t start, uint32_t end, int32_t show);
    // The same over exactly start..end inclusive (the Sum dialog's range).
    bool ShowRangeSum(DataBuffer& buffer, uint32_t start, uint32_t end, int32_t show);
    // A text whose colour another rule decided (the fuse map keeps its own
    // last checksum).
    void ShowText(const std::string& text, bool changed);

    // "%08X" of the value.
    static std::string Format(uint32_t value);

    uint32_t LastChecksum() const override { return lastChecksum_; }
    void SetLastChecksum(uint32_t value) override { lastChecksum_ = value; }
    void SetChecksumHighlight(bool changed) override;

private:
    ChecksumField* field_ = nullptr;
    uint32_t lastChecksum_ = 0;
};

}  // namespace burnmark
