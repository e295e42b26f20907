#include "quillon/ComposerSession.h"

#include "NoticeQueue.h"
#include "SessionCore.h"

#include <memory>

namespace quillon {

// Every entry point is an event handler of a window: nothing thrown may leave it, or the
// toolkit ends the program and the melody is lost. The user is told that the step stopped.
namespace {
template <typename Run> void guarded(SessionCore& core, Run&& run) {
    try {
        const SessionCore::Entry entry(core);
        run();
    } catch (const std::exception& failure) {
        core.tellFailure(failure);
    }
}
} // namespace

// The window's timers, each firing as an entry of the session's: what it tells the user comes
// once it has ended, and nothing it throws reaches the toolkit.
class ComposerSession::Timers final : public TimerFactory {
public:
    explicit Timers(TimerFactory& window) : window_(window) {}

    void enterInto(SessionCore& core) { core_ = &core; }

    std::unique_ptr<OneShotTimer> makeTimer(std::function<void()> onTimeout) override {
        return window_.makeTimer([this, run = std::move(onTimeout)] {
            if (core_ != nullptr) {
                core_->timerFired(run);
            }
        });
    }

private:
    TimerFactory& window_;
    SessionCore* core_ = nullptr;
};

ComposerSession::ComposerSession(SessionPorts ports, MelodyKeeping keeping)
    : notices_(std::make_unique<NoticeQueue>(ports.notice)),
      timers_(std::make_unique<Timers>(ports.timers)),
      core_(std::make_unique<SessionCore>(SessionPorts{ports.text1, ports.marks, ports.label3,
                                                       *notices_, *timers_, ports.sound,
                                                       ports.files, ports.form1, ports.clipboard},
                                          std::move(keeping))) {
    core_->setNotices(notices_.get());
    timers_->enterInto(*core_);
}

ComposerSession::~ComposerSession() = default;

void ComposerSession::Form_Load() {
    guarded(*core_, [this] { core_->load(); });
}

void ComposerSession::run(const Command& command) {
    guarded(*core_, [&] { core_->run(command); });
}

void ComposerSession::Text1_Change(std::size_t from, std::size_t removed,
                                   std::u16string_view inserted, std::size_t lengthAfter) {
    guarded(*core_, [&] { core_->controlEdited(from, removed, inserted, lengthAfter); });
}

void ComposerSession::Text1_Change() {
    guarded(*core_, [this] { core_->controlChanged(); });
}

std::vector<TextMark> ComposerSession::Text1_MarksWithin(std::size_t from, std::size_t to) const {
    try {
        return core_->marksWithin(from, to);
    } catch (const std::exception&) {
        // Underlines are only a help: none are painted.
        return {};
    }
}

std::u16string_view ComposerSession::text() const {
    return core_->text();
}

std::optional<SessionAction> ComposerSession::actionForKey(const KeyPress& key,
                                                           bool inText1) const {
    return quillon::actionForKey(key, inText1);
}

void ComposerSession::setBoardProgressWindow(BoardProgressWindow* window) {
    core_->setBoardProgressWindow(window);
}

void ComposerSession::setBoardPortLister(std::function<std::vector<PortInfo>()> lister) {
    core_->setBoardPortLister(std::move(lister));
}

void ComposerSession::copyShareLink(std::u16string_view pageAddress) {
    guarded(*core_, [&] { core_->copyShareLink(pageAddress); });
}

bool ComposerSession::openShared(std::string_view fragment) {
    bool opened = false;
    guarded(*core_, [&] { opened = core_->openShared(fragment); });
    return opened;
}

void ComposerSession::perform(SessionAction action, std::size_t item) {
    guarded(*core_, [&] { core_->perform(action, item); });
}

void ComposerSession::Form_QueryUnload(std::function<void(bool mayClose)> answer) {
    // Once, whatever path the answer takes.
    auto pending = std::make_shared<std::function<void(bool)>>(std::move(answer));
    const auto once = [pending](bool mayClose) {
        if (*pending) {
            const std::function<void(bool)> call = std::move(*pending);
            *pending = nullptr;
            call(mayClose);
        }
    };
    try {
        const SessionCore::Entry entry(*core_);
        core_->queryUnload(once);
    } catch (const std::exception&) {
        // Whatever failed, the user must be able to close the window; the melody is kept.
        once(true);
    }
}

std::vector<MenuEntry> ComposerSession::contextMenuEntries() const {
    return core_->contextMenuEntries();
}

bool ComposerSession::canUndo() const {
    return core_->canUndo();
}

bool ComposerSession::canRedo() const {
    return core_->canRedo();
}

std::u16string ComposerSession::tipAt(std::size_t index) const {
    try {
        return core_->tipAt(index);
    } catch (const std::exception&) {
        // A tooltip is only a hint: none is shown.
        return {};
    }
}

} // namespace quillon
