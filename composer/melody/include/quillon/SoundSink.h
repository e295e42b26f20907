#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace quillon {

// Samples made while they play: the sink pulls them in its audio callback (or just ahead of
// it), so that nothing the size of a whole melody is ever held.
class SoundSource {
public:
    virtual ~SoundSource() = default;

    // Writes the next frames (mono, signed 16 bit, at the rate the source was made for) into
    // `out` and returns how many it wrote; fewer than out.size() only at the end. Runs on the
    // sink's audio thread: it must not wait, lock or allocate.
    virtual std::size_t fill(std::span<std::int16_t> out) = 0;
};

// Makes the source of one play once the output's rate is known; called on the sink's thread.
using SoundSourceFactory = std::function<std::unique_ptr<SoundSource>(int sampleRate)>;

// Why a play could not be heard. The user's sentence for each is the session's, and so is the
// one for each SoundCause; `detail` in SoundStatus carries only what the sound library or the
// system said in its own words, for the curious.
enum class SoundProblem : std::uint8_t {
    None,
    // No device, or no sound server to reach.
    NoOutput,
    // There is an output, but it would not open or start.
    OutputFailed,
    // The output took the sound but made no progress for a second.
    Stalled,
};

// What lies behind a SoundProblem, where a sink knows more than the problem says.
enum class SoundCause : std::uint8_t {
    None,
    // No sound card, and no sound server running.
    NoDevice,
    // The sound library is still inside a call that never returned.
    LibraryHung,
    // The sound library refused a call; `detail` holds its words.
    LibraryRefused,
    // The melody's sound could not be made (memory ran out).
    RenderFailed,
    // The melody made no sound at all.
    NothingRendered,
    // The output took the stream but never asked for sound.
    NeverAsked,
    // The output went away while playing (a sound server that ended).
    WentAway,
    // This build of the composer has no sound output.
    NoOutputHere,
};

struct SoundStatus {
    enum class Phase : std::uint8_t {
        // Nothing was asked since the sink was made, or the last play was stopped.
        Idle,
        // The play is being connected or started; nothing heard yet.
        Starting,
        // Its frames are reaching the listener.
        Playing,
        // Its last frame has been heard.
        Done,
        // It could not be heard; `problem` says why.
        Failed,
    };

    // The number play() returned for the play this status belongs to; 0 before the first.
    std::uint64_t play = 0;
    Phase phase = Phase::Idle;
    // Frames of this play that the listener has heard: the output's latency taken off where it
    // tells it, never going back while one play lasts.
    std::int64_t heardFrames = 0;
    // The rate this play's source was made for; 0 until it is known.
    int sampleRate = 0;
    SoundProblem problem = SoundProblem::None;
    SoundCause cause = SoundCause::None;
    std::string detail;
};

// What a play does when the sink knows of no output: the last time it looked, there was none.
enum class WhenNoOutput : std::uint8_t {
    // Looks again first, and fails only if there is still none: F5, after which the user is
    // told either way.
    LookAgain,
    // Fails at once: a clicked note, which must cost no more than the click where there is no
    // sound. The sink keeps looking by itself, cheaply and at most once a second, so an output
    // that comes later is used by a later click.
    Fail,
};

// Where the composer's sound goes: one mono 16-bit stream. Every call comes from the window's
// thread and returns at once: connecting, probing devices, starting and stopping the stream all
// happen on the sink's own thread, so that a sound server that hangs or goes away can never
// freeze the window. A play does not stay Starting for ever: a sink gives up on an output that
// does not answer and reports the play Failed, so the caller may poll until it is over.
class SoundSink {
public:
    virtual ~SoundSink() = default;

    // Starts connecting to the output in the background, if it is not connected yet.
    virtual void connect() = 0;

    // Cuts off whatever plays and plays the source `make` builds. When the output is not
    // connected (there was no server at start, or it went away), `whenNone` says whether it
    // tries again first. Returns the number of this play, which its SoundStatus carries.
    virtual std::uint64_t play(SoundSourceFactory make, WhenNoOutput whenNone) = 0;

    // Cuts the sound off. Harmless when nothing plays.
    virtual void stop() = 0;

    // How the latest play stands.
    virtual SoundStatus status() const = 0;
};

} // namespace quillon
