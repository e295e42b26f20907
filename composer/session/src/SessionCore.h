#pragma once

#include "quillon/ComposerSession.h"
#include "quillon/MelodyPreview.h"
#include "quillon/MelodyReader.h"
#include "quillon/MusicEditor.h"
#include "quillon/TextHistory.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// What ComposerSession does, behind its interface.
class SessionCore {
public:
    explicit SessionCore(SessionPorts ports);

    void load();
    void run(const Command& command);
    void textChanged();
    std::optional<SessionAction> actionForKey(const KeyPress& key, bool inText1) const;
    void perform(SessionAction action);
    std::vector<MenuEntry> contextMenuEntries() const;
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    std::u16string tipAt(std::size_t index) const;

private:
    void play();
    void stopPlaying();
    void follow();
    void check();
    void textMoved();
    void walk(bool undo);
    void soundClickedNote(MusicCode code);

    SessionPorts ports_;
    TextHistory history_;
    MusicEditor editor_;
    MelodyPreview preview_;
    std::unique_ptr<OneShotTimer> checkTimer_;
    std::unique_ptr<OneShotTimer> followTimer_;
    // The melody as last read, and whether the text has changed since.
    Melody melody_;
    bool checked_ = false;
    bool melodyPlaying_ = false;
    bool soundOnClick_ = true;
};

} // namespace quillon
