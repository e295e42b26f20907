#pragma once

#include "quillon/ComposerSession.h"
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

// Text1: a plain text box that tells the session of every edit of the user's, where it was, and
// carries out the session's writes. The session keeps the text; Qt keeps a line break as one
// block break, one unit of the control's offsets.
//
// The undo history is the session's, the same for every window: Qt's own is switched off, and
// the keys and the context menu's entries go to the session.
class TextBoxEdit : public QPlainTextEdit, public TextControl, public TextMarks {
    Q_OBJECT
public:
    explicit TextBoxEdit(QWidget* parent = nullptr);

    LineBreak lineBreak() const noexcept override { return LineBreak::OneUnit; }
    std::u16string controlText() const override;
    void replace(std::size_t from, std::size_t to, std::u16string_view text) override;
    std::size_t caret() const noexcept override;
    TextSpan selection() const noexcept override;
    void select(std::size_t begin, std::size_t end) noexcept override;
    void selectAll() override;

    void marksChanged(std::size_t from, std::size_t to) override;
    void setHeard(std::optional<TextSpan> element) override;

    // Asked first for every key pressed in the box; true when it took the key.
    std::function<bool(const KeyPress&)> keyHandler;
    // What the tooltip over the character at an offset says; empty for none.
    std::function<std::u16string(std::size_t)> tipAt;
    // The underlines that reach into [from, to).
    std::function<std::vector<TextMark>(std::size_t, std::size_t)> marksWithin;

signals:
    // The user's edit: `removed` units at `from` gave way to `inserted`; the document now holds
    // `lengthAfter`. Raised once Qt has finished the edit. Input method composition is no edit.
    void edited(std::size_t from, std::size_t removed, const std::u16string& inserted,
                std::size_t lengthAfter);
    // The text changed in more than one place at once: the session reads it whole.
    void changedSomewhere();
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

    // The underlines and the light as extra selections, the underlines only on the lines in
    // view: Qt draws each extra selection of a block it paints, and fits each new one to its
    // line, at a cost that grows with the line's length.
    void showExtraSelections();
    // The lines in view: from the start of the first to past the end of the last.
    struct Shown {
        std::size_t begin = 0;
        std::size_t end = 0;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    Shown shownLines() const;
    void scrollIntoView(const QTextCursor& at);
    QTextCursor rangeOf(std::size_t begin, std::size_t end) const;

    // The document's edits since the text last changed, waiting for Qt to finish.
    struct Pending {
        int edits = 0;
        std::size_t from = 0;
        std::size_t removed = 0;
        std::u16string inserted;
    };
    Pending pending_;

    // The lines in view when the underlines were last made extra selections, and whether they
    // or the text changed since.
    Shown shown_;
    bool marksStale_ = true;
    std::optional<QTextCursor> heard_;
};

} // namespace quillon
