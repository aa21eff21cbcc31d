// The pass and failure sounds, and the settings that switch and shape them
// ([Option] "sound_setup" and "sound_mode"). Callers say "pass" or "fail";
// the player looks at the settings. Stop and the refusals that sound whatever
// "sound_setup" holds call the failure sound that ignores SoundOn.
#pragma once

#include <cstdint>

#include "platform/ports.h"

namespace burnmark {

inline constexpr const char* kSoundFailText = "Sound Command Fail !!";

// Mode 0: the error-icon sound; any other mode: beep, 50 ms, beep, beep.
void PlayFailSound(Sounds& sounds, Messages& messages, uint8_t mode);
// One default beep.
void PlayPassSound(Sounds& sounds, Messages& messages);

class SoundPlayer {
public:
    SoundPlayer(Sounds& sounds, Messages& messages) : sounds_(sounds), messages_(messages) {}

    // [Option] "sound_setup": the operations sound only while it is 1.
    uint8_t SoundOn = 1;
    // [Option] "sound_mode": the shape of the failure sound.
    uint8_t SoundMode = 0;

    // The operations' sounds: nothing unless SoundOn is 1.
    void PassSound();
    void FailSound();
    // Stop and the refusals without a device: whatever SoundOn holds.
    void FailSoundAlways();

private:
    Sounds& sounds_;
    Messages& messages_;
};

}  // namespace burnmark
