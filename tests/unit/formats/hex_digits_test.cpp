// The hex pair decoding every reader and probe runs over its record data,
// against a plain decoding, with every character in every place of a run long
// enough for the wide path and its tail.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "buffer/formats/record_scan.h"

namespace burnmark {
namespace {

// The bytes of the pairs, or nothing when a character is no hex digit.
bool Plain(const std::string& text, std::vector<uint8_t>& bytes, unsigned& sum) {
    bytes.clear();
    sum = 0;
    for (std::size_t k = 0; k + 1 < text.size(); k += 2) {
        if (!std::isxdigit(static_cast<unsigned char>(text[k])) ||
            !std::isxdigit(static_cast<unsigned char>(text[k + 1])))
            return false;
        bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(k, 2), nullptr, 16)));
        sum += bytes.back();
    }
    return true;
}

TEST(HexDigits, DecodesAndRefusesAsThePlainDecodingDoes) {
    // 21 bytes: one wide run of 16 and a tail of 5.
    const std::string run = "0123456789abcdefABCDEF00fF9aA0c3e5D7b1Ff";
    ASSERT_EQ(run.size() % 2, 0u);
    const int count = static_cast<int>(run.size() / 2);
    for (const std::size_t at : {std::size_t{0}, std::size_t{7}, std::size_t{15}, std::size_t{16},
                                 std::size_t{31}, std::size_t{32}, run.size() - 1}) {
        for (int c = 0; c < 256; ++c) {
            std::string text = run;
            text[at] = static_cast<char>(c);
            const auto* p = reinterpret_cast<const uint8_t*>(text.data());
            std::vector<uint8_t> expected;
            unsigned expectedSum = 0;
            const bool good = Plain(text, expected, expectedSum);

            std::vector<uint8_t> stored(count);
            unsigned sum = 7, summed = 7;
            ASSERT_EQ(hex::StoreBytes(p, count, stored.data(), sum), good) << at << " " << c;
            ASSERT_EQ(hex::SumBytes(p, count, summed), good) << at << " " << c;
            ASSERT_EQ(hex::AllDigits(p, text.size()), good) << at << " " << c;
            if (!good) continue;
            ASSERT_EQ(stored, expected) << at << " " << c;
            ASSERT_EQ(sum, 7 + expectedSum) << at << " " << c;
            ASSERT_EQ(summed, 7 + expectedSum) << at << " " << c;
        }
    }
}

}  // namespace
}  // namespace burnmark
