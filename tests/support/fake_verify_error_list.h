// A recording fake of the verify-error list, for the compare tests: every call
// in order, with its arguments, so a test can assert on exactly what a compare
// listed and when it brought the window up.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "operations/verify_error_list.h"

namespace burnmark::testing {

struct VerifyListCall {
    enum class Kind { Show, Reset, Row, Pair };
    Kind kind = Kind::Show;
    int32_t index = 0;
    uint32_t bufferAddress = 0;
    uint32_t chipAddress = 0;
    int width = 0;  // 8 or 16 as given to AddVerifyError; 16 for a pair
    // Row: the values as given. Pair: high byte << 8 | low byte.
    uint16_t bufferValue = 0;
    uint16_t chipValue = 0;

    static VerifyListCall Show() { return {Kind::Show}; }
    static VerifyListCall Reset() { return {Kind::Reset}; }
    static VerifyListCall Row(int32_t index, uint32_t bufferAddress, int width, uint16_t chipValue,
                              uint32_t chipAddress, uint16_t bufferValue) {
        return {Kind::Row, index, bufferAddress, chipAddress, width, bufferValue, chipValue};
    }
    static VerifyListCall Pair(int32_t index, uint32_t bufferAddress, uint32_t chipAddress,
                               uint16_t bufferWord, uint16_t chipWord) {
        return {Kind::Pair, index, bufferAddress, chipAddress, 16, bufferWord, chipWord};
    }

    friend bool operator==(const VerifyListCall&, const VerifyListCall&) = default;
    friend void PrintTo(const VerifyListCall& call, std::ostream* out) {
        static const char* const kKinds[] = {"show", "reset", "row", "pair"};
        *out << kKinds[static_cast<int>(call.kind)];
        if (call.kind == Kind::Row || call.kind == Kind::Pair)
            *out << std::hex << std::uppercase << " #" << std::dec << call.index << std::hex
                 << " buffer " << call.bufferAddress << "=" << call.bufferValue << " chip "
                 << call.chipAddress << "=" << call.chipValue << " width " << std::dec
                 << call.width;
    }
};

class FakeVerifyErrorList : public VerifyErrorList {
public:
    void Show() override { calls.push_back(VerifyListCall::Show()); }
    void ResetList() override { calls.push_back(VerifyListCall::Reset()); }
    bool AddVerifyError(int32_t index, uint32_t bufferAddress, int width, uint16_t chipValue,
                        uint32_t chipAddress, uint16_t bufferValue) override {
        calls.push_back(
            VerifyListCall::Row(index, bufferAddress, width, chipValue, chipAddress, bufferValue));
        return Listed(index) && (width == 8 || width == 16);
    }
    bool AddVerifyErrorPair(int32_t index, uint32_t bufferAddress, uint32_t chipAddress,
                            uint8_t bufferHigh, uint8_t bufferLow, uint8_t chipHigh,
                            uint8_t chipLow) override {
        calls.push_back(VerifyListCall::Pair(index, bufferAddress, chipAddress,
                                             static_cast<uint16_t>(bufferHigh << 8 | bufferLow),
                                             static_cast<uint16_t>(chipHigh << 8 | chipLow)));
        return Listed(index);
    }

    // The rows and pairs alone, in order.
    std::vector<VerifyListCall> Rows() const {
        std::vector<VerifyListCall> rows;
        for (const VerifyListCall& call : calls)
            if (call.kind == VerifyListCall::Kind::Row || call.kind == VerifyListCall::Kind::Pair)
                rows.push_back(call);
        return rows;
    }
    int Count(VerifyListCall::Kind kind) const {
        int n = 0;
        for (const VerifyListCall& call : calls) n += call.kind == kind;
        return n;
    }
    void Clear() { calls.clear(); }

    std::vector<VerifyListCall> calls;

private:
    static bool Listed(int32_t index) { return index >= 0 && index < kVerifyErrorRows; }
};

}  // namespace burnmark::testing
