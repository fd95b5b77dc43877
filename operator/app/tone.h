// SPDX-License-Identifier: MIT
// A sine tone on the default audio output.
#pragma once

namespace kestrix {

// Plays the tone and returns once it has sounded; false when the machine has
// no audio output to play it on.
bool playTone(int frequencyHz, int durationMs);

} // namespace kestrix
