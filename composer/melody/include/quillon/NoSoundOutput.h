#pragma once

#include "quillon/SoundSink.h"

namespace quillon {

// A sound output that is not there: the composer without a sink of its own plays nothing and
// says so, as on a machine without sound.
class NoSoundOutput final : public SoundSink {
public:
    void connect() override {}
    std::uint64_t play(SoundSourceFactory make) override;
    void stop() override;
    SoundStatus status() const override { return status_; }

private:
    SoundStatus status_;
    std::uint64_t plays_ = 0;
};

} // namespace quillon
