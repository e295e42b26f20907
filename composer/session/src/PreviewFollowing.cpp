#include "PreviewFollowing.h"

#include "quillon/TextCodec.h"
#include "quillon/UserTexts.h"

#include <chrono>
#include <exception>
#include <string>

namespace quillon {
namespace {

using namespace std::chrono_literals;

// How often the light follows what is being heard.
constexpr auto kFollowInterval = 15ms;

std::u16string soundDetail(SoundProblem problem, SoundCause cause, const std::string& detail) {
    std::u16string text(soundProblemText(problem));
    text += soundCauseText(cause);
    if (!detail.empty()) {
        // What the sound library said is ASCII or UTF-8; the user sees it as it came.
        text += u"（";
        text += decodeUtf8Lenient(detail);
        text += u"）";
    }
    return text;
}

} // namespace

PreviewFollowing::PreviewFollowing(SoundSink& sound, TextMirror& mirror, Notice& notice,
                                   TimerFactory& timers)
    : preview_(sound), mirror_(mirror), notice_(notice), followTimer_(timers.makeTimer([this] {
          try {
              follow();
          } catch (const std::exception&) {
              // The light cannot follow: the play ends rather than run on unseen.
              stop();
          }
      })),
      sound_(sound) {}

void PreviewFollowing::connect() {
    sound_.connect();
}

void PreviewFollowing::play(const Melody& melody) {
    stop();
    try {
        if (preview_.playMelody(melody) != MelodyPreview::Outcome::Started) {
            return;
        }
    } catch (const std::exception&) {
        // Nothing may end the program on F5: the text stays and the user is told.
        preview_.stop();
        notice_.showWarning(userText(UserText::PlayFailed), u"");
        return;
    }
    playing_ = true;
    follow();
}

void PreviewFollowing::follow() {
    if (!playing_) {
        return;
    }
    const MelodyPreview::Progress progress = preview_.poll();
    if (progress.problem != SoundProblem::None) {
        playing_ = false;
        followTimer_->stop();
        mirror_.setHeard(std::nullopt);
        notice_.showWarning(userText(UserText::NoSound),
                            soundDetail(progress.problem, progress.cause, progress.detail));
        return;
    }
    mirror_.setHeard(progress.heard);
    if (progress.playing) {
        followTimer_->start(kFollowInterval);
    } else {
        playing_ = false;
        mirror_.setHeard(std::nullopt);
    }
}

void PreviewFollowing::stop() {
    preview_.stop();
    followTimer_->stop();
    playing_ = false;
    mirror_.setHeard(std::nullopt);
}

void PreviewFollowing::clicked(MusicCode code) {
    if (soundOnClick_) {
        playing_ = false;
        followTimer_->stop();
        preview_.soundNote(code);
    }
}

void PreviewFollowing::toggleSoundOnClick() {
    soundOnClick_ = !soundOnClick_;
    if (!soundOnClick_ && !playing_) {
        preview_.stop();
    }
}

} // namespace quillon
