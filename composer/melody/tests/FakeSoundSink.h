#pragma once

#include "quillon/SoundSink.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quillon::test {

// A sound output for unit tests, synchronous and deterministic: nothing plays by itself. play()
// makes the source at once (at `rate`) and keeps it; the test pulls the source's frames with
// pull() and says how far the listener has got with hear(), and status() answers from that as
// a real sink would: Starting until a frame is heard, Playing, Done once the last frame pulled
// is heard after the source ended.
//
// The output can be missing (`available = false`: plays fail with NoOutput, as without a
// server, until it is set again), can refuse plays (`refuseWith`), and a play under way can
// fail later (failPlay()) or stall (the test simply stops calling hear()).
class FakeSoundSink : public SoundSink {
public:
    bool available = true;
    // Every play throws, as a melody rendered whole once ran out of memory.
    bool outOfMemory = false;
    // A problem other than None makes every play fail with it, as an output that would not start.
    SoundProblem refuseWith = SoundProblem::None;
    int rate = 8000;

    // What was asked: connect() calls, plays (whether they sounded or not) and stop() calls.
    int connects = 0;
    int plays = 0;
    int stops = 0;
    // What the latest play said to do without an output.
    WhenNoOutput lastWhenNone = WhenNoOutput::LookAgain;

    void connect() override { ++connects; }

    std::uint64_t play(SoundSourceFactory make, WhenNoOutput whenNone) override {
        if (outOfMemory) {
            throw std::bad_alloc();
        }
        ++plays;
        lastWhenNone = whenNone;
        status_ = SoundStatus{};
        status_.play = ++number_;
        source_.reset();
        pulled_ = 0;
        sourceEnded_ = false;
        lookahead_.reset();
        if (!available || refuseWith != SoundProblem::None) {
            status_.phase = SoundStatus::Phase::Failed;
            status_.problem = available ? refuseWith : SoundProblem::NoOutput;
            // As a sink words it: a cause, and the sound library's own words where it has any.
            status_.cause = available ? SoundCause::LibraryRefused : SoundCause::NoDevice;
            status_.detail = available ? "Pa_OpenStream: Device unavailable" : "";
            return status_.play;
        }
        status_.phase = SoundStatus::Phase::Starting;
        status_.sampleRate = rate;
        source_ = make(rate);
        return status_.play;
    }

    void stop() override {
        ++stops;
        source_.reset();
        if (status_.phase != SoundStatus::Phase::Failed) {
            status_.phase = SoundStatus::Phase::Idle;
        }
    }

    SoundStatus status() const override { return status_; }

    // --- The test's side. ---

    // True while a play has a source (it was made and not stopped or replaced).
    bool hasSource() const { return source_ != nullptr; }
    // Frames pulled from the current play's source so far, and whether it has ended.
    std::int64_t pulled() const { return pulled_; }
    bool ended() const { return sourceEnded_ && !lookahead_; }

    // Pulls the next frames of the current source into `out`; how many it gave.
    std::size_t pull(std::span<std::int16_t> out) {
        std::size_t got = 0;
        if (lookahead_ && !out.empty()) {
            out[0] = *lookahead_;
            lookahead_.reset();
            got = 1;
        }
        if (source_ != nullptr && !sourceEnded_) {
            const std::size_t made = source_->fill(out.subspan(got));
            sourceEnded_ = made < out.size() - got;
            got += made;
        }
        pulled_ += static_cast<std::int64_t>(got);
        return got;
    }

    // Pulls the rest of the current source, at most `limit` frames.
    std::vector<std::int16_t> pullAll(std::size_t limit = 10'000'000) {
        std::vector<std::int16_t> samples;
        std::int16_t chunk[4096];
        while (samples.size() < limit) {
            const std::size_t want = std::min(std::size(chunk), limit - samples.size());
            const std::size_t got = pull(std::span(chunk, want));
            samples.insert(samples.end(), chunk, chunk + got);
            if (got < want) {
                break;
            }
        }
        return samples;
    }

    // The listener has heard `frames` of the current play: frames not pulled yet are pulled
    // (and dropped) first, since nothing is heard before it was made.
    void hear(std::int64_t frames) {
        std::int16_t chunk[4096];
        while (pulled_ < frames && !ended()) {
            const auto want =
                static_cast<std::size_t>(std::min<std::int64_t>(4096, frames - pulled_));
            pull(std::span(chunk, want));
        }
        if (!sourceEnded_ && !lookahead_ && source_ != nullptr) {
            // A source that ends right here says so only when asked for more: ask for one frame
            // and keep it for the next pull.
            std::int16_t next = 0;
            if (source_->fill(std::span(&next, 1)) == 1) {
                lookahead_ = next;
            } else {
                sourceEnded_ = true;
            }
        }
        if (status_.phase != SoundStatus::Phase::Starting &&
            status_.phase != SoundStatus::Phase::Playing) {
            return;
        }
        status_.heardFrames = std::max(status_.heardFrames, std::min(frames, pulled_));
        if (ended() && status_.heardFrames >= pulled_) {
            status_.phase = SoundStatus::Phase::Done;
        } else if (status_.heardFrames > 0) {
            status_.phase = SoundStatus::Phase::Playing;
        }
    }
    // The same, `millis` into the play.
    void hearAt(std::int64_t millis) { hear(millis * rate / 1000); }

    // The play under way fails, as when the sound server goes away.
    void failPlay(SoundProblem problem, std::string detail = {}) {
        source_.reset();
        status_.phase = SoundStatus::Phase::Failed;
        status_.problem = problem;
        status_.cause = SoundCause::WentAway;
        status_.detail = std::move(detail);
    }

private:
    SoundStatus status_;
    std::uint64_t number_ = 0;
    std::unique_ptr<SoundSource> source_;
    std::int64_t pulled_ = 0;
    bool sourceEnded_ = false;
    std::optional<std::int16_t> lookahead_;
};

} // namespace quillon::test
