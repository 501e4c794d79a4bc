#pragma once
// Synchronous playback of a WAV file: returns when the sound has ended.
// Without an audio output, or when playback fails, it returns at once, and
// never later than the sound's length plus a second: it cannot hang.
// User input waits meanwhile; the windows still repaint.

#include <QString>

namespace widgets {

void PlayWavAndWait(const QString& path, double seconds);

}  // namespace widgets
