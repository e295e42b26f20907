#include "PortAudioSink.h"

#include <algorithm>
#include <utility>

namespace quillon {

PortAudioSink::PortAudioSink(Settings settings) : settings_(settings) {}

PortAudioSink::~PortAudioSink() {
    if (current_ != nullptr) {
        current_->stopped.store(true);
    }
    if (worker_ != nullptr) {
        worker_->shutDown(std::chrono::milliseconds(500));
    }
}

PortAudioWorker& PortAudioSink::worker() {
    if (worker_ != nullptr && worker_->stuck()) {
        worker_->abandon();
        worker_.reset();
    }
    if (worker_ == nullptr) {
        worker_ = std::make_unique<PortAudioWorker>(settings_);
    }
    return *worker_;
}

void PortAudioSink::connect() {
    worker().connect();
}

std::uint64_t PortAudioSink::play(SoundSourceFactory make, WhenNoOutput whenNone) {
    if (current_ != nullptr) {
        // Silent from the next callback on, even before the worker gets to it.
        current_->stopped.store(true);
    }
    current_ = std::make_shared<SoundPlay>(++plays_, std::move(make));
    heard_ = 0;
    lost_.reset();
    PortAudioWorker& w = worker();
    if (whenNone == WhenNoOutput::Fail && w.knowsNoOutput()) {
        // The worker keeps looking by itself; this play costs nothing more.
        lost_ = Lost{SoundProblem::NoOutput, SoundCause::NoDevice, {}};
        return current_->id;
    }
    w.play(current_, whenNone);
    return current_->id;
}

void PortAudioSink::stop() {
    if (current_ != nullptr && !current_->stopped.load()) {
        heard_ = status().heardFrames;
        current_->stopped.store(true);
    }
    if (worker_ != nullptr && !worker_->stuck()) {
        worker_->stop();
    }
}

SoundStatus PortAudioSink::status() const {
    SoundStatus status;
    if (current_ == nullptr) {
        return status;
    }
    const SoundPlay& play = *current_;
    status.play = play.id;
    status.heardFrames = heard_;
    const SoundPlay::Stage stage = play.stage.load(std::memory_order_acquire);
    if (stage != SoundPlay::Stage::Queued) {
        status.sampleRate = play.sampleRate.load();
    }
    if (lost_) {
        status.phase = SoundStatus::Phase::Failed;
        status.problem = lost_->problem;
        status.cause = lost_->cause;
        status.detail = lost_->detail;
        return status;
    }
    if (play.stopped.load()) {
        status.phase = SoundStatus::Phase::Idle;
        return status;
    }
    if (stage != SoundPlay::Stage::Failed && worker_ != nullptr && worker_->stuck() &&
        !play.endHeard(heard_)) {
        // The worker is caught in a call that does not return: give the play up, and the
        // worker with it; the next play starts another.
        lost_ = Lost{SoundProblem::OutputFailed, SoundCause::LibraryHung, worker_->stuckDetail()};
        worker_->abandon();
        worker_.reset();
        status.phase = SoundStatus::Phase::Failed;
        status.problem = lost_->problem;
        status.cause = lost_->cause;
        status.detail = lost_->detail;
        return status;
    }
    switch (stage) {
    case SoundPlay::Stage::Failed:
        status.phase = SoundStatus::Phase::Failed;
        status.problem = play.problem;
        status.cause = play.cause;
        status.detail = play.detail;
        return status;
    case SoundPlay::Stage::Queued:
        status.phase = SoundStatus::Phase::Starting;
        return status;
    case SoundPlay::Stage::Started:
        break;
    }
    heard_ = std::max(heard_, play.heardAt(steadyNanos()));
    status.heardFrames = heard_;
    status.phase = play.endHeard(heard_)
                       ? SoundStatus::Phase::Done
                       : (heard_ > 0 ? SoundStatus::Phase::Playing : SoundStatus::Phase::Starting);
    return status;
}

double PortAudioSink::outputLatency() const {
    return current_ == nullptr ? 0.0 : static_cast<double>(current_->delayMicros.load()) / 1e6;
}

} // namespace quillon
