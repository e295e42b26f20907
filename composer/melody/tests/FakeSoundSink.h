#pragma once

#include "quillon/SoundSink.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

// A sound output that plays nothing and whose listener is wherever the test puts it: it keeps
// what it was given, and `heard` is the fake clock of how far the listener has got.
class FakeSoundSink : public SoundSink {
public:
    bool available = true;
    int rate = 8000;
    std::int64_t heard = 0;
    std::vector<std::vector<std::int16_t>> played;
    int stops = 0;
    int opens = 0;

    bool open() override {
        ++opens;
        return available;
    }
    std::string error() const override {
        return available ? std::string() : std::string("no sound output in this test");
    }
    int sampleRate() const override { return available ? rate : 0; }
    bool play(std::vector<std::int16_t> samples) override {
        if (!available) {
            return false;
        }
        played.push_back(std::move(samples));
        heard = 0;
        stopped_ = false;
        return true;
    }
    void stop() override {
        ++stops;
        stopped_ = true;
    }
    bool playing() const override {
        return !stopped_ && !played.empty() &&
               heard < static_cast<std::int64_t>(played.back().size());
    }
    std::int64_t heardFrames() const override { return heard; }

    // Moves the listener to `millis` into the current buffer.
    void hearAt(std::int64_t millis) { heard = millis * rate / 1000; }

private:
    bool stopped_ = true;
};

} // namespace quillon::test
