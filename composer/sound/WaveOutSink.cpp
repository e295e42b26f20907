#include "WaveOutSink.h"

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

namespace quillon::win32 {
namespace {

constexpr int kRate = 48000;
// Eight buffers of 25 ms: 200 ms ahead of the listener rides out a busy machine, while a stop
// or a new play cuts in at once through waveOutReset.
constexpr std::size_t kBuffers = 8;
constexpr std::size_t kFrames = kRate / 40;
// Silence after the sound, so that the output plays out and hands back its last buffers. The
// output's position may run ahead of the listener by its latency (wine's does, by some 80 ms):
// the device is reset only once the position is past this much silence.
constexpr std::size_t kTailFrames = kRate / 4;
// How often a play's position is read between the buffers' returns: the element being heard is
// lit to within this much.
constexpr DWORD kPollMillis = 25;
// Silence in front of every play: an output that starts from rest may lose the first
// milliseconds it is handed (wine's, on a busy machine, lost 4 ms of the first note), and the
// first note must be heard whole. The position counts it, so it is taken off what is heard.
constexpr std::size_t kLeadInFrames = kRate / 20;
// Without an output, a click looks for one at most this often.
constexpr ULONGLONG kLookMillis = 1000;
// A play that the output takes but does not move on for this long has stalled.
constexpr ULONGLONG kStallMillis = 1000;
// An output that has sounded keeps running after its reset (wine's audio threads kept using
// 2 % of a processor with nothing to play): once nothing has played for this long it is
// closed, and the next play opens it again.
constexpr DWORD kIdleCloseMillis = 3000;

std::string utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 1)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// The system's default output, whose buffers signal `done` as they come back.
MMRESULT openOutput(HWAVEOUT& handle, HANDLE done) {
    if (waveOutGetNumDevs() == 0) {
        return MMSYSERR_NODRIVER;
    }
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
    const MMRESULT opened = waveOutOpen(&handle, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
        handle = nullptr;
    }
    return opened;
}

std::string errorText(MMRESULT error) {
    wchar_t text[MAXERRORLENGTH] = {};
    waveOutGetErrorTextW(error, text, MAXERRORLENGTH);
    return "waveOut: " + utf8(text);
}

} // namespace

// What only the sink's thread touches.
struct WaveOutSink::Device {
    HWAVEOUT handle = nullptr;
    std::array<WAVEHDR, kBuffers> headers{};
    std::array<std::vector<std::int16_t>, kBuffers> samples;
    std::array<bool, kBuffers> queued{};

    std::unique_ptr<SoundSource> source;
    bool sourceEnded = true;
    // Frames of this play's sound handed to the device, of the silence in front of it still to
    // hand, and of silence after it.
    std::int64_t written = 0;
    std::size_t leadIn = 0;
    std::size_t tail = 0;
    // Whether anything has played since the output was opened.
    bool sounded = false;
    // The last time an output was looked for without one open, and what came of it.
    ULONGLONG lastOpenTry = 0;
    MMRESULT lastOpenFailure = MMSYSERR_NOERROR;
    SoundProblem lastProblem = SoundProblem::None;
    // Where the device said it was, and when that last moved on.
    std::int64_t played = 0;
    SoundStatus status;
    ULONGLONG lastProgress = 0;

    bool busy() const {
        return source != nullptr ||
               std::any_of(queued.begin(), queued.end(), [](bool q) { return q; });
    }

    // Cuts off what plays: every queued buffer comes back at once.
    void halt() {
        if (handle != nullptr) {
            waveOutReset(handle);
            for (std::size_t i = 0; i < kBuffers; ++i) {
                if (queued[i]) {
                    waveOutUnprepareHeader(handle, &headers[i], sizeof(WAVEHDR));
                }
            }
        }
        queued.fill(false);
        source.reset();
        sourceEnded = true;
    }

    // `detail`: Windows' own words for the waveOut error, in the user's language.
    void fail(SoundProblem problem, std::string detail = {}) {
        status.phase = SoundStatus::Phase::Failed;
        status.problem = problem;
        status.cause = problem == SoundProblem::NoOutput ? SoundCause::NoDevice
                       : detail.empty()                  ? SoundCause::None
                                                         : SoundCause::LibraryRefused;
        status.detail = std::move(detail);
    }
};

