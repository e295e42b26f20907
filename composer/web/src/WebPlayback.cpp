#include "WebPlayback.h"

#include <algorithm>

namespace quillon {

void WebPlayback::rendered(std::int64_t frames, bool ended) {
    rendered_ += frames;
    ended_ = ended_ || ended;
}

std::int64_t WebPlayback::heard(const PlayerReport& report, std::int64_t heardFrame) {
    if (report.played <= 0) {
        return heard_;
    }
    // The player's frames run on without a gap up to the mark, and on past it while it is fed.
    std::int64_t frames = report.played + (heardFrame - report.mark);
    const std::int64_t ceiling = report.starved ? report.played : report.played + kReportSlack;
    frames = std::min({frames, ceiling, rendered_});
    heard_ = std::max(heard_, frames);
    return heard_;
}

} // namespace quillon
