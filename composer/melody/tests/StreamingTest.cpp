// 100,000 codes through the preview and a fake sink, pulled as an output pulls them: every
// sample is the model's, the element lit is the one being heard, and the memory the play takes
// stays within a bound that does not grow with the melody (rendered whole at 48 kHz, it would
// take about 2 GB).
// Its own executable, since it counts every allocation the process makes.
#include "ConventionModel.h"
#include "FakeSoundSink.h"
#include "quillon/MelodyPreview.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <string>

namespace {

std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

void counted(void* p, long long sign) {
    const long long now =
        liveBytes.fetch_add(sign * static_cast<long long>(malloc_usable_size(p))) +
        sign * static_cast<long long>(malloc_usable_size(p));
    long long peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}

void* allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    counted(p, 1);
    return p;
}

void release(void* p) noexcept {
    if (p != nullptr) {
        counted(p, -1);
        std::free(p);
    }
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}

namespace quillon::test {
namespace {

// Codes over every note index and duration, mostly short ones so that the test stays quick:
// a fixed pseudo-random sequence without a 0.
std::vector<std::uint8_t> manyCodes(std::size_t count) {
    std::vector<std::uint8_t> codes;
    std::minstd_rand random(12345);
    for (std::size_t i = 0; i < count; ++i) {
        const auto index = static_cast<int>(random() % 32);
        const auto pick = static_cast<int>(random() % 10);
        const int duration = pick < 7 ? 1 : pick < 9 ? 2 : static_cast<int>(random() % 8);
        const auto code = static_cast<std::uint8_t>(index * 8 + duration);
        codes.push_back(code == 0 ? std::uint8_t{0x09} : code);
    }
    return codes;
}

TEST(Streaming, AHundredThousandCodesPlayInBoundedMemoryAsTheModelSays) {
    constexpr std::size_t kCodes = 100'000;
    constexpr int kRate = 1000;
    const std::vector<std::uint8_t> codes = manyCodes(kCodes);
    std::u16string text = u"{";
    for (std::uint8_t code : codes) {
        text += u"0x";
        text += u"0123456789abcdef"[code >> 4];
        text += u"0123456789abcdef"[code & 15];
        text += u",";
    }
    text += u"0}";
    const Melody melody = readMelody(text);
    ASSERT_EQ(melody.played, kCodes);
    const std::vector<ModelElement> model = modelElements(codes, kRate);
    ASSERT_EQ(model.size(), kCodes);

    FakeSoundSink sink;
    sink.rate = kRate;
    std::chrono::steady_clock::time_point now{};
    MelodyPreview preview(sink, [&now] { return now; });
    std::vector<std::int16_t> chunk(480);

    const long long before = liveBytes.load();
    ASSERT_EQ(preview.playMelody(melody), MelodyPreview::Outcome::Started);
    // What the preview keeps grows with the codes, not with the sound: a few words per code.
    const long long kept = liveBytes.load() - before;
    EXPECT_LT(kept, 40LL * static_cast<long long>(kCodes));
    peakBytes.store(liveBytes.load());

    std::size_t element = 0;
    std::int64_t frame = 0;
    for (std::size_t pulls = 0;; ++pulls) {
        const std::size_t got = sink.pull(chunk);
        for (std::size_t i = 0; i < got; ++i, ++frame) {
            while (frame >= model[element].end) {
                ++element;
            }
            ASSERT_EQ(chunk[i], modelSample(model[element], frame, kRate)) << "frame " << frame;
        }
        if (got < chunk.size()) {
            break;
        }
        if (pulls % 64 == 0 && frame < model.back().end) {
            // The listener is where the output has got; the element lit is the model's.
            sink.hear(frame);
            now += std::chrono::milliseconds(15);
            const MelodyPreview::Progress progress = preview.poll();
            ASSERT_TRUE(progress.playing);
            const std::size_t heard = static_cast<std::size_t>(
                std::upper_bound(model.begin(), model.end(), frame,
                                 [](std::int64_t f, const ModelElement& e) { return f < e.end; }) -
                model.begin());
            ASSERT_EQ(progress.heard,
                      (TextSpan{melody.elements[heard].begin, melody.elements[heard].end}))
                << "frame " << frame;
        }
    }
    EXPECT_EQ(frame, model.back().end);
    sink.hear(frame);
    EXPECT_FALSE(preview.poll().playing);

    const long long playing = peakBytes.load() - before - kept;
    std::printf("kept %lld bytes for %zu codes; %lld bytes more at the peak of %lld frames\n", kept,
                kCodes, playing, static_cast<long long>(frame));
    EXPECT_LT(playing, 64 * 1024);
}

} // namespace
} // namespace quillon::test
