// The PortAudio sink against a real sound server: run under testing/private-pulse.sh --later,
// whose null sink plays in real time. Each test starts, kills or freezes the server as its
// story needs, through the control command the script gives ($QUILLON_PULSE).
#include "PortAudioSink.h"
#include "SoundEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <pthread.h>
#include <sched.h>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Phase = SoundStatus::Phase;

// A square wave of `millis` ms, then the end.
class Tone final : public SoundSource {
public:
    Tone(int rate, std::int64_t millis) : left_(millis * rate / 1000) {}
    std::size_t fill(std::span<std::int16_t> out) override {
        std::size_t n = 0;
        for (; n < out.size() && left_ > 0; ++n, --left_, ++at_) {
            out[n] = (at_ / 50) % 2 == 0 ? 4000 : -4000;
        }
        return n;
    }

private:
    std::int64_t left_;
    std::int64_t at_ = 0;
};

SoundSourceFactory tone(std::int64_t millis) {
    return [millis](int rate) { return std::make_unique<Tone>(rate, millis); };
}

void server(const std::string& what) {
    const char* control = std::getenv("QUILLON_PULSE");
    ASSERT_NE(control, nullptr) << "run under private-pulse.sh";
    ASSERT_EQ(std::system(("\"" + std::string(control) + "\" " + what).c_str()), 0) << what;
}

// Every call of the sink comes from the window's thread: none may take long, whatever the
// server does. Each one the tests make goes through here.
constexpr auto kAtOnce = 50ms;
Clock::duration slowest{};

template <typename F> auto timed(F f) {
    const auto start = Clock::now();
    auto result = f();
    slowest = std::max(slowest, Clock::now() - start);
    return result;
}

SoundStatus status(const PortAudioSink& sink) {
    return timed([&] { return sink.status(); });
}
std::uint64_t play(PortAudioSink& sink, std::int64_t millis,
                   WhenNoOutput whenNone = WhenNoOutput::LookAgain) {
    return timed([&] { return sink.play(tone(millis), whenNone); });
}
void stop(PortAudioSink& sink) {
    timed([&] {
        sink.stop();
        return 0;
    });
}

// Polls until `done` says so or `limit` has passed; the time it took.
Clock::duration waitFor(const PortAudioSink& sink,
                        const std::function<bool(const SoundStatus&)>& done,
                        Clock::duration limit) {
    const auto start = Clock::now();
    while (!done(status(sink)) && Clock::now() - start < limit) {
        std::this_thread::sleep_for(5ms);
    }
    return Clock::now() - start;
}

bool over(const SoundStatus& s) {
    return s.phase == Phase::Done || s.phase == Phase::Failed || s.phase == Phase::Idle;
}

class PortAudioSinkTest : public testing::Test {
protected:
    void SetUp() override { slowest = {}; }
    void TearDown() override {
        std::printf("slowest call of the sink: %.3f ms\n",
                    std::chrono::duration<double, std::milli>(slowest).count());
        EXPECT_LT(slowest, kAtOnce)
            << "a call of the sink took "
            << std::chrono::duration<double, std::milli>(slowest).count() << " ms";
    }
};

TEST_F(PortAudioSinkTest, PlaysToItsEndInRealTime) {
    server("start");
    PortAudioSink sink;
    timed([&] {
        sink.connect();
        return 0;
    });
    const auto start = Clock::now();
    const std::uint64_t number = play(sink, 600);
    std::int64_t heard = 0;
    bool midway = false;
    SoundStatus s = status(sink);
    EXPECT_EQ(s.play, number);
    while (!over(s) && Clock::now() - start < 5s) {
        ASSERT_GE(s.heardFrames, heard) << "heard frames went back";
        midway = midway || (s.phase == Phase::Playing && s.heardFrames < 28800);
        heard = s.heardFrames;
        std::this_thread::sleep_for(5ms);
        s = status(sink);
    }
    const auto took = Clock::now() - start;
    ASSERT_EQ(s.phase, Phase::Done) << s.detail;
    EXPECT_EQ(s.sampleRate, 48000);
    EXPECT_TRUE(midway) << "the position must move through the play, not jump to its end";
    EXPECT_EQ(s.heardFrames, 28800);
    // 600 ms of sound cannot be heard in less, nor take much longer than it and the lead-in.
    EXPECT_GE(took, 600ms);
    EXPECT_LT(took, 600ms + 1s);
}

