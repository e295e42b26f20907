#pragma once

#include "quillon/TextBox.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

    // The text with one character per line break, as the document counts positions.
    std::u16string documentText() const;

    // A place in the document, from begin to end, with what a tooltip over it says.
    struct Mark {
        int begin = 0;
        int end = 0;
        QString tip;
    };
    // Underlines the marks with a red wave; hovering one shows its tip. The underlines move with
    // the text as it is edited, until the next call replaces them.
    void setFindings(const std::vector<Mark>& marks);
    // Highlights the element being heard and scrolls it into view, leaving the caret, the
    // selection and the text alone; none removes the highlight.
    void setHeard(std::optional<Mark> element);

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
    bool viewportEvent(QEvent* event) override;

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
    void showExtraSelections();
    void scrollIntoView(const QTextCursor& at);

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

    // Live cursors: they follow the text as it changes.
    struct Marked {
        QTextCursor range;
        QString tip;
    };
    std::vector<Marked> findings_;
    std::optional<QTextCursor> heard_;
};

} // namespace quillon
