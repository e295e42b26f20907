#include "quillon/ComposerSession.h"

#include "SessionCore.h"

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

ComposerSession::ComposerSession(SessionPorts ports, MelodyKeeping keeping)
    : core_(std::make_unique<SessionCore>(ports, std::move(keeping))) {}

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
    return core_->actionForKey(key, inText1);
}

void ComposerSession::setBoardProgressWindow(BoardProgressWindow* window) {
    core_->setBoardProgressWindow(window);
}

void ComposerSession::setBoardPortLister(std::function<std::vector<PortInfo>()> lister) {
    core_->setBoardPortLister(std::move(lister));
}

void ComposerSession::perform(SessionAction action, std::size_t item) {
    guarded(*core_, [&] { core_->perform(action, item); });
}

bool ComposerSession::Form_QueryUnload() {
    try {
        return core_->queryUnload();
    } catch (const std::exception&) {
        // Whatever failed, the user must be able to close the window; the melody is kept.
        return true;
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
