#pragma once

#include "quillon/SoundSink.h"

namespace quillon {

// A sound output that is not there: the composer without a sink of its own plays nothing and
// says so, as on a machine without sound.
class NoSoundOutput final : public SoundSink {
public:
    bool open() override { return false; }
    std::string error() const override;
    int sampleRate() const override { return 0; }
    bool play(std::vector<std::int16_t> /*samples*/) override { return false; }
    void stop() override {}
    bool playing() const override { return false; }
    std::int64_t heardFrames() const override { return 0; }
};

} // namespace quillon
