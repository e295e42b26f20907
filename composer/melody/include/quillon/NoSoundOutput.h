#pragma once

#include "quillon/SoundSink.h"

namespace quillon {

// A sound output that is not there: every play fails at once for want of an output, as on a
// machine without sound.
class NoSoundOutput final : public SoundSink {
public:
    void connect() override {}
    std::uint64_t play(SoundSourceFactory make, WhenNoOutput whenNone) override;
    void stop() override;
    SoundStatus status() const override { return status_; }

private:
    SoundStatus status_;
    std::uint64_t plays_ = 0;
};

} // namespace quillon
