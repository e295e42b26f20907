#include "WebPlayback.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace quillon {
namespace {

// The player has handed out `played` frames without a gap, the last just before context frame
// `mark`; the listener, at context frame `at`, has heard the frames before it. So the source's
// frame k sounds at context frame mark - played + k, and `at - (mark - played)` are heard: none
// before the first, no more than were handed out once the player ran dry, no more than the
// source gave, and no more than 2048 past the last report while it is fed.
struct Case {
    const char* what;
    std::int64_t rendered;
    bool ended;
    PlayerReport report;
    std::int64_t at;
    std::int64_t heard;
    bool done;
};

TEST(WebPlayback, HeardFramesFollowThePlayersReportsLessTheLatency) {
    const Case cases[] = {
        {"nothing played yet", 12000, false, {0, 0, false}, 90000, 0, false},
        {"the listener is before the first frame",
         12000,
         false,
         {1024, 5000, false},
         3000,
         0,
         false},
        {"the listener is inside what was reported",
         12000,
         false,
         {1024, 5000, false},
         4500,
         524,
         false},
        {"the player goes on past its report while fed",
         12000,
         false,
         {1024, 5000, false},
         5500,
         1524,
         false},
        {"not far past it, though", 12000, false, {1024, 5000, false}, 20000, 3072, false},
        {"a player run dry has played no more",
         12000,
         false,
         {1024, 5000, true},
         5500,
         1024,
         false},
        {"no more than the source gave", 1100, false, {1024, 5000, false}, 5500, 1100, false},
        {"an ended source heard to its last frame",
         1100,
         true,
         {1100, 5076, true},
         6000,
         1100,
         true},
        {"an ended source not heard to its end yet",
         1100,
         true,
         {1100, 5076, true},
         5075,
         1099,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WebPlayback playback;
        playback.rendered(c.rendered, c.ended);
        EXPECT_EQ(playback.heard(c.report, c.at), c.heard);
        EXPECT_EQ(playback.done(), c.done);
    }
}

TEST(WebPlayback, WhatWasHeardNeverGoesBack) {
    WebPlayback playback;
    playback.rendered(4096, false);
    EXPECT_EQ(playback.heard({1024, 5000, false}, 4500), 524);
    // A later estimate of the latency puts the listener earlier; what was heard stays heard.
    EXPECT_EQ(playback.heard({2048, 6024, false}, 4400), 524);
    EXPECT_EQ(playback.heard({2048, 6024, false}, 5500), 1524);
}

} // namespace
} // namespace quillon
