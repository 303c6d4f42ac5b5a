// The end-of-job sound and the options' test button: plays a sound file in
// the background. An empty path stops the sound that is playing.
#pragma once
#include <QString>
#include <functional>

// False when the file cannot be played; returns at once either way.
bool PlaySoundFile(const QString& path);
// Replaces the real player (nullptr restores it); tests record the calls.
using SoundHandler = std::function<bool(const QString&)>;
void SetSoundHandler(SoundHandler handler);
