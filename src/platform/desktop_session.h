// What the program finds of the user's desktop session before the window
// toolkit starts: the per-user runtime folder and whether a sound server may
// answer. Both keep the toolkit from printing warnings at every start on
// machines that have no session (a root shell, ssh, a container, CI).
#pragma once

#include <string>

namespace burnmark {

// Makes sure XDG_RUNTIME_DIR names a folder private to the user. When it is
// not set, makes `tmpDir`/runtime-<uid> (mode 0700, or brings one the user
// owns back to 0700) and sets XDG_RUNTIME_DIR to it. Returns the folder in
// force; empty when none could be made, and then nothing is changed.
std::string PrepareRuntimeFolder(const std::string& tmpDir = "/tmp");

// Where a PulseAudio server (or PipeWire's stand-in) would be reached.
struct SoundServerPlaces {
    std::string pulseServer;       // PULSE_SERVER
    std::string pulseRuntimePath;  // PULSE_RUNTIME_PATH
    std::string runtimeDir;        // XDG_RUNTIME_DIR
    std::string systemSocket = "/var/run/pulse/native";
};
SoundServerPlaces SoundServerPlacesOfThisProcess();

// Whether a sound server may answer: PULSE_SERVER names one, or a server's
// socket lies where the client library looks. Without one the desktop has no
// audio output to play the sounds on, and asking for its devices only prints
// a warning.
bool SoundServerMayAnswer(const SoundServerPlaces& places);

}  // namespace burnmark
