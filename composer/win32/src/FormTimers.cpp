#include "FormTimers.h"

namespace quillon::win32 {

class FormTimers::Timer final : public OneShotTimer {
public:
    Timer(FormTimers& owner, std::function<void()> onTimeout, bool repeat)
        : owner_(owner), id_(owner.nextId_++), onTimeout_(std::move(onTimeout)), repeat_(repeat) {}
    ~Timer() override { stop(); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void start(std::chrono::milliseconds after) override {
        SetTimer(owner_.owner_, id_, static_cast<UINT>(std::max<long long>(after.count(), 0)),
                 nullptr);
        owner_.running_[id_] = this;
    }
    void stop() override {
        if (owner_.running_.erase(id_) > 0) {
            KillTimer(owner_.owner_, id_);
        }
    }
    bool active() const override { return owner_.running_.contains(id_); }

    void fire() {
        if (!repeat_) {
            stop();
        }
        // Last: the handler may destroy this timer.
        const std::function<void()> handler = onTimeout_;
        handler();
    }

private:
    FormTimers& owner_;
    UINT_PTR id_;
    std::function<void()> onTimeout_;
    bool repeat_;
};

std::unique_ptr<OneShotTimer> FormTimers::makeTimer(std::function<void()> onTimeout) {
    return std::make_unique<Timer>(*this, std::move(onTimeout), false);
}

std::unique_ptr<OneShotTimer> FormTimers::every(int intervalMillis, std::function<void()> onTick) {
    auto timer = std::make_unique<Timer>(*this, std::move(onTick), true);
    timer->start(std::chrono::milliseconds(intervalMillis));
    return timer;
}

bool FormTimers::onTimer(UINT_PTR id) {
    const auto found = running_.find(id);
    if (found == running_.end()) {
        return false;
    }
    found->second->fire();
    return true;
}

} // namespace quillon::win32