TEST_F(PortAudioSinkTest, StopAndPlayCutOffWhatPlays) {
    server("start");
    PortAudioSink sink;
    play(sink, 3000);
    waitFor(
        sink, [](const SoundStatus& s) { return s.heardFrames >= 14400; }, 3s);
    stop(sink);
    SoundStatus s = status(sink);
    EXPECT_EQ(s.phase, Phase::Idle);
    EXPECT_GE(s.heardFrames, 14400);
    EXPECT_LT(s.heardFrames, 48000);
    const std::int64_t heard = s.heardFrames;
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(status(sink).heardFrames, heard) << "nothing more is heard after stop";
    stop(sink);

    // Play while playing starts the new one from its first frame.
    const std::uint64_t first = play(sink, 3000);
    waitFor(
        sink, [](const SoundStatus& st) { return st.heardFrames >= 14400; }, 3s);
    const std::uint64_t second = play(sink, 3000);
    EXPECT_GT(second, first);
    s = status(sink);
    EXPECT_EQ(s.play, second);
    EXPECT_LT(s.heardFrames, 4800);
    waitFor(
        sink, [](const SoundStatus& st) { return st.heardFrames > 0; }, 2s);
    EXPECT_EQ(status(sink).phase, Phase::Playing);
}

TEST_F(PortAudioSinkTest, AServerStartedLaterIsUsedByTheNextPlay) {
    server("kill");
    PortAudioSink sink;
    sink.connect();
    play(sink, 200);
    EXPECT_LT(waitFor(sink, over, 5s), 2s);
    SoundStatus s = status(sink);
    EXPECT_EQ(s.phase, Phase::Failed);
    EXPECT_EQ(s.problem, SoundProblem::NoOutput) << s.detail;

    server("start");
    play(sink, 200);
    waitFor(sink, over, 5s);
    s = status(sink);
    EXPECT_EQ(s.phase, Phase::Done) << s.detail;
}

TEST_F(PortAudioSinkTest, AKilledServerFailsThePlayAndOneStartedAgainIsUsed) {
    server("start");
    PortAudioSink sink;
    play(sink, 5000);
    waitFor(
        sink, [](const SoundStatus& s) { return s.heardFrames > 4800; }, 3s);
    ASSERT_EQ(status(sink).phase, Phase::Playing);

    // Killed while playing: the play fails soon; so does the next one, and the calls answer.
    server("kill KILL");
    const auto playFailed = waitFor(sink, over, 5s);
    EXPECT_LT(playFailed, 2s);
    SoundStatus s = status(sink);
    EXPECT_EQ(s.phase, Phase::Failed);
    EXPECT_NE(s.problem, SoundProblem::None);
    play(sink, 400);
    const auto nextFailed = waitFor(sink, over, 5s);
    EXPECT_LT(nextFailed, 2s);
    std::printf("server killed: the play failed after %.1f ms, the next after %.1f ms\n",
                std::chrono::duration<double, std::milli>(playFailed).count(),
                std::chrono::duration<double, std::milli>(nextFailed).count());
    s = status(sink);
    EXPECT_EQ(s.phase, Phase::Failed);
    EXPECT_EQ(s.problem, SoundProblem::NoOutput) << s.detail;
    stop(sink);

    server("start");
    play(sink, 400);
    waitFor(sink, over, 5s);
    s = status(sink);
    EXPECT_EQ(s.phase, Phase::Done) << s.detail;
}

