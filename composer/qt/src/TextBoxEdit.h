#pragma once

#include "quillon/ComposerSession.h"
#include "quillon/FindingMarks.h"
#include "quillon/SessionPorts.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QMenu;

namespace quillon {

// Text1: a plain text box that the session reads and writes as one string with CR LF line
// breaks. Qt keeps a line break as one block break; this class keeps a CR LF copy of the
// document, current after every edit, so that a read is a copy and a write compares at memory
// speed and edits only the part of the document that changed. A write raises `changed` exactly
// once, inside the write; so does every edit of the user's that changes the text.
//
// The undo history is the session's, the same for every window: Qt's own is switched off, and
// the keys and the context menu's entries go to the session.
class TextBoxEdit : public QPlainTextEdit, public TextControl, public TextMarks {
    Q_OBJECT
public:
    explicit TextBoxEdit(QWidget* parent = nullptr);

    std::u16string text() const override;
    void setText(std::u16string_view text) override;
    void replaceRange(std::size_t at, std::size_t removed, std::u16string_view inserted) override;
    void placeCaret(std::size_t index) noexcept override;
    std::size_t caretPosition() const noexcept override;
    void selectAll() override;
    TextSpan selection() const noexcept override;
    void select(std::size_t begin, std::size_t end) noexcept override;

    void setMarks(std::span<const TextMark> marks) override;
    void setHeard(std::optional<TextSpan> element) override;

    // Asked first for every key pressed in the box; true when it took the key.
    std::function<bool(const KeyPress&)> keyHandler;
    // What the tooltip over the character at a CR LF offset says; empty for none.
    std::function<std::u16string(std::size_t)> tipAt;

    // Where a CR LF offset stands in the document, and back.
    int documentPosition(std::size_t index) const;
    std::size_t textIndex(int position) const;

signals:
    // Once for every change of the text: a program write (even of the same text), or an edit of
    // the user's that changed the text. Input method composition is not a change.
    void changed();
    // The context menu is about to open, with Qt's own entries; others may add theirs.
    void contextMenuOpening(QMenu* menu);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void onContentsChange(int from, int removed, int added);
    void onTextChanged();
    void showEnd();

    void replaceInMirror(std::size_t index, std::size_t length, std::u16string_view with);
    void resyncMirror();
    void followMarks(const TextEdit& edit);
    // The underlines and the light as extra selections, the underlines only on the lines in
    // view: Qt draws each extra selection of a block it paints, and fits each new one to its
    // line, at a cost that grows with the line's length.
    void showExtraSelections();
    // The lines in view: from the start of the first, in CR LF offsets, to past the end of the
    // last, and where the first starts in the document.
    struct Shown {
        std::size_t begin = 0;
        std::size_t end = 0;
        int position = 0;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    Shown shownLines() const;
    void scrollIntoView(const QTextCursor& at);
    QTextCursor rangeOf(std::size_t begin, std::size_t end) const;

    // The text as the session reads it, CR LF for every line break; `breaks_` counts them.
    std::u16string mirror_;
    std::size_t breaks_ = 0;
    // What a write puts in, widened to whole line breaks; kept to spare an allocation a write.
    std::u16string replacement_;

    // Writes in progress, counting the nested write made from inside a change handler.
    int writeDepth_ = 0;
    // Change handlers running for an edit the user made.
    int userEditDepth_ = 0;
    // Set while a write edits the document: the mirror is already current.
    bool ownEdit_ = false;
    // The last document edit changed the text (not only its layout or preedit).
    bool textMoved_ = false;

    // The marks in CR LF offsets, following the text as it changes until the next replace them,
    // and the lines in view when they were last made extra selections.
    std::vector<TextMark> marks_;
    Shown shown_;
    bool marksMoved_ = false;
    std::optional<QTextCursor> heard_;
};

} // namespace quillon
