#pragma once

#include "quillon/TextBox.h"

#include <QPlainTextEdit>

#include <cstddef>
#include <string>
#include <string_view>

class QMenu;

namespace quillon {

// Text1: a plain text box that the editor reads and writes as one string with CR LF line
// breaks. Qt keeps a line break as one block break; this class keeps a CR LF copy of the
// document, current after every edit, so that a read is a copy and a write compares at memory
// speed and edits only the part of the document that changed. A write is one undoable edit and
// raises `changed` exactly once, inside the write.
//
// Undo and redo (keyboard, context menu, undoStep and redoStep) walk Qt's own history; they are
// not changes, and raise `historyMoved` instead so that the counters can follow.
class TextBoxEdit : public QPlainTextEdit, public TextBox {
    Q_OBJECT
public:
    explicit TextBoxEdit(QWidget* parent = nullptr);

    std::u16string text() const override;
    void setText(std::u16string_view text) override;
    std::size_t historyPosition() const override;
    void clearHistory() override;

    void undoStep();
    void redoStep();

signals:
    // Once for every change of the text: a program write (even of the same text), or an edit of
    // the user's that changed the text. Input method composition is not a change.
    void changed();
    // Undo or redo, or an edit of the user's that left the text as it was.
    void historyMoved();
    // The context menu is about to open; others may add their entries.
    void contextMenuOpening(QMenu* menu);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void onContentsChange(int from, int removed, int added);
    void onTextChanged();
    void walkHistory(bool undo);
    void showEnd();

    // Document position <-> index into mirror_: every line break is one position but two
    // characters there.
    std::size_t mirrorIndex(int position) const;
    int documentPosition(std::size_t index) const;
    void replaceInMirror(std::size_t index, std::size_t length, std::u16string_view with);
    void resyncMirror();

    // The text as the editor reads it, CR LF for every line break; `breaks_` counts them.
    std::u16string mirror_;
    std::size_t breaks_ = 0;

    // Writes in progress, counting the nested write made from inside a change handler.
    int writeDepth_ = 0;
    // Change handlers running for an edit the user made.
    int userEditDepth_ = 0;
    // Set while a write edits the document: the mirror is already current.
    bool ownEdit_ = false;
    // Set while undo or redo runs.
    bool walking_ = false;
    // The last write edited the document (a write of the same text does not), so that the
    // automatic break from inside it can join its undo step.
    bool lastWriteEdited_ = false;
    // The last document edit changed the text (not only its layout or preedit).
    bool textMoved_ = false;
    std::size_t lastPosition_ = 0;
};

} // namespace quillon
