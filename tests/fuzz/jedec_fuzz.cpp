// libFuzzer target for the JEDEC reader. The first two bytes choose the fuse
// count of the map (so addresses meet its end in every way); the rest is the
// file. Whatever the file, the reader must stay inside the map, leave only
// 0 and 1 where it wrote, and a map it read must survive our own writer.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "fusemap/jedec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t count = (size_t(data[0]) | (size_t(data[1]) << 8)) % 6000;
    const std::string_view raw(reinterpret_cast<const char*>(data + 2), size - 2);

    std::vector<uint8_t> fuses(count, 2);
    const auto status = burnmark::ReadJedecFuses(raw, fuses);
    burnmark::JedecDefaultFuse(raw);
    if (status != burnmark::JedecParseStatus::Ok) return 0;

    for (uint8_t& f : fuses) {
        if (f > 2) std::abort();
        if (f == 2) f = 0;  // untouched fuses
    }
    const int32_t cols = static_cast<int32_t>(1 + data[0] % 64);
    const auto text = burnmark::BuildJedecText(fuses, cols);
    std::vector<uint8_t> back(count, 2);
    if (burnmark::ReadJedecFuses(std::string_view(text.data(), text.size()), back) !=
            burnmark::JedecParseStatus::Ok ||
        back != fuses) {
        std::abort();
    }
    return 0;
}