TEST_F(PortAudioSinkTest, AServerThatStopsAnsweringCostsOnePlayAndNoWait) {
    server("start");
    auto sink = std::make_unique<PortAudioSink>();
    play(*sink, 200);
    waitFor(*sink, over, 5s);
    ASSERT_EQ(status(*sink).phase, Phase::Done);

    // Frozen, the server takes connections and never answers: the worker's call hangs.
    server("signal STOP");
    play(*sink, 400);
    const auto failedAfter = waitFor(*sink, over, 10s);
    SoundStatus s = status(*sink);
    EXPECT_EQ(s.phase, Phase::Failed);
    EXPECT_EQ(s.problem, SoundProblem::OutputFailed) << s.detail;
    EXPECT_LT(failedAfter, 3s);
    std::printf("server frozen: the play failed after %.1f ms\n",
                std::chrono::duration<double, std::milli>(failedAfter).count());

    // Thawed, it is used by the next play.
    server("signal CONT");
    play(*sink, 200);
    waitFor(*sink, over, 5s);
    s = status(*sink);
    EXPECT_EQ(s.phase, Phase::Done) << s.detail;

    // The sink goes away (the window closes) without waiting for a hung thread.
    server("signal STOP");
    play(*sink, 400);
    std::this_thread::sleep_for(200ms);
    const auto closing = Clock::now();
    sink.reset();
    const auto closed = Clock::now() - closing;
    EXPECT_LT(closed, 1s);
    std::printf("closing with a hung worker took %.1f ms\n",
                std::chrono::duration<double, std::milli>(closed).count());
    server("signal CONT");
}

// The indexes of the streams the server plays, as `pactl list short sink-inputs` lists them.
std::set<std::string> serverStreams() {
    std::set<std::string> streams;
    FILE* list = popen("pactl list short sink-inputs 2>/dev/null", "r");
    if (list == nullptr) {
        return streams;
    }
    char line[512];
    while (std::fgets(line, sizeof line, list) != nullptr) {
        streams.insert(std::string(line).substr(0, std::string(line).find('\t')));
    }
    pclose(list);
    return streams;
}

TEST_F(PortAudioSinkTest, PlaysThatFollowEachOtherShareOneStreamThatClosesWhenIdle) {
    server("start");
    const std::set<std::string> before = serverStreams();
    PortAudioSink sink;
    play(sink, 200, WhenNoOutput::Fail);
    waitFor(sink, over, 5s);
    ASSERT_EQ(status(sink).phase, Phase::Done) << status(sink).detail;
    std::set<std::string> first = serverStreams();
    for (const std::string& stream : before) {
        first.erase(stream);
    }
    ASSERT_EQ(first.size(), 1U) << "one stream of the sink's own";

    // Clicks a fifth of a second apart: each is heard whole, through that same stream.
    for (int click = 0; click < 5; ++click) {
        play(sink, 150, WhenNoOutput::Fail);
        EXPECT_LT(waitFor(sink, over, 5s), 1s);
        const SoundStatus s = status(sink);
        EXPECT_EQ(s.phase, Phase::Done) << s.detail;
        EXPECT_EQ(s.heardFrames, 7200);
        std::set<std::string> now = serverStreams();
        for (const std::string& stream : before) {
            now.erase(stream);
        }
        EXPECT_EQ(now, first) << "click " << click;
    }

    // Nothing more to play: the stream goes within a few seconds.
    const auto start = Clock::now();
    std::set<std::string> left = first;
    while (!left.empty() && Clock::now() - start < 8s) {
        std::this_thread::sleep_for(100ms);
        left = serverStreams();
        for (const std::string& stream : before) {
            left.erase(stream);
        }
    }
    EXPECT_TRUE(left.empty()) << "the idle stream was not closed";
}

