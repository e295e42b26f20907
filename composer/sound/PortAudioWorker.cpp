#include "PortAudioWorker.h"

#include "SoundEnvironment.h"

#include <portaudio.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
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
// A stream that has heard its last frame is closed once this much more has passed, so that an
// estimate of the listener a little ahead of the truth does not cut the end off.
constexpr std::int64_t kCloseAfterEndNanos = 100'000'000;
constexpr double kSmallestLatency = 0.0125;

// Pa_Initialize and Pa_Terminate change PortAudio's global state, and an abandoned worker may
// still be inside one when a new worker starts: only workers take this, never an owner.
std::timed_mutex& libraryLock() {
    static std::timed_mutex lock;
    return lock;
}

// Thrown out of a PortAudio call that returned after the owner gave up on this thread.
struct Abandoned {};

// What the audio callback reads and writes: the play, its source and where it stands.
struct Feed {
    std::shared_ptr<SoundPlay> play;
    std::unique_ptr<SoundSource> source;
    std::int64_t leadIn = 0;
    double rate = 0;
    bool sourceEnded = false;
};

int feedOutput(const void* /*input*/, void* output, unsigned long frameCount,
               const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags /*flags*/, void* user) {
    Feed& feed = *static_cast<Feed*>(user);
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
        static_cast<std::int64_t>(static_cast<double>(handed) * 1e9 / feed.rate);
    play.originNanos.store(steadyNanos() + delayNanos - handedNanos, std::memory_order_relaxed);
    play.delayMicros.store(delayNanos / 1000, std::memory_order_relaxed);

    std::span<std::int16_t> out(static_cast<std::int16_t*>(output), frameCount);
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
    // After the source, silence: the stream runs on until the listener has heard the end,
    // since a stream that completes may drop what is still buffered.
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

void fail(SoundPlay& play, SoundProblem problem, std::string detail) {
    if (play.stage.load() == SoundPlay::Stage::Failed) {
        return;
    }
    play.problem = problem;
    play.detail = std::move(detail);
    play.stage.store(SoundPlay::Stage::Failed, std::memory_order_release);
}

// The worker's state, all of it on the worker's thread.
class Worker {
public:
    explicit Worker(std::shared_ptr<PortAudioWorker::Shared> shared)
        : shared_(std::move(shared)), settings_(shared_->settings),
          latency_(settings_.latencySeconds) {}

    // Runs until asked to quit. Abandoned in a call, it leaks what a stream that may still play
    // could use, and leaves.
    void run() {
        try {
            loop();
        } catch (const Abandoned&) {
            (void)feed_.release();
            throw;
        }
    }

private:
    void loop();
    template <typename F> auto call(const char* name, F f) -> decltype(f());
    bool connectOutput();
    void release();
    void startPlay(const std::shared_ptr<SoundPlay>& play);
    bool openStream();
    void closeStream();
    void watch();

    std::shared_ptr<PortAudioWorker::Shared> shared_;
    const PortAudioWorker::Settings settings_;
    double latency_;
    bool initialized_ = false;
    PaDeviceIndex device_ = paNoDevice;
    double rate_ = 0;
    SoundProblem connectProblem_ = SoundProblem::None;
    std::string connectDetail_;
    std::string openDetail_;
    PaStream* stream_ = nullptr;
    std::unique_ptr<Feed> feed_;
    std::int64_t startedAt_ = 0;
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
                // A stream plays: look after it every few milliseconds.
                shared_->wake.wait_for(lock, std::chrono::milliseconds(10), pending);
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
        if (last) {
            closeStream();
        }
        if (connect) {
            connectOutput();
        }
        if (last && last->kind == Request::Kind::Play) {
            startPlay(last->play);
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
    std::unique_lock lock(libraryLock(), std::defer_lock);
    if (!lock.try_lock_for(settings_.answerLimit / 2)) {
        connectProblem_ = SoundProblem::OutputFailed;
        connectDetail_ = "PortAudio is still inside a call that did not return";
        return false;
    }
    if (const PaError e = call("Pa_Initialize", [] { return Pa_Initialize(); }); e != paNoError) {
        connectProblem_ = SoundProblem::OutputFailed;
        connectDetail_ = paText("Pa_Initialize", e);
        return false;
    }
    lock.unlock();
    initialized_ = true;
    device_ = Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = device_ == paNoDevice ? nullptr : Pa_GetDeviceInfo(device_);
    if (info == nullptr) {
        // Let PortAudio go, so that the next try probes the devices again: a sound server that
        // starts later is found then.
        release();
        connectProblem_ = SoundProblem::NoOutput;
        connectDetail_ = "no sound output device: no sound card, or no sound server running";
        return false;
    }
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

bool Worker::openStream() {
    PaStreamParameters out{};
    out.device = device_;
    out.channelCount = 1;
    out.sampleFormat = paInt16;
    out.suggestedLatency = latency_;
    // Ten callbacks to the latency: small enough for a server that asks for little at a time.
    const auto perBuffer =
        static_cast<unsigned long>(std::max(64.0, std::round(rate_ * latency_ / 10)));
    PaStream* stream = nullptr;
    const PaError e = call("Pa_OpenStream", [&] {
        return Pa_OpenStream(&stream, nullptr, &out, rate_, perBuffer, paNoFlag, &feedOutput,
                             feed_.get());
    });
    if (e != paNoError) {
        openDetail_ = paText("Pa_OpenStream", e);
        return false;
    }
    stream_ = stream;
    return true;
}

void Worker::closeStream() {
    if (stream_ == nullptr) {
        return;
    }
    PaStream* stream = std::exchange(stream_, nullptr);
    call("Pa_AbortStream", [stream] { return Pa_AbortStream(stream); });
    call("Pa_CloseStream", [stream] { return Pa_CloseStream(stream); });
    feed_.reset();
}

void Worker::startPlay(const std::shared_ptr<SoundPlay>& play) {
    if (play->stopped.load()) {
        return;
    }
    for (int attempt = 0;; ++attempt) {
        if (!connectOutput()) {
            fail(*play, connectProblem_, connectDetail_);
            return;
        }
        feed_ = std::make_unique<Feed>();
        feed_->play = play;
        feed_->rate = rate_;
        feed_->leadIn = std::lround(settings_.leadInSeconds * rate_);
        try {
            feed_->source = play->make(static_cast<int>(rate_));
        } catch (const std::exception& e) {
            feed_.reset();
            fail(*play, SoundProblem::OutputFailed, std::string("making the sound: ") + e.what());
            return;
        }
        if (feed_->source == nullptr) {
            feed_.reset();
            fail(*play, SoundProblem::OutputFailed, "no sound was made");
            return;
        }
        play->sampleRate.store(static_cast<int>(rate_));
        play->leadIn.store(feed_->leadIn);
        if (openStream()) {
            break;
        }
        feed_.reset();
        // The server may have gone, or come back since the devices were probed: probe again,
        // and try once more.
        release();
        if (attempt > 0) {
            fail(*play, SoundProblem::OutputFailed, openDetail_);
            return;
        }
    }
    if (const PaError e = call("Pa_StartStream", [this] { return Pa_StartStream(stream_); });
        e != paNoError) {
        fail(*play, SoundProblem::OutputFailed, paText("Pa_StartStream", e));
        closeStream();
        return;
    }
    startedAt_ = steadyNanos();
    play->stage.store(SoundPlay::Stage::Started, std::memory_order_release);
}

void Worker::watch() {
    const std::shared_ptr<SoundPlay> play = feed_->play;
    if (play->stopped.load()) {
        closeStream();
        return;
    }
    const std::int64_t now = steadyNanos();
    if (!play->called.load(std::memory_order_acquire)) {
        const auto limit = std::chrono::nanoseconds(settings_.firstCallbackLimit).count();
        if (now - startedAt_ < limit) {
            return;
        }
        // Started, but the output never asks for sound: try a shorter buffer.
        closeStream();
        if (latency_ / 2 < kSmallestLatency) {
            fail(*play, SoundProblem::Stalled,
                 "the output took the stream but never asked for sound");
            return;
        }
        latency_ /= 2;
        play->stage.store(SoundPlay::Stage::Queued);
        startPlay(play);
        return;
    }
    if (play->endHeard(play->heardAt(now - kCloseAfterEndNanos))) {
        closeStream();
        return;
    }
    if (call("Pa_IsStreamActive", [this] { return Pa_IsStreamActive(stream_); }) != 1) {
        // The stream ended by itself: its output went away (a sound server that died).
        fail(*play, SoundProblem::NoOutput, "the sound output went away while playing");
        release();
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

void PortAudioWorker::play(std::shared_ptr<SoundPlay> play) {
    shared_->post({Shared::Request::Kind::Play, std::move(play)});
}

void PortAudioWorker::stop() {
    shared_->post({Shared::Request::Kind::Stop, nullptr});
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
    if (shared_->finished.load()) {
        return "the sound thread has ended";
    }
    const std::int64_t since = shared_->busySince.load();
    char text[160];
    std::snprintf(text, sizeof text, "%s did not return within %.1f s", shared_->busyCall.load(),
                  since == 0 ? 0.0 : static_cast<double>(steadyNanos() - since) / 1e9);
    return text;
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
