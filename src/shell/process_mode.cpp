#include "shell/process_mode.h"

namespace burnmark {

TickFlags ParseProcessMode(std::string_view value, const TickFlags& current) {
    TickFlags ticks = current;
    value = value.substr(0, kProcessModeMaxLength);
    if (value.size() <= 1) return ticks;
    for (std::size_t box = TickErase; box <= TickProtect; ++box) ticks[box] = false;
    // The first character is the separator of the written form and is not examined.
    for (char c : value.substr(1)) {
        switch (c) {
            case 'E': ticks[TickErase] = true; break;
            case 'C': ticks[TickBlank] = true; break;
            case 'P': ticks[TickProgram] = true; break;
            case 'V': ticks[TickVerify] = true; break;
            case 'S': ticks[TickProtect] = true; break;
            default: break;
        }
    }
    return ticks;
}

std::string BuildProcessMode(const TickFlags& ticks) {
    static constexpr const char* kParts[kTickBoxCount] = {"+E", "+C", "+P", "+V", "+S", "+T"};
    std::string out;
    for (std::size_t box = 0; box < kTickBoxCount; ++box)
        if (ticks[box]) out += kParts[box];
    return out;
}

}  // namespace burnmark
