// The list of differences that the read-back compares fill when the operator
// asked for every difference to be listed. The verify-error list window
// implements it (through its VerifyErrorListModel); tests use a recording fake.
#pragma once

#include <cstdint>

namespace burnmark {

// Rows 0 to 255: a compare's later differences are counted but not listed.
inline constexpr int kVerifyErrorRows = 256;

class VerifyErrorList {
public:
    virtual ~VerifyErrorList() = default;

    // Brings the window up for the compare that is listing. Call it before a
    // row; the first call of a compare shows and raises the window, the rest
    // of that compare's calls change nothing.
    virtual void Show() = 0;

    // The main-area compare's list reset before it compares: the selection back
    // on the first row, every row and the bit view emptied, and the next row
    // added is selected and shown bit by bit.
    virtual void ResetList() = 0;

    // One difference as single values: width 8 lists 2 hexadecimal digits per
    // value (the low byte), width 16 lists 4. Refused (false, nothing written)
    // for an index outside 0 .. kVerifyErrorRows - 1 or another width.
    virtual bool AddVerifyError(int32_t index, uint32_t bufferAddress, int width,
                                uint16_t chipValue, uint32_t chipAddress, uint16_t bufferValue) = 0;

    // One differing 16-bit word from its bytes, high byte listed first. The
    // addresses are word addresses. Refused as AddVerifyError.
    virtual bool AddVerifyErrorPair(int32_t index, uint32_t bufferAddress, uint32_t chipAddress,
                                    uint8_t bufferHigh, uint8_t bufferLow, uint8_t chipHigh,
                                    uint8_t chipLow) = 0;
};

}  // namespace burnmark
