#include "PortAudioSink.h"

#include <portaudio.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace quillon {
namespace {

constexpr double kPreferredRate = 48000;

PaStream* asStream(void* stream) {
    return static_cast<PaStream*>(stream);
}

#if defined(__linux__)
extern "C" void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
extern "C" void quietJack(const char*) {}

// Both libraries are loaded with PortAudio; their handlers are looked up by name so that the
// sink needs neither library's headers and works without either.
void silenceBackends() {
    if (std::getenv("QUILLON_SOUND_DEBUG") != nullptr) {
        return;
    }
    // PortAudio probes JACK; without this a missing JACK server may be started on the spot.
    setenv("JACK_NO_START_SERVER", "1", 0);
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (void* set = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")) {
        reinterpret_cast<int (*)(AlsaHandler)>(set)(&quietAlsa);
    }
    using JackHandler = void (*)(const char*);
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (void* set = dlsym(RTLD_DEFAULT, name)) {
            reinterpret_cast<void (*)(JackHandler)>(set)(&quietJack);
        }
    }
}
#else
void silenceBackends() {}
#endif

int feed(const void*, void* output, unsigned long frameCount, const PaStreamCallbackTimeInfo* time,
         PaStreamCallbackFlags, void* user) {
    auto& p = *static_cast<PortAudioSink::Playback*>(user);
    const auto total = static_cast<std::int64_t>(p.samples.size());
    const std::int64_t next = p.nextFrame.load(std::memory_order_relaxed);
    // ALSA through the PulseAudio plugin gives the current time as DAC time; then the latency
    // that the stream reported stands in for what the host does not tell.
    const double dac = time->outputBufferDacTime > time->currentTime + 0.001
                           ? time->outputBufferDacTime
                           : time->currentTime + p.latency;
    p.origin.store(dac - static_cast<double>(next) / p.sampleRate, std::memory_order_relaxed);
    p.originKnown.store(true, std::memory_order_release);

    const std::int64_t count =
        std::clamp<std::int64_t>(total - next, 0, static_cast<std::int64_t>(frameCount));
    auto* out = static_cast<std::int16_t*>(output);
    if (count > 0) {
        std::copy_n(p.samples.data() + next, count, out);
    }
    std::fill(out + count, out + frameCount, std::int16_t{0});
    const std::int64_t handedOut = next + static_cast<std::int64_t>(frameCount);
    p.nextFrame.store(handedOut, std::memory_order_relaxed);
    // Hosts may drop what is still buffered once the callback completes: go on with silence
    // until the buffers in front of the listener hold nothing else.
    return handedOut >= total + p.tailFrames ? paComplete : paContinue;
}

std::string paText(PaError error) {
    std::string text = Pa_GetErrorText(error);
    if (error == paUnanticipatedHostError) {
        if (const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo(); info && info->errorText) {
            text += std::string(": ") + info->errorText;
        }
    }
    return text;
}

} // namespace

PortAudioSink::PortAudioSink(double minLatencySeconds)
    : minLatency_(minLatencySeconds), playback_(std::make_unique<Playback>()) {}

PortAudioSink::~PortAudioSink() {
    if (stream_ != nullptr) {
        Pa_AbortStream(asStream(stream_));
        Pa_CloseStream(asStream(stream_));
    }
    if (initialized_) {
        Pa_Terminate();
    }
}

bool PortAudioSink::fail(std::string message) {
    error_ = std::move(message);
    return false;
}

bool PortAudioSink::open() {
    if (state_ != State::Closed) {
        return state_ == State::Open;
    }
    state_ = State::Failed;
    silenceBackends();
    if (const PaError e = Pa_Initialize(); e != paNoError) {
        return fail("无法启动声音输出（PortAudio：" + paText(e) + "）");
    }
    initialized_ = true;
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (info == nullptr) {
        return fail("找不到声音输出设备：没有声卡，或桌面的声音服务器（PulseAudio、PipeWire）"
                    "没有运行");
    }
    PaStreamParameters out{};
    out.device = device;
    out.channelCount = 1;
    out.sampleFormat = paInt16;
    out.suggestedLatency = std::max(info->defaultHighOutputLatency, minLatency_);
    double rate = kPreferredRate;
    if (Pa_IsFormatSupported(nullptr, &out, rate) != paFormatIsSupported) {
        rate = info->defaultSampleRate;
    }
    PaStream* stream = nullptr;
    if (const PaError e = Pa_OpenStream(&stream, nullptr, &out, rate, paFramesPerBufferUnspecified,
                                        paNoFlag, &feed, playback_.get());
        e != paNoError) {
        return fail(std::string("无法打开声音输出设备“") + info->name + "”（" + paText(e) + "）");
    }
    stream_ = stream;
    const PaStreamInfo* streamInfo = Pa_GetStreamInfo(stream);
    sampleRate_ = static_cast<int>(std::lround(streamInfo ? streamInfo->sampleRate : rate));
    latency_ = streamInfo ? streamInfo->outputLatency : out.suggestedLatency;
    playback_->sampleRate = sampleRate_;
    playback_->latency = latency_;
    // The output's latency and a buffer or two on top.
    playback_->tailFrames = static_cast<std::int64_t>(std::ceil((latency_ + 0.05) * sampleRate_));
    state_ = State::Open;
    error_.clear();
    return true;
}

void PortAudioSink::halt() {
    if (stream_ != nullptr && Pa_IsStreamStopped(asStream(stream_)) == 0) {
        Pa_AbortStream(asStream(stream_));
    }
}

bool PortAudioSink::play(std::vector<std::int16_t> samples) {
    if (state_ != State::Open) {
        return fail(error_.empty() ? "声音输出没有打开" : error_);
    }
    halt();
    // The stream is stopped: its thread no longer reads the buffer, which may now change.
    playback_->samples = std::move(samples);
    playback_->nextFrame.store(0);
    playback_->originKnown.store(false);
    stoppedAt_ = -1;
    lastHeard_ = 0;
    started_ = false;
    if (playback_->samples.empty()) {
        return true;
    }
    if (const PaError e = Pa_StartStream(asStream(stream_)); e != paNoError) {
        return fail("无法播放声音（" + paText(e) + "）");
    }
    started_ = true;
    return true;
}

void PortAudioSink::stop() {
    if (!started_ || stoppedAt_ >= 0) {
        return;
    }
    const std::int64_t heard = heardFrames();
    halt();
    stoppedAt_ = heard;
}

bool PortAudioSink::playing() const {
    return started_ && stoppedAt_ < 0 && Pa_IsStreamActive(asStream(stream_)) == 1 &&
           heardFrames() < static_cast<std::int64_t>(playback_->samples.size());
}

std::int64_t PortAudioSink::heardFrames() const {
    if (!started_) {
        return 0;
    }
    if (stoppedAt_ >= 0) {
        return stoppedAt_;
    }
    const auto total = static_cast<std::int64_t>(playback_->samples.size());
    if (Pa_IsStreamActive(asStream(stream_)) != 1) {
        // Finished by itself: the last frame has played.
        lastHeard_ = total;
        return total;
    }
    if (!playback_->originKnown.load(std::memory_order_acquire)) {
        return lastHeard_;
    }
    const double since =
        Pa_GetStreamTime(asStream(stream_)) - playback_->origin.load(std::memory_order_relaxed);
    const auto heard = static_cast<std::int64_t>(std::floor(since * sampleRate_));
    lastHeard_ = std::clamp(heard, lastHeard_, total);
    return lastHeard_;
}

} // namespace quillon