WaveOutSink::WaveOutSink()
    : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), device_(std::make_unique<Device>()) {
    for (auto& buffer : device_->samples) {
        buffer.resize(kFrames);
    }
    thread_ = std::thread([this] { run(); });
}

WaveOutSink::~WaveOutSink() {
    {
        const std::lock_guard lock(mutex_);
        requests_.quit = true;
    }
    SetEvent(wake_);
    thread_.join();
    CloseHandle(wake_);
}

void WaveOutSink::connect() {
    {
        const std::lock_guard lock(mutex_);
        requests_.connect = true;
    }
    SetEvent(wake_);
}

std::uint64_t WaveOutSink::play(SoundSourceFactory make, WhenNoOutput whenNone) {
    std::uint64_t play = 0;
    {
        const std::lock_guard lock(mutex_);
        play = ++plays_;
        requests_.play = play;
        requests_.make = std::move(make);
        requests_.whenNone = whenNone;
        status_ = SoundStatus{};
        status_.play = play;
        status_.phase = SoundStatus::Phase::Starting;
    }
    SetEvent(wake_);
    return play;
}

void WaveOutSink::stop() {
    {
        const std::lock_guard lock(mutex_);
        requests_.stop = true;
        requests_.play = 0;
        requests_.make = nullptr;
        if (status_.phase == SoundStatus::Phase::Starting ||
            status_.phase == SoundStatus::Phase::Playing) {
            status_.phase = SoundStatus::Phase::Idle;
        }
    }
    SetEvent(wake_);
}

SoundStatus WaveOutSink::status() const {
    const std::lock_guard lock(mutex_);
    return status_;
}

void WaveOutSink::publish(const SoundStatus& status) {
    const std::lock_guard lock(mutex_);
    // A newer request than this status knows of has the last word.
    if (status.play == plays_ && !requests_.stop && requests_.play == 0 &&
        status_.phase != SoundStatus::Phase::Idle) {
        status_ = status;
    }
}

void WaveOutSink::run() {
    for (;;) {
        // The device signals the same event whenever it is done with a buffer.
        const bool quiet = !device_->busy() && device_->handle != nullptr && device_->sounded;
        const DWORD woke = WaitForSingleObject(
            wake_, device_->busy() ? kPollMillis : quiet ? kIdleCloseMillis : INFINITE);
        Requests requests;
        {
            const std::lock_guard lock(mutex_);
            requests = std::move(requests_);
            requests_ = Requests{};
        }
        if (requests.quit) {
            break;
        }
        serve(std::move(requests));
        if (device_->busy()) {
            feed();
        } else if (quiet && woke == WAIT_TIMEOUT && device_->handle != nullptr) {
            device_->halt();
            waveOutClose(device_->handle);
            device_->handle = nullptr;
            device_->sounded = false;
        }
    }
    device_->halt();
    if (device_->handle != nullptr) {
        waveOutClose(device_->handle);
    }
}

void WaveOutSink::serve(Requests requests) {
    if (requests.stop || requests.play != 0) {
        device_->halt();
    }
    if (requests.play != 0) {
        startPlay(requests.play, requests.make, requests.whenNone);
    } else if (requests.connect && device_->handle == nullptr) {
        // Quietly: whether there is an output is told when something plays.
        openOutput(device_->handle, wake_);
    }
}

void WaveOutSink::startPlay(std::uint64_t play, const SoundSourceFactory& make,
                            WhenNoOutput whenNone) {
    Device& device = *device_;
    device.status = SoundStatus{};
    device.status.play = play;
    device.status.phase = SoundStatus::Phase::Starting;
    if (device.handle == nullptr) {
        // No output at start, or it went away: look again now, but for a click no more than
        // once a second.
        const ULONGLONG now = GetTickCount64();
        if (whenNone == WhenNoOutput::Fail && device.lastOpenFailure != MMSYSERR_NOERROR &&
            now - device.lastOpenTry < kLookMillis) {
            device.fail(device.lastProblem, errorText(device.lastOpenFailure));
            publish(device.status);
            return;
        }
        device.lastOpenTry = now;
        device.lastOpenFailure = openOutput(device.handle, wake_);
        if (device.lastOpenFailure != MMSYSERR_NOERROR) {
            const bool missing = device.lastOpenFailure == MMSYSERR_NODRIVER ||
                                 device.lastOpenFailure == MMSYSERR_BADDEVICEID;
            device.lastProblem = missing ? SoundProblem::NoOutput : SoundProblem::OutputFailed;
            device.fail(device.lastProblem, errorText(device.lastOpenFailure));
            publish(device.status);
            return;
        }
    }
    device.status.sampleRate = kRate;
    device.sounded = true;
    device.source = make ? make(kRate) : nullptr;
    device.sourceEnded = device.source == nullptr;
    device.written = 0;
    device.leadIn = kLeadInFrames;
    device.tail = 0;
    device.played = 0;
    device.lastProgress = GetTickCount64();
    feed();
}

