#include "PortAudioWorker.h"

#include "OutputSigns.h"
#include "SoundEnvironment.h"
#include "SoundThreadPriority.h"

#include <portaudio.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <span>
#include <utility>

#if defined(__linux__)
#include <pthread.h>
#endif

namespace quillon {

struct PortAudioWorker::Shared {
    explicit Shared(Settings s) : settings(s) {}

    const Settings settings;

    struct Request {
        enum class Kind : std::uint8_t { Connect, Play, Stop, Quit } kind;
        std::shared_ptr<SoundPlay> play;
        WhenNoOutput whenNone = WhenNoOutput::LookAgain;
    };
    // Guards `requests` and `ended`; never held during a PortAudio call.
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Request> requests;
    bool ended = false;
    std::condition_variable endedSignal;

    std::atomic<bool> abandoned{false};
    std::atomic<bool> finished{false};
    // The PortAudio call under way and when it began (steady clock, ns); 0 between calls.
    std::atomic<std::int64_t> busySince{0};
    std::atomic<const char*> busyCall{""};
    // The worker's last look found no output.
    std::atomic<bool> noOutput{false};

    void post(Request request) {
        {
            const std::lock_guard lock(mutex);
            requests.push_back(std::move(request));
        }
        wake.notify_one();
    }
};

namespace {

using Request = PortAudioWorker::Shared::Request;

constexpr double kPreferredRate = 48000;
// A play that has heard its last frame counts as over once this much more has passed, so that
// an estimate of the listener a little ahead of the truth does not cut the end off.
constexpr std::int64_t kEndMarginNanos = 100'000'000;
constexpr double kSmallestLatency = 0.0125;
// How often the worker looks after a running stream.
constexpr auto kWatchInterval = std::chrono::milliseconds(100);

// Pa_Initialize and Pa_Terminate change PortAudio's global state, and an abandoned worker may
// still be inside one when a new worker starts: only workers take this, never an owner.
std::timed_mutex& libraryLock() {
    static std::timed_mutex lock;
    return lock;
}

// Thrown out of a PortAudio call that returned after the owner gave up on this thread.
struct Abandoned {};

// One play as the audio callback feeds it: the play, its source and where it stands.
struct Feed {
    std::shared_ptr<SoundPlay> play;
    std::unique_ptr<SoundSource> source;
    std::int64_t leadIn = 0;
    bool sourceEnded = false;
};

// What the callback of one stream reads, for as long as the stream is open. Plays reach it
// without a lock: the worker leaves the next feed in `next`, the callback takes it at the start
// of a buffer and leaves the one it replaces in a free slot of `spent`, which the worker frees.
// The callback neither allocates nor frees.
struct Line {
    double rate = 0;
    std::atomic<Feed*> next{nullptr};
    std::array<std::atomic<Feed*>, 4> spent{};
    // The callback's own.
    Feed* current = nullptr;
    // Steady clock (ns) of the latest callback; 0 before the first.
    std::atomic<std::int64_t> lastCall{0};

