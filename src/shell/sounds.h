// The pass and failure sounds. Neither looks at SoundOn: the callers do.
#pragma once

#include <cstdint>

#include "platform/ports.h"

namespace burnmark {

inline constexpr const char* kSoundFailText = "Sound Command Fail !!";

// Mode 0: the error-icon sound; any other mode: beep, 50 ms, beep, beep.
inline void PlayFailSound(Sounds& sounds, Messages& messages, uint8_t mode) {
    if (mode == 0) {
        if (!sounds.ErrorSound())
            messages.MessageBox(kSoundFailText, "Error", MsgButtons::Ok, MsgIcon::Error);
        return;
    }
    // The beeps' own failures are not looked at.
    sounds.DefaultBeep();
    sounds.Pause(50);
    sounds.DefaultBeep();
    sounds.DefaultBeep();
}

inline void PlayPassSound(Sounds& sounds, Messages& messages) {
    if (!sounds.DefaultBeep())
        messages.MessageBox(kSoundFailText, "Error", MsgButtons::Ok, MsgIcon::Error);
}

}  // namespace burnmark
