#include "platform/sound_player.h"

namespace burnmark {

void PlayFailSound(Sounds& sounds, Messages& messages, uint8_t mode) {
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

void PlayPassSound(Sounds& sounds, Messages& messages) {
    if (!sounds.DefaultBeep())
        messages.MessageBox(kSoundFailText, "Error", MsgButtons::Ok, MsgIcon::Error);
}

void SoundPlayer::PassSound() {
    if (SoundOn == 1) PlayPassSound(sounds_, messages_);
}

void SoundPlayer::FailSound() {
    if (SoundOn == 1) PlayFailSound(sounds_, messages_, SoundMode);
}

void SoundPlayer::FailSoundAlways() { PlayFailSound(sounds_, messages_, SoundMode); }

}  // namespace burnmark