TEST_F(PortAudioSinkTest, ClicksWithoutAnOutputFailAtOnceAndAServerThatComesIsUsedSoon) {
    server("kill");
    PortAudioSink sink;
    sink.connect();
    // The first may wait for the probe that connect() started.
    play(sink, 100, WhenNoOutput::Fail);
    waitFor(sink, over, 5s);
    ASSERT_EQ(status(sink).phase, Phase::Failed);
    for (int click = 0; click < 20; ++click) {
        play(sink, 100, WhenNoOutput::Fail);
        const SoundStatus s = status(sink);
        EXPECT_EQ(s.phase, Phase::Failed) << "a click without an output fails on the spot";
        // ALSA may still name the server's device in this process, which no longer opens.
        EXPECT_NE(s.problem, SoundProblem::None) << s.detail;
        std::this_thread::sleep_for(20ms);
    }

    // The server comes: within about a second a click is heard, with no play that looks.
    server("start");
    const auto start = Clock::now();
    SoundStatus s;
    while (Clock::now() - start < 10s) {
        play(sink, 100, WhenNoOutput::Fail);
        waitFor(sink, over, 2s);
        s = status(sink);
        if (s.phase != Phase::Failed) {
            break;
        }
        std::this_thread::sleep_for(200ms);
    }
    const auto found = Clock::now() - start;
    std::printf("a click was heard %.1f ms after the server came\n",
                std::chrono::duration<double, std::milli>(found).count());
    EXPECT_EQ(s.phase, Phase::Done) << s.detail;
    EXPECT_LT(found, 4s);
}

// Each thread of this process: its name and whether it runs at SCHED_RR (the policy is the 41st
// field of its stat line, after the name in parentheses).
std::vector<std::pair<std::string, bool>> threadPolicies() {
    std::vector<std::pair<std::string, bool>> threads;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "stat");
        std::string line;
        std::getline(in, line);
        const auto close = line.rfind(')');
        const auto open = line.find('(');
        if (close == std::string::npos || open == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        // Fields 3 to 41 follow the name: the policy is the 39th of them.
        for (int i = 3; i <= 41 && rest >> field; ++i) {
        }
        threads.emplace_back(line.substr(open + 1, close - open - 1), field == "2");
    }
    return threads;
}

// Whether a thread of this process may take SCHED_RR at all, asked of a thread of its own.
bool realtimeAllowed() {
    bool allowed = false;
    std::thread([&] {
        sched_param p{};
        p.sched_priority = 1;
        allowed = pthread_setschedparam(pthread_self(), SCHED_RR, &p) == 0;
    }).join();
    return allowed;
}

TEST_F(PortAudioSinkTest, OnlyTheThreadsThatFeedTheOutputRunAtRealtimePriority) {
    if (!realtimeAllowed()) {
        GTEST_SKIP() << "this user may not run threads at realtime priority";
    }
    server("start");
    PortAudioSink sink;
    play(sink, 1000);
    waitFor(
        sink, [](const SoundStatus& s) { return s.heardFrames > 4800; }, 3s);
    ASSERT_EQ(status(sink).phase, Phase::Playing);
    int realtime = 0;
    int ordinary = 0;
    bool workerOrdinary = false;
    std::string names;
    for (const auto& [name, rr] : threadPolicies()) {
        names += name + (rr ? " (RR) " : " ");
        (rr ? realtime : ordinary) += 1;
        workerOrdinary = workerOrdinary || (name == "quillon-sound" && !rr);
    }
    // PortAudio's callback thread and the PulseAudio plugin's; this test's thread and the
    // sink's worker, which only starts them, stay ordinary.
    EXPECT_GE(realtime, 2) << names;
    EXPECT_GE(ordinary, 2) << names;
    EXPECT_TRUE(workerOrdinary) << "the worker kept the raised priority: " << names;
}

} // namespace
} // namespace quillon

int main(int argc, char** argv) {
    quillon::prepareSoundEnvironment();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
