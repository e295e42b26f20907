#include "WebAudioSink.h"

#include "quillon/MelodyStream.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <span>
#include <string>
#include <utility>

namespace {

quillon::WebAudioSink* pageSink = nullptr;

// Frames rendered at once, and how much the first helping holds: enough that the first note
// starts whole even if the page is busy right after F5.
constexpr std::int64_t kChunkFrames = 4096;
constexpr double kFirstSeconds = 0.25;

// What quillonSound says about a play (see sound.js).
enum JsState { kJsStarting = 0, kJsRunning = 1, kJsFailed = 2 };
enum JsFailure { kJsNoWebAudio = 1, kJsRefused = 2, kJsNeverRan = 3, kJsWentAway = 4 };

} // namespace

// The page's half lives in sound.js; these are its entry points, each a line or two, so that
// the sink's bookkeeping stays here.
// clang-format off
EM_JS(void, quillonSoundConnect, (), {
    const sound = globalThis.quillonSound;
    if (sound) sound.attach(Module), sound.connect();
});
// The context's rate once the play may start; 0 when there is no context to play on (the
// reason is then in quillonSoundFailure).
EM_JS(double, quillonSoundBegin, (double play, int lookAgain), {
    if (!globalThis.quillonSound) return 0;
    globalThis.quillonSound.attach(Module);
    return globalThis.quillonSound.begin(play, lookAgain != 0);
});
EM_JS(void, quillonSoundPost, (double play, const std::int16_t* samples, int count, int ended), {
    const from = samples >> 1;
    globalThis.quillonSound.post(play, HEAP16.subarray(from, from + count), ended != 0);
});
EM_JS(void, quillonSoundStop, (), {
    if (globalThis.quillonSound) globalThis.quillonSound.stop();
});
// Writes played, mark, starved and the context frame heard now into `out`; returns a JsState.
EM_JS(int, quillonSoundState, (double play, double* out), {
    if (!globalThis.quillonSound) return 2;
    const s = globalThis.quillonSound.state(play);
    HEAPF64[(out >> 3) + 0] = s.played;
    HEAPF64[(out >> 3) + 1] = s.mark;
    HEAPF64[(out >> 3) + 2] = s.starved ? 1 : 0;
    HEAPF64[(out >> 3) + 3] = s.heardFrame;
    return s.code;
});
// A JsFailure for play `play`, and the browser's words into `detail`.
EM_JS(int, quillonSoundFailure, (double play, char* detail, int size), {
    const f = globalThis.quillonSound ? globalThis.quillonSound.failure(play)
                                      : { kind: 1, detail: "sound.js is not loaded" };
    stringToUTF8(f.detail || "", detail, size);
    return f.kind;
});
// clang-format on

extern "C" EMSCRIPTEN_KEEPALIVE void quillon_sound_pump(double play, int frames) {
    if (pageSink != nullptr && play >= 1 && frames > 0) {
        pageSink->pump(static_cast<std::uint64_t>(play), frames);
    }
}

namespace quillon {

WebAudioSink::WebAudioSink() : buffer_(kChunkFrames) {
    pageSink = this;
}

WebAudioSink::~WebAudioSink() {
    quillonSoundStop();
    if (pageSink == this) {
        pageSink = nullptr;
    }
}

void WebAudioSink::connect() {
    quillonSoundConnect();
}

std::uint64_t WebAudioSink::play(SoundSourceFactory make, WhenNoOutput whenNone) {
    // The player drops the last play's queue the moment it hears of this one.
    current_ = ++plays_;
    source_.reset();
    sampleRate_ = 0;
    stopped_ = false;
    playback_ = WebPlayback{};
    lost_.reset();
    const double rate =
        quillonSoundBegin(static_cast<double>(current_), whenNone == WhenNoOutput::LookAgain);
    if (!(rate >= 1 && rate <= kMaxSampleRate)) {
        return current_;
    }
    sampleRate_ = static_cast<int>(std::lround(rate));
    try {
        source_ = make(sampleRate_);
    } catch (const std::bad_alloc&) {
        fail(SoundProblem::OutputFailed, SoundCause::RenderFailed, {});
        return current_;
    }
    if (source_ == nullptr) {
        fail(SoundProblem::OutputFailed, SoundCause::NothingRendered, {});
        return current_;
    }
    pump(current_, static_cast<std::int64_t>(kFirstSeconds * rate));
    if (playback_.renderedFrames() == 0) {
        fail(SoundProblem::OutputFailed, SoundCause::NothingRendered, {});
    }
    return current_;
}

void WebAudioSink::pump(std::uint64_t play, std::int64_t frames) {
    while (play == current_ && source_ != nullptr && frames > 0) {
        const auto want = static_cast<std::size_t>(std::min(frames, kChunkFrames));
        const std::size_t got = source_->fill(std::span(buffer_.data(), want));
        const bool ended = got < want;
        playback_.rendered(static_cast<std::int64_t>(got), ended);
        quillonSoundPost(static_cast<double>(play), buffer_.data(), static_cast<int>(got),
                         ended ? 1 : 0);
        if (ended) {
            source_.reset();
        }
        frames -= static_cast<std::int64_t>(got);
    }
}

void WebAudioSink::stop() {
    source_.reset();
    if (current_ != 0 && !lost_) {
        stopped_ = true;
    }
    quillonSoundStop();
}

void WebAudioSink::fail(SoundProblem problem, SoundCause cause, std::string detail) {
    source_.reset();
    quillonSoundStop();
    lost_ = Lost{problem, cause, std::move(detail)};
}

SoundStatus WebAudioSink::status() const {
    SoundStatus status;
    if (current_ == 0) {
        return status;
    }
    status.play = current_;
    status.sampleRate = sampleRate_;
    status.heardFrames = playback_.heardFrames();
    if (stopped_) {
        return status;
    }
    const auto play = static_cast<double>(current_);
    double report[4] = {};
    const int state = lost_ ? kJsFailed : quillonSoundState(play, report);
    if (state == kJsFailed && !lost_) {
        char detail[256] = {};
        const int failure = quillonSoundFailure(play, detail, static_cast<int>(sizeof detail));
        switch (failure) {
        case kJsNoWebAudio:
            lost_ = Lost{SoundProblem::NoOutput, SoundCause::NoOutputHere, detail};
            break;
        case kJsNeverRan:
            lost_ = Lost{SoundProblem::OutputFailed, SoundCause::NeverAsked, detail};
            break;
        case kJsWentAway:
            lost_ = Lost{SoundProblem::OutputFailed, SoundCause::WentAway, detail};
            break;
        case kJsRefused:
        default:
            lost_ = Lost{SoundProblem::OutputFailed, SoundCause::LibraryRefused, detail};
            break;
        }
    }
    if (lost_) {
        status.phase = SoundStatus::Phase::Failed;
        status.problem = lost_->problem;
        status.cause = lost_->cause;
        status.detail = lost_->detail;
        return status;
    }
    if (state == kJsRunning) {
        const PlayerReport player{static_cast<std::int64_t>(report[0]),
                                  static_cast<std::int64_t>(report[1]), report[2] != 0};
        status.heardFrames = playback_.heard(player, static_cast<std::int64_t>(report[3]));
    }
    status.phase = playback_.done()         ? SoundStatus::Phase::Done
                   : status.heardFrames > 0 ? SoundStatus::Phase::Playing
                                            : SoundStatus::Phase::Starting;
    return status;
}

} // namespace quillon
