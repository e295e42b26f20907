#include "TextBoxEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>
#include <climits>
#include <utility>

namespace quillon {

namespace {

std::u16string_view viewOf(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

std::optional<KeyPress> keyPressOf(const QKeyEvent& event) {
    KeyPress press;
    switch (event.key()) {
    case Qt::Key_F5:
        press.key = Key::F5;
        break;
    case Qt::Key_F6:
        press.key = Key::F6;
        break;
    case Qt::Key_Escape:
        press.key = Key::Escape;
        break;
    case Qt::Key_A:
        press.key = Key::A;
        break;
    case Qt::Key_Y:
        press.key = Key::Y;
        break;
    case Qt::Key_Z:
        press.key = Key::Z;
        break;
    case Qt::Key_Up:
        press.key = Key::Up;
        break;
    case Qt::Key_Down:
        press.key = Key::Down;
        break;
    default:
        return std::nullopt;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    press.ctrl = modifiers.testFlag(Qt::ControlModifier);
    press.shift = modifiers.testFlag(Qt::ShiftModifier);
    press.alt = modifiers.testFlag(Qt::AltModifier) || modifiers.testFlag(Qt::MetaModifier);
    return press;
}

} // namespace

TextBoxEdit::TextBoxEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // C source needs no tab characters; Tab moves on to the buttons as in any form.
    setTabChangesFocus(true);
    // The session keeps the history, with the count beside the text.
    setUndoRedoEnabled(false);
    connect(document(), &QTextDocument::contentsChange, this, &TextBoxEdit::onContentsChange);
    connect(this, &QPlainTextEdit::textChanged, this, &TextBoxEdit::onTextChanged);
}

std::u16string TextBoxEdit::controlText() const {
    // Each block break is one character here, as in the offsets.
    return std::u16string(viewOf(document()->toRawText()));
}

void TextBoxEdit::replace(std::size_t from, std::size_t to, std::u16string_view text) {
    // Another cursor than the user's: Qt keeps the user's caret and selection on their
    // characters, and the view where it is.
    // Each placing of a cursor lays out its line to find the column, so an insertion (a click's
    // append) places it once.
    QTextCursor cursor = rangeOf(from, to);
    cursor.insertText(QString::fromStdU16String(std::u16string(text)));
}

std::size_t TextBoxEdit::caret() const noexcept {
    return static_cast<std::size_t>(textCursor().position());
}

void TextBoxEdit::selectAll() {
    QPlainTextEdit::selectAll();
}

TextSpan TextBoxEdit::selection() const noexcept {
    const QTextCursor cursor = textCursor();
    return {static_cast<std::size_t>(cursor.selectionStart()),
            static_cast<std::size_t>(cursor.selectionEnd())};
}

void TextBoxEdit::select(std::size_t begin, std::size_t end) noexcept {
    // After a click the caret is usually already at the end, where the append carried it.
    const QTextCursor current = textCursor();
    if (begin != end || current.hasSelection() || current.position() != static_cast<int>(begin)) {
        setTextCursor(rangeOf(begin, end));
    }
    ensureCursorVisible();
}

void TextBoxEdit::onContentsChange(int from, int removed, int added) {
    // The document's closing block break is not text, but Qt may count it in both lengths.
    const int length = document()->characterCount() - 1;
    const int past = from + added - length;
    if (past > 0) {
        added -= past;
        removed -= past;
    }
    if (from < 0 || removed < 0 || added < 0) {
        pending_.edits += 2;
        return;
    }
    if (added >= length / 4) {
        // A paste of a quarter of the text or more: a character of the raw text costs about a
        // quarter of one read through a selection, which walks the blocks one by one.
        pending_.inserted.assign(
            viewOf(document()->toRawText()).substr(static_cast<std::size_t>(from),
                                                   static_cast<std::size_t>(added)));
    } else {
        QTextCursor range(document());
        range.setPosition(from);
        range.setPosition(from + added, QTextCursor::KeepAnchor);
        pending_.inserted.assign(viewOf(range.selectedText()));
    }
    pending_.from = static_cast<std::size_t>(from);
    pending_.removed = static_cast<std::size_t>(removed);
    ++pending_.edits;
    marksStale_ = true;
}

void TextBoxEdit::onTextChanged() {
    const Pending edit = std::exchange(pending_, Pending{});
    if (edit.edits == 1) {
        emit edited(edit.from, edit.removed, edit.inserted,
                    static_cast<std::size_t>(document()->characterCount() - 1));
    } else if (edit.edits > 1) {
        emit changedSomewhere();
    }
}

void TextBoxEdit::marksChanged(std::size_t from, std::size_t to) {
    const Shown shown = shownLines();
    if (from < shown.end && to >= shown.begin) {
        // Qt repaints only the extra selections that differ, not the whole view.
        showExtraSelections();
    }
}

void TextBoxEdit::setHeard(std::optional<TextSpan> element) {
    if (!element) {
        if (heard_) {
            heard_.reset();
            showExtraSelections();
            viewport()->update();
        }
        return;
    }
    const QTextCursor range = rangeOf(element->begin, element->end);
    if (heard_ && heard_->anchor() == range.anchor() && heard_->position() == range.position()) {
        return;
    }
    heard_ = range;
    showExtraSelections();
    scrollIntoView(range);
    viewport()->update();
}

QTextCursor TextBoxEdit::rangeOf(std::size_t begin, std::size_t end) const {
    const int last = document()->characterCount() - 1;
    const auto clamped = [last](std::size_t at) {
        return std::clamp(static_cast<int>(std::min<std::size_t>(at, INT_MAX)), 0, last);
    };
    QTextCursor range(document());
    range.setPosition(clamped(begin));
    if (end != begin) {
        range.setPosition(clamped(end), QTextCursor::KeepAnchor);
    }
    return range;
}

TextBoxEdit::Shown TextBoxEdit::shownLines() const {
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid()) {
        return {};
    }
    Shown shown;
    shown.begin = static_cast<std::size_t>(block.position());
    const qreal height = viewport()->height();
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    QTextBlock last = block;
    while (block.isValid() && top <= height) {
        last = block;
        top += blockBoundingRect(block).height();
        block = block.next();
    }
    // Past the last line's break.
    shown.end = static_cast<std::size_t>(last.position() + last.length());
    return shown;
}

void TextBoxEdit::showExtraSelections() {
    shown_ = shownLines();
    marksStale_ = false;
    const std::vector<TextMark> inView =
        marksWithin ? marksWithin(shown_.begin, shown_.end) : std::vector<TextMark>();

    QList<QTextEdit::ExtraSelection> selections;
    selections.reserve(static_cast<qsizetype>(inView.size()) + 1);
    QTextCharFormat wavy;
    wavy.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    wavy.setUnderlineColor(QColor(Qt::red));
    QTextCharFormat dotted;
    dotted.setUnderlineStyle(QTextCharFormat::DotLine);
    dotted.setUnderlineColor(QColor(128, 128, 128));
    for (const TextMark& mark : inView) {
        selections.append(
            {rangeOf(mark.begin, mark.end), mark.style == MarkStyle::Error ? wavy : dotted});
    }
    if (heard_) {
        // Drawn last, over an underline of the same element.
        QTextCharFormat lit;
        lit.setBackground(QColor(255, 220, 96));
        selections.append({*heard_, lit});
    }
    setExtraSelections(selections);
}

void TextBoxEdit::paintEvent(QPaintEvent* event) {
    // Scrolled, resized or edited since: the underlines of the lines now in view.
    if (marksStale_ || shownLines() != shown_) {
        showExtraSelections();
    }
    QPlainTextEdit::paintEvent(event);
    if (!heard_ || !heard_->hasSelection()) {
        return;
    }
    // The selection paints over the light; a frame round the element shows through it.
    QTextCursor start(*heard_);
    start.setPosition(heard_->selectionStart());
    QTextCursor end(*heard_);
    end.setPosition(heard_->selectionEnd());
    const QRect from = cursorRect(start);
    const QRect to = cursorRect(end);
    if (from.top() != to.top()) {
        return;
    }
    QPainter painter(viewport());
    painter.setPen(QPen(QColor(230, 140, 0), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(from.topLeft(), to.bottomRight()).adjusted(-1, 0, 1, 0));
}

void TextBoxEdit::scrollIntoView(const QTextCursor& at) {
    // The caret stays where it is; only the view moves, as little as it takes.
    QTextCursor start(at);
    start.setPosition(at.selectionStart());
    const QRect area = viewport()->rect();
    const QRect shown = cursorRect(start);
    if (!area.contains(shown.topLeft()) || !area.contains(shown.bottomLeft())) {
        QScrollBar* lines = verticalScrollBar();
        const int visibleLines = std::max(1, area.height() / std::max(1, shown.height()));
        lines->setValue(start.blockNumber() - visibleLines / 3);
    }
    QTextCursor end(at);
    end.setPosition(at.selectionEnd());
    const QRect from = cursorRect(start);
    const QRect to = cursorRect(end);
    QScrollBar* columns = horizontalScrollBar();
    if (from.left() < area.left() || to.right() > area.right()) {
        columns->setValue(columns->value() + from.left() - area.width() / 3);
    }
}

bool TextBoxEdit::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QTextCursor at = cursorForPosition(help->pos());
        const std::u16string tip =
            tipAt ? tipAt(static_cast<std::size_t>(at.position())) : std::u16string();
        if (!tip.empty()) {
            QToolTip::showText(help->globalPos(), QString::fromStdU16String(tip), viewport());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QPlainTextEdit::viewportEvent(event);
}

void TextBoxEdit::keyPressEvent(QKeyEvent* event) {
    if (const auto press = keyPressOf(*event); press && keyHandler && keyHandler(*press)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBoxEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    emit contextMenuOpening(menu);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace quillon