void WaveOutSink::feed() {
    Device& device = *device_;
    for (std::size_t i = 0; i < kBuffers; ++i) {
        WAVEHDR& header = device.headers[i];
        if (device.queued[i] && (header.dwFlags & WHDR_DONE) != 0) {
            waveOutUnprepareHeader(device.handle, &header, sizeof header);
            device.queued[i] = false;
        }
        if (device.queued[i] || (device.sourceEnded && device.tail >= kTailFrames)) {
            continue;
        }
        std::vector<std::int16_t>& samples = device.samples[i];
        std::size_t frames = samples.size();
        if (!device.sourceEnded) {
            const std::size_t quiet = std::min(device.leadIn, samples.size());
            std::fill_n(samples.begin(), quiet, std::int16_t{0});
            device.leadIn -= quiet;
            std::size_t got = 0;
            if (quiet < samples.size()) {
                got = device.source->fill(std::span<std::int16_t>(samples).subspan(quiet));
                device.sourceEnded = got < samples.size() - quiet;
            }
            frames = quiet + got;
            device.written += static_cast<std::int64_t>(got);
        } else {
            // Silence after the end: the output hands back the last buffer of the sound, and
            // counts it heard, only once more follows it.
            std::fill(samples.begin(), samples.end(), std::int16_t{0});
            device.tail += frames;
        }
        if (frames == 0) {
            continue;
        }
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(samples.data());
        header.dwBufferLength = static_cast<DWORD>(frames * sizeof(std::int16_t));
        waveOutPrepareHeader(device.handle, &header, sizeof header);
        if (const MMRESULT written = waveOutWrite(device.handle, &header, sizeof header);
            written != MMSYSERR_NOERROR) {
            // The output went away: close it, and the next play looks for one again.
            waveOutUnprepareHeader(device.handle, &header, sizeof header);
            device.halt();
            waveOutClose(device.handle);
            device.handle = nullptr;
            device.fail(SoundProblem::OutputFailed, errorText(written));
            publish(device.status);
            return;
        }
        device.queued[i] = true;
    }

    MMTIME position{};
    position.wType = TIME_SAMPLES;
    waveOutGetPosition(device.handle, &position, sizeof position);
    const std::int64_t played = position.wType == TIME_SAMPLES
                                    ? static_cast<std::int64_t>(position.u.sample)
                                    : static_cast<std::int64_t>(position.u.cb) / 2;
    const std::int64_t heard =
        std::max<std::int64_t>(0, played - static_cast<std::int64_t>(kLeadInFrames));
    const ULONGLONG now = GetTickCount64();
    if (played > device.played) {
        device.played = played;
        device.lastProgress = now;
    }
    device.status.heardFrames =
        std::clamp<std::int64_t>(heard, device.status.heardFrames, device.written);
    if (device.status.heardFrames > 0) {
        device.status.phase = SoundStatus::Phase::Playing;
    }
    if (device.sourceEnded && heard >= device.written) {
        device.status.phase = SoundStatus::Phase::Done;
        device.source.reset();
        // Once the silence behind the sound is through, nothing is left to hand back.
        if (heard >= device.written + static_cast<std::int64_t>(device.tail)) {
            device.halt();
        }
    } else if (now - device.lastProgress > kStallMillis) {
        device.halt();
        device.fail(SoundProblem::Stalled);
    }
    publish(device.status);
}

} // namespace quillon::win32
