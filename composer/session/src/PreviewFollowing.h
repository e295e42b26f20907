#pragma once

#include "quillon/MelodyPreview.h"
#include "quillon/MusicCode.h"
#include "quillon/SessionPorts.h"
#include "quillon/TextMirror.h"

#include <memory>

namespace quillon {

// Playing the melody (F5) with the element being heard lit as it sounds, stopping it, and
// sounding each clicked note.
class PreviewFollowing {
public:
    PreviewFollowing(SoundSink& sound, TextMirror& mirror, Notice& notice, TimerFactory& timers);

    // Connecting takes a moment: a window starts it as it opens, rather than at the first note.
    void connect();
    void play(const Melody& melody);
    void stop();
    // A note button was clicked: its note sounds, unless switched off. 0xf8, a rest, is silence.
    void clicked(MusicCode code);
    void toggleSoundOnClick();
    bool playing() const { return playing_; }
    bool soundOnClick() const { return soundOnClick_; }

private:
    void follow();

    MelodyPreview preview_;
    TextMirror& mirror_;
    Notice& notice_;
    std::unique_ptr<OneShotTimer> followTimer_;
    bool playing_ = false;
    bool soundOnClick_ = true;
    SoundSink& sound_;
};

} // namespace quillon
