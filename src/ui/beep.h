// The processing end beep: 880 Hz for 200 ms through the sound system, without waiting for it.
#pragma once

namespace mv::ui {

// Plays the tone on a detached thread through ALSA (loaded at run time, so the program has no
// build dependency on it). Where there is no ALSA library or no playback device, the
// window system's bell sounds instead.
void beep_880_hz();

}  // namespace mv::ui
