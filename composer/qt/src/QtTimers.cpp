#include "QtTimers.h"

#include <QTimer>

namespace quillon {
namespace {

class QtOneShotTimer final : public OneShotTimer {
public:
    QtOneShotTimer(QObject& owner, std::function<void()> onTimeout) : timer_(new QTimer(&owner)) {
        timer_->setSingleShot(true);
        QObject::connect(timer_, &QTimer::timeout, std::move(onTimeout));
    }
    ~QtOneShotTimer() override { delete timer_; }
    QtOneShotTimer(const QtOneShotTimer&) = delete;
    QtOneShotTimer& operator=(const QtOneShotTimer&) = delete;

    void start(std::chrono::milliseconds after) override {
        timer_->start(static_cast<int>(after.count()));
    }
    void stop() override { timer_->stop(); }
    bool active() const override { return timer_->isActive(); }

private:
    QTimer* timer_;
};

} // namespace

std::unique_ptr<OneShotTimer> QtTimers::makeTimer(std::function<void()> onTimeout) {
    return std::make_unique<QtOneShotTimer>(owner_, std::move(onTimeout));
}

} // namespace quillon