    // Worker: frees what the callback is done with.
    void collect() {
        for (std::atomic<Feed*>& slot : spent) {
            delete slot.exchange(nullptr, std::memory_order_acquire);
        }
    }
    // Worker: hands `feed` to the callback; a feed it has not taken yet never plays.
    void hand(std::unique_ptr<Feed> feed) {
        collect();
        delete next.exchange(feed.release(), std::memory_order_acq_rel);
    }
    // Worker, once the stream is closed: frees everything.
    ~Line() {
        collect();
        delete next.exchange(nullptr);
        delete current;
    }
    Line() = default;
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
};

// Callback: takes the next feed if there is one and room to hand back the current one.
void takeNext(Line& line) {
    if (line.next.load(std::memory_order_relaxed) == nullptr) {
        return;
    }
    std::atomic<Feed*>* free = nullptr;
    for (std::atomic<Feed*>& slot : line.spent) {
        if (slot.load(std::memory_order_relaxed) == nullptr) {
            free = &slot;
            break;
        }
    }
    if (free == nullptr && line.current != nullptr) {
        // The worker frees them within its next look at the stream; until then the current
        // play goes on.
        return;
    }
    Feed* taken = line.next.exchange(nullptr, std::memory_order_acq_rel);
    if (taken == nullptr) {
        return;
    }
    if (line.current != nullptr) {
        free->store(line.current, std::memory_order_release);
    }
    line.current = taken;
}

int feedOutput(const void* /*input*/, void* output, unsigned long frameCount,
               const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags /*flags*/, void* user) {
    Line& line = *static_cast<Line*>(user);
    takeNext(line);
    const std::int64_t now = steadyNanos();
    line.lastCall.store(now, std::memory_order_release);
    std::span<std::int16_t> out(static_cast<std::int16_t*>(output), frameCount);
    if (line.current == nullptr) {
        std::fill(out.begin(), out.end(), std::int16_t{0});
        return paContinue;
    }
    Feed& feed = *line.current;
    SoundPlay& play = *feed.play;
    const auto frames = static_cast<std::int64_t>(frameCount);
    const std::int64_t handed = play.handed.load(std::memory_order_relaxed);
    // The output tells how long until this buffer is heard (ALSA's delay through PulseAudio's
    // plugin: the server's whole buffer). So frame 0 is heard at now + delay - handed / rate.
    double delay = time->outputBufferDacTime - time->currentTime;
    if (!(delay > 0 && delay < 60)) {
        delay = 0;
    }
    const auto delayNanos = static_cast<std::int64_t>(delay * 1e9);
    const auto handedNanos =
        static_cast<std::int64_t>(static_cast<double>(handed) * 1e9 / line.rate);
    play.originNanos.store(now + delayNanos - handedNanos, std::memory_order_relaxed);
    play.delayMicros.store(delayNanos / 1000, std::memory_order_relaxed);

    std::int64_t written = 0;
    if (!play.stopped.load(std::memory_order_relaxed)) {
        written = std::clamp<std::int64_t>(feed.leadIn - handed, 0, frames);
        std::fill_n(out.begin(), written, std::int16_t{0});
        if (written < frames && !feed.sourceEnded) {
            const auto want = static_cast<std::size_t>(frames - written);
            const std::size_t got =
                feed.source->fill(out.subspan(static_cast<std::size_t>(written)));
            if (got < want) {
                feed.sourceEnded = true;
                play.sourceEnd.store(handed + written + static_cast<std::int64_t>(got),
                                     std::memory_order_release);
            }
            written += static_cast<std::int64_t>(got);
        }
    }
    std::fill(out.begin() + written, out.end(), std::int16_t{0});
    // After the source, silence: the stream runs on for the next play.
    play.handed.store(handed + frames, std::memory_order_release);
    play.called.store(true, std::memory_order_release);
    return paContinue;
}

std::string paText(const char* call, PaError error) {
    std::string text = std::string(call) + ": " + Pa_GetErrorText(error);
    if (error == paUnanticipatedHostError) {
        if (const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo(); info && info->errorText) {
            text += std::string(" (") + info->errorText + ")";
        }
    }
    return text;
}

void fail(SoundPlay& play, SoundProblem problem, SoundCause cause, std::string detail = {}) {
    if (play.stage.load() == SoundPlay::Stage::Failed) {
        return;
    }
    play.problem = problem;
    play.cause = cause;
    play.detail = std::move(detail);
    play.stage.store(SoundPlay::Stage::Failed, std::memory_order_release);
}

// The latency to ask of the output: `wanted`, or less where the user asked PulseAudio for less
// (PULSE_LATENCY_MSEC, which the server grants whatever a client asks). ALSA's buffer through
// PulseAudio's plugin must not be larger than the server's: the plugin counts the difference as
// buffered, so the stream would report a delay that much longer than the listener's, and the
// element lit as heard would lag the sound.
double grantedLatency(double wanted) {
    const char* asked = std::getenv("PULSE_LATENCY_MSEC");
    const double millis = asked == nullptr ? 0 : std::atof(asked);
    return millis > 0 ? std::min(wanted, millis / 1000) : wanted;
}

// The worker's state, all of it on the worker's thread.
class Worker {
public:
    explicit Worker(std::shared_ptr<PortAudioWorker::Shared> shared)
        : shared_(std::move(shared)), settings_(shared_->settings),
          latency_(grantedLatency(settings_.latencySeconds)) {}

