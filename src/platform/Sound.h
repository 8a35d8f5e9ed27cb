#pragma once
// Sounds: a sound file when it exists, else the desktop's "complete" event sound.
// Playback goes on by itself after the call returns. No sound is never an error: where
// nothing can play (no sound library, no sound server) the calls return false.

#include <filesystem>

namespace zembra::platform {

// Starts playing `file`; false when it does not exist or nothing could play it.
bool playSoundFile(const std::filesystem::path &file);
// Starts the desktop's sound for a finished task; false when nothing could play it.
bool playCompletionEventSound();

} // namespace zembra::platform
