#pragma once

#include "quillon/Caption.h"
#include "quillon/CodeCounter.h"
#include "quillon/EditHistory.h"
#include "quillon/TextBox.h"

#include <initializer_list>
#include <string_view>

namespace quillon {

// The composer's edit commands and its change handler. Holds no copy of the document: every
// command reads the text box and writes what it changes back in exactly one write.
// No command throws; a step that fails is skipped.
class MusicEditor {
public:
    MusicEditor(UndoableText& text1, Caption& label3);

    void ResetMusicText();
    void AppendCodeItem(std::u16string_view item);
    void ExtendLastCode();
    void AppendLineBreak();
    void AppendTerminator();
    void ResetCodeCounter();
    // Clear: ResetCodeCounter, ResetMusicText, then the count caption set to "0".
    void Clear();

    // Must be called once for every change of the text box's text, inside the write that
    // caused it (the text box adapter wires it). Undo and redo are not changes.
    //
    // Every 17th change appends a line break at the end of the text. When the text then ends
    // inside a literal being typed (not after ",", "{", "}", ";" or a line break), the break
    // waits, and the first change that leaves the text ending outside one appends it: a break
    // must never split "0x00" into "0" and "x00".
    void Text1_Change();

    // Makes the present text and counters the bottom of the undo history (after start-up).
    void StartHistory();

    // The text box's undo history moved without a change of its text (undo, redo, or an edit
    // that left the text as it was): the counters and the caption go back to what they were at
    // that point, so that undoing and redoing never counts and never breaks a line.
    void Text1_HistoryMoved();

    const CodeCounter& counter() const { return counter_; }

private:
    EditorSnapshot snapshot() const;
    void restore(const EditorSnapshot& snapshot);
    void setCountCaption(bool showCount);
    // Files the present state under the text box's present history position.
    void remember();

    // Appends the pieces at the end of the text in one write; false when the text box refused.
    bool appendText(std::initializer_list<std::u16string_view> pieces);

    UndoableText& text1_;
    Caption& label3_;
    CodeCounter counter_;
    // Whether Label3 shows the count (" 12") or the bare "0" of start-up and Clear.
    bool captionShowsCount_ = false;
    // An automatic break fell due while the text ended inside a literal being typed.
    bool breakWaits_ = false;
    // Set while the automatic break is being written: its own change makes no other break.
    bool writingBreak_ = false;
    EditHistory history_;
};

} // namespace quillon