    // Runs until asked to quit. Abandoned in a call, it leaks what a stream that may still play
    // could use, and leaves.
    void run() {
        try {
            loop();
        } catch (const Abandoned&) {
            (void)line_.release();
            throw;
        }
    }

private:
    void loop();
    template <typename F> auto call(const char* name, F f) -> decltype(f());
    bool connectOutput();
    void noOutput(SoundProblem problem, SoundCause cause, std::string detail);
    void look();
    void release();
    void startPlay(const std::shared_ptr<SoundPlay>& play, WhenNoOutput whenNone);
    std::unique_ptr<Feed> makeFeed(const std::shared_ptr<SoundPlay>& play, std::int64_t leadIn);
    bool openStream(std::unique_ptr<Feed> first);
    void closeStream();
    void watch();
    bool idle(std::int64_t now) const;

    std::shared_ptr<PortAudioWorker::Shared> shared_;
    const PortAudioWorker::Settings settings_;
    double latency_;
    bool initialized_ = false;
    PaDeviceIndex device_ = paNoDevice;
    double rate_ = 0;
    SoundProblem connectProblem_ = SoundProblem::None;
    SoundCause connectCause_ = SoundCause::None;
    std::string connectDetail_;
    std::string openDetail_;
    // The last probe found no output: what the looks saw then, and when they last looked.
    bool missing_ = false;
    std::string missingSigns_;
    std::int64_t lastLook_ = 0;
    PaStream* stream_ = nullptr;
    std::unique_ptr<Line> line_;
    // The play last handed to the stream, and when the stream started.
    std::shared_ptr<SoundPlay> playing_;
    std::int64_t startedAt_ = 0;
    // When the stream last had something to play.
    std::int64_t busyAt_ = 0;
};

template <typename F> auto Worker::call(const char* name, F f) -> decltype(f()) {
    shared_->busyCall.store(name);
    shared_->busySince.store(steadyNanos());
    auto result = f();
    shared_->busySince.store(0);
    if (shared_->abandoned.load()) {
        throw Abandoned{};
    }
    return result;
}

void Worker::loop() {
    for (;;) {
        std::deque<Request> batch;
        {
            std::unique_lock lock(shared_->mutex);
            const auto pending = [this] { return !shared_->requests.empty(); };
            if (stream_ != nullptr) {
                shared_->wake.wait_for(lock, kWatchInterval, pending);
            } else if (missing_) {
                // Nothing to play through: look for an output once in a while.
                shared_->wake.wait_for(lock, settings_.lookInterval, pending);
            } else {
                shared_->wake.wait(lock, pending);
            }
            batch.swap(shared_->requests);
        }
        if (shared_->abandoned.load()) {
            return;
        }
        bool connect = false;
        std::optional<Request> last;
        for (Request& request : batch) {
            switch (request.kind) {
            case Request::Kind::Quit:
                release();
                return;
            case Request::Kind::Connect:
                connect = true;
                break;
            case Request::Kind::Play:
            case Request::Kind::Stop:
                last = std::move(request);
                break;
            }
        }
        if (connect && !initialized_) {
            connectOutput();
        }
        if (last && last->kind == Request::Kind::Play) {
            startPlay(last->play, last->whenNone);
        }
        if (missing_ &&
            steadyNanos() - lastLook_ >= std::chrono::nanoseconds(settings_.lookInterval).count()) {
            look();
        }
        if (stream_ != nullptr) {
            watch();
        }
    }
}

bool Worker::connectOutput() {
    if (initialized_) {
        return true;
    }
    quietSoundLibraries();
    // What a look sees now: the probe's finding holds until it changes.
    missingSigns_ = soundOutputSigns();
    lastLook_ = steadyNanos();
    std::unique_lock lock(libraryLock(), std::defer_lock);
    if (!lock.try_lock_for(settings_.answerLimit / 2)) {
        connectProblem_ = SoundProblem::OutputFailed;
        connectCause_ = SoundCause::LibraryHung;
        connectDetail_.clear();
        return false;
    }
    if (const PaError e = call("Pa_Initialize", [] { return Pa_Initialize(); }); e != paNoError) {
        noOutput(SoundProblem::OutputFailed, SoundCause::LibraryRefused,
                 paText("Pa_Initialize", e));
        return false;
    }
    lock.unlock();
    initialized_ = true;
    device_ = Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = device_ == paNoDevice ? nullptr : Pa_GetDeviceInfo(device_);
    if (info == nullptr) {
        // Let PortAudio go, so that the next probe finds the devices anew: a sound server that
        // starts later is found then.
        release();
        noOutput(SoundProblem::NoOutput, SoundCause::NoDevice, {});
        return false;
    }
    missing_ = false;
    shared_->noOutput.store(false);
    PaStreamParameters out{};
    out.device = device_;
    out.channelCount = 1;
    out.sampleFormat = paInt16;
    out.suggestedLatency = latency_;
    const PaError supported = call("Pa_IsFormatSupported", [&] {
        return Pa_IsFormatSupported(nullptr, &out, kPreferredRate);
    });
    rate_ = supported == paFormatIsSupported ? kPreferredRate : info->defaultSampleRate;
    return true;
}

void Worker::noOutput(SoundProblem problem, SoundCause cause, std::string detail) {
    connectProblem_ = problem;
    connectCause_ = cause;
    connectDetail_ = std::move(detail);
    missing_ = true;
    shared_->noOutput.store(true);
}

void Worker::look() {
    lastLook_ = steadyNanos();
    if (soundOutputSigns() == missingSigns_) {
        return;
    }
    // Something came or went: probe, and remember what the looks see from now on.
    connectOutput();
}

void Worker::release() {
    closeStream();
    if (!initialized_) {
        return;
    }
    initialized_ = false;
    device_ = paNoDevice;
    std::unique_lock lock(libraryLock(), std::defer_lock);
    if (lock.try_lock_for(settings_.answerLimit / 2)) {
        call("Pa_Terminate", [] { return Pa_Terminate(); });
    }
}

std::unique_ptr<Feed> Worker::makeFeed(const std::shared_ptr<SoundPlay>& play,
                                       std::int64_t leadIn) {
    auto feed = std::make_unique<Feed>();
    feed->play = play;
    feed->leadIn = leadIn;
    try {
        feed->source = play->make(static_cast<int>(rate_));
    } catch (const std::exception& e) {
        fail(*play, SoundProblem::OutputFailed, SoundCause::RenderFailed);
        return nullptr;
    }
    if (feed->source == nullptr) {
        fail(*play, SoundProblem::OutputFailed, SoundCause::NothingRendered);
        return nullptr;
    }
    play->sampleRate.store(static_cast<int>(rate_));
    play->leadIn.store(leadIn);
    return feed;
}

bool Worker::openStream(std::unique_ptr<Feed> first) {
    auto line = std::make_unique<Line>();
    line->rate = rate_;
    line->current = first.release();
    PaStreamParameters out{};
    out.device = device_;
    out.channelCount = 1;
    out.sampleFormat = paInt16;
    out.suggestedLatency = latency_;
    // Four callbacks to the latency: few wake-ups for a stream that runs while clicks come, and
    // small enough for a server that asks for little at a time.
    const auto perBuffer =
        static_cast<unsigned long>(std::max(64.0, std::round(rate_ * latency_ / 4)));
    PaStream* stream = nullptr;
    // The PulseAudio plugin starts the thread that hands the server its data in here.
    const SoundThreadPriority priority;
    const PaError e = call("Pa_OpenStream", [&] {
        return Pa_OpenStream(&stream, nullptr, &out, rate_, perBuffer, paNoFlag, &feedOutput,
                             line.get());
    });
    if (e != paNoError) {
        openDetail_ = paText("Pa_OpenStream", e);
        return false;
    }
    stream_ = stream;
    line_ = std::move(line);
    return true;
}

void Worker::closeStream() {
    if (stream_ == nullptr) {
        return;
    }
    PaStream* stream = std::exchange(stream_, nullptr);
    call("Pa_AbortStream", [stream] { return Pa_AbortStream(stream); });
    call("Pa_CloseStream", [stream] { return Pa_CloseStream(stream); });
    line_.reset();
    playing_.reset();
}

void Worker::startPlay(const std::shared_ptr<SoundPlay>& play, WhenNoOutput whenNone) {
    if (play->stopped.load()) {
        return;
    }
    if (!initialized_ && missing_ && whenNone == WhenNoOutput::Fail) {
        fail(*play, connectProblem_, connectCause_, connectDetail_);
        return;
    }
    const std::int64_t now = steadyNanos();
    if (stream_ != nullptr && line_->lastCall.load(std::memory_order_acquire) != 0) {
        // The stream runs: the play starts in its next buffer, with no lead-in.
        std::unique_ptr<Feed> feed = makeFeed(play, 0);
        if (feed == nullptr) {
            return;
        }
        playing_ = play;
        busyAt_ = now;
        line_->hand(std::move(feed));
        play->stage.store(SoundPlay::Stage::Started, std::memory_order_release);
        return;
    }
    closeStream();
    for (int attempt = 0;; ++attempt) {
        if (!connectOutput()) {
            fail(*play, connectProblem_, connectCause_, connectDetail_);
            return;
        }
        std::unique_ptr<Feed> feed = makeFeed(play, std::lround(settings_.leadInSeconds * rate_));
        if (feed == nullptr) {
            return;
        }
        if (openStream(std::move(feed))) {
            break;
        }
        // The server may have gone, or come back since the devices were probed: probe again,
        // and try once more.
        release();
        if (attempt > 0) {
            // As good as none (ALSA may still name the server's device after it went away):
            // clicks stay silent at no cost until a look sees a change.
            noOutput(SoundProblem::OutputFailed, SoundCause::LibraryRefused, openDetail_);
            fail(*play, SoundProblem::OutputFailed, SoundCause::LibraryRefused, openDetail_);
            return;
        }
    }
    PaError started = paNoError;
    {
        // PortAudio starts the thread that calls feedOutput in here.
        const SoundThreadPriority priority;
        started = call("Pa_StartStream", [this] { return Pa_StartStream(stream_); });
    }
    if (const PaError e = started; e != paNoError) {
        fail(*play, SoundProblem::OutputFailed, SoundCause::LibraryRefused,
             paText("Pa_StartStream", e));
        closeStream();
        return;
    }
    playing_ = play;
    startedAt_ = steadyNanos();
    busyAt_ = startedAt_;
    play->stage.store(SoundPlay::Stage::Started, std::memory_order_release);
}

bool Worker::idle(std::int64_t now) const {
    if (playing_ == nullptr || playing_->stopped.load() ||
        playing_->stage.load() == SoundPlay::Stage::Failed) {
        return true;
    }
    return playing_->endHeard(playing_->heardAt(now - kEndMarginNanos));
}

void Worker::watch() {
    line_->collect();
    const std::int64_t now = steadyNanos();
    const std::int64_t lastCall = line_->lastCall.load(std::memory_order_acquire);
    const auto callLimit = std::chrono::nanoseconds(settings_.firstCallbackLimit).count();
    if (now - std::max(lastCall, startedAt_) >= callLimit) {
        // The output does not ask for sound: that of a stream that never called back, with a
        // shorter buffer; that of one that stopped, anew.
        const std::shared_ptr<SoundPlay> play = idle(now) ? nullptr : playing_;
        if (play != nullptr) {
            // Queued again before the calls that may hang: a worker stuck in them fails it.
            play->stage.store(SoundPlay::Stage::Queued);
        }
        closeStream();
        if (lastCall == 0) {
            if (latency_ / 2 < kSmallestLatency) {
                if (play != nullptr) {
                    fail(*play, SoundProblem::Stalled, SoundCause::NeverAsked);
                }
                return;
            }
            latency_ /= 2;
        }
        if (play != nullptr) {
            startPlay(play, WhenNoOutput::LookAgain);
        }
        return;
    }
    if (call("Pa_IsStreamActive", [this] { return Pa_IsStreamActive(stream_); }) != 1) {
        // The stream ended by itself: its output went away (a sound server that died).
        if (!idle(now)) {
            fail(*playing_, SoundProblem::NoOutput, SoundCause::WentAway);
        }
        release();
        return;
    }
    if (!idle(now)) {
        busyAt_ = now;
    } else if (now - busyAt_ >= std::chrono::nanoseconds(settings_.idleClose).count()) {
        closeStream();
    }
}

} // namespace

PortAudioWorker::PortAudioWorker(Settings settings) : shared_(std::make_shared<Shared>(settings)) {
    thread_ = std::thread([shared = shared_] {
#if defined(__linux__)
        pthread_setname_np(pthread_self(), "quillon-sound");
#endif
        try {
            Worker(shared).run();
        } catch (const Abandoned&) {
            // Left to itself: make no other call.
        } catch (const std::exception& e) {
            std::fprintf(stderr, "quillon: the sound thread ended: %s\n", e.what());
        }
        shared->finished.store(true);
        {
            const std::lock_guard lock(shared->mutex);
            shared->ended = true;
        }
        shared->endedSignal.notify_all();
    });
}

PortAudioWorker::~PortAudioWorker() {
    if (thread_.joinable()) {
        shutDown(std::chrono::milliseconds(500));
    }
}

void PortAudioWorker::connect() {
    shared_->post({Shared::Request::Kind::Connect, nullptr});
}

void PortAudioWorker::play(std::shared_ptr<SoundPlay> play, WhenNoOutput whenNone) {
    shared_->post({Shared::Request::Kind::Play, std::move(play), whenNone});
}

void PortAudioWorker::stop() {
    shared_->post({Shared::Request::Kind::Stop, nullptr});
}

bool PortAudioWorker::knowsNoOutput() const {
    return shared_->noOutput.load();
}

bool PortAudioWorker::stuck() const {
    if (shared_->finished.load()) {
        return true;
    }
    const std::int64_t since = shared_->busySince.load();
    return since != 0 &&
           steadyNanos() - since > std::chrono::nanoseconds(shared_->settings.answerLimit).count();
}

std::string PortAudioWorker::stuckDetail() const {
    // The library's own name for the call it is caught in: the rest the cause says.
    if (shared_->finished.load()) {
        return {};
    }
    return shared_->busyCall.load();
}

void PortAudioWorker::shutDown(std::chrono::milliseconds limit) {
    if (!thread_.joinable()) {
        return;
    }
    shared_->post({Shared::Request::Kind::Quit, nullptr});
    std::unique_lock lock(shared_->mutex);
    if (shared_->endedSignal.wait_for(lock, limit, [this] { return shared_->ended; })) {
        lock.unlock();
        thread_.join();
    } else {
        lock.unlock();
        abandon();
    }
}

void PortAudioWorker::abandon() {
    shared_->abandoned.store(true);
    shared_->wake.notify_one();
    if (thread_.joinable()) {
        thread_.detach();
    }
}

} // namespace quillon
