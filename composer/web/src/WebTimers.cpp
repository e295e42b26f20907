#include "WebTimers.h"

namespace quillon {

class WebTimers::Timer final : public OneShotTimer {
public:
    Timer(WebTimers& owner, int id, std::function<void()> onTimeout)
        : owner_(owner), id_(id), onTimeout_(std::move(onTimeout)) {
        owner_.timers_[id_] = this;
    }
    ~Timer() override {
        stop();
        owner_.timers_.erase(id_);
    }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void start(std::chrono::milliseconds after) override {
        active_ = true;
        owner_.face_.call<void>("startTimer", id_, static_cast<double>(after.count()));
    }
    void stop() override {
        if (active_) {
            active_ = false;
            owner_.face_.call<void>("stopTimer", id_);
        }
    }
    bool active() const override { return active_; }

    void fire() {
        // A timer stopped after the page queued its callback does not fire.
        if (active_) {
            active_ = false;
            onTimeout_();
        }
    }

private:
    WebTimers& owner_;
    int id_;
    std::function<void()> onTimeout_;
    bool active_ = false;
};

std::unique_ptr<OneShotTimer> WebTimers::makeTimer(std::function<void()> onTimeout) {
    return std::make_unique<Timer>(*this, next_++, std::move(onTimeout));
}

void WebTimers::fired(int id) {
    if (const auto found = timers_.find(id); found != timers_.end()) {
        found->second->fire();
    }
}

} // namespace quillon
