#pragma once

#include "quillon/SoundSink.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace quillon::test {

// A sound output whose listener stands where the test puts it. A play makes its source at once
// at `rate` and keeps it; `pull` takes frames from it as the output would.
class FakeSoundSink : public SoundSink {
public:
    int rate = 8000;
    bool available = true;
    // Plays fail as a long melody did when it was rendered whole: out of memory.
    bool outOfMemory = false;
    int connects = 0;
    int stops = 0;
    // The frames each play's source gave, pulled to its end.
    std::vector<std::vector<std::int16_t>> played;

    void connect() override { ++connects; }

    std::uint64_t play(SoundSourceFactory make) override {
        if (outOfMemory) {
            throw std::bad_alloc();
        }
        status_ = SoundStatus{};
        status_.play = ++plays_;
        if (!available) {
            status_.phase = SoundStatus::Phase::Failed;
            status_.problem = SoundProblem::NoOutput;
            status_.detail = "no server";
            return status_.play;
        }
        status_.phase = SoundStatus::Phase::Playing;
        status_.sampleRate = rate;
        std::unique_ptr<SoundSource> source = make(rate);
        std::vector<std::int16_t> all;
        std::vector<std::int16_t> block(4096);
        for (std::size_t got; (got = source->fill(block)) > 0;) {
            all.insert(all.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got));
            if (got < block.size()) {
                break;
            }
        }
        frames_ = static_cast<std::int64_t>(all.size());
        played.push_back(std::move(all));
        return status_.play;
    }

    void stop() override {
        ++stops;
        if (status_.phase == SoundStatus::Phase::Playing) {
            status_.phase = SoundStatus::Phase::Idle;
        }
    }

    SoundStatus status() const override { return status_; }

    // The listener is `millis` into the present play.
    void hearAt(std::int64_t millis) {
        status_.heardFrames = std::min(frames_, millis * rate / 1000);
        if (status_.phase == SoundStatus::Phase::Playing && millis * rate / 1000 >= frames_) {
            status_.phase = SoundStatus::Phase::Done;
        }
    }

    bool playing() const { return status_.phase == SoundStatus::Phase::Playing; }

private:
    SoundStatus status_;
    std::uint64_t plays_ = 0;
    std::int64_t frames_ = 0;
};

} // namespace quillon::test
