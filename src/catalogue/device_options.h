// The device's option values as they travel to and from the programmer, and
// the option window's choice of listing every verify difference. One instance
// for the program; the option pages, protect, the option-type-1 load and the
// read-backs work on it.
#pragma once

#include <array>
#include <cstdint>

namespace burnmark {

inline constexpr std::size_t kOptionWordCount = 128;

struct DeviceOptions {
    // One word per option-page component in definition order; the first 64 go
    // to the programmer at 0x0B80 (0x0E00 for the option-type-1 load).
    std::array<uint16_t, kOptionWordCount> OptionWords{};
    // The 256-byte chip option block of an option-type-1 device, as read from
    // the programmer at 0x0E00.
    std::array<uint16_t, kOptionWordCount> ChipOptionWords{};
    // 0 while the option controls take their initial states from the
    // definition file, 1 once they take them from temp.ini.
    int32_t OptionValuesSaved = 0;
    // 1: verify and confirm list every difference; 0: they stop at the first.
    uint8_t VerifyListWanted = 0;
    // True while temp.ini lacks values the operator chose or a read brought,
    // because writing it failed: a packing from it would send other options.
    // A write of every value clears it.
    bool StoreBehind = false;
};

}  // namespace burnmark
