#pragma once

namespace quillon {

// Sets what the sound libraries read from the environment: JACK may not start a server of its
// own when PortAudio probes it. Call it first thing in main(), before any thread starts (a
// toolkit's or the sink's), since setenv() is not safe beside threads that read the
// environment. Set QUILLON_SOUND_DEBUG to leave everything as it is.
void prepareSoundEnvironment();

// Silences the messages ALSA and JACK print for every missing device (dozens of lines on a
// machine without sound), unless QUILLON_SOUND_DEBUG is set. Safe on any thread; the sink calls
// it before it starts PortAudio.
void quietSoundLibraries();

} // namespace quillon
