#include "TextBoxEdit.h"

#include "quillon/FindingMarks.h"

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
#include <cstring>

namespace quillon {

namespace {

class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = old_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
    bool old_;
};

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

std::u16string_view viewOf(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

std::size_t countBreaks(std::u16string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\r'));
}

// Where two texts first differ, at memcmp speed.
std::size_t commonPrefix(std::u16string_view a, std::u16string_view b) {
    constexpr std::size_t kPage = 2048;
    const std::size_t shorter = std::min(a.size(), b.size());
    // Most writes keep all of the old text: one pass proves it.
    if (std::memcmp(a.data(), b.data(), shorter * sizeof(char16_t)) == 0) {
        return shorter;
    }
    std::size_t at = 0;
    while (at + kPage <= shorter &&
           std::memcmp(a.data() + at, b.data() + at, kPage * sizeof(char16_t)) == 0) {
        at += kPage;
    }
    while (at < shorter && a[at] == b[at]) {
        ++at;
    }
    return at;
}

// Every line break as CR LF: CR LF, a lone CR, a lone LF and Qt's paragraph and line
// separators each stand for one.
std::u16string withCrLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (ch == u'\r' || ch == u'\n' || ch == u'\u2029' || ch == u'\u2028') {
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            out += u"\r\n";
        } else {
            out += ch;
        }
    }
    return out;
}

// A CR LF text as the document takes it: one LF, which becomes one block break, per break.
QString documentForm(std::u16string_view crLfText) {
    QString out;
    out.reserve(static_cast<qsizetype>(crLfText.size()));
    for (const char16_t ch : crLfText) {
        if (ch != u'\r') {
            out.append(QChar(ch));
        }
    }
    return out;
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

std::u16string TextBoxEdit::text() const {
    // Room for what a command appends, so that the caller's append does not copy it again.
    constexpr std::size_t kRoomToAppend = 64;
    std::u16string copy;
    copy.reserve(mirror_.size() + kRoomToAppend);
    copy.append(mirror_);
    return copy;
}

void TextBoxEdit::setText(std::u16string_view text) {
    const std::size_t prefix = commonPrefix(mirror_, text);
    replaceRange(prefix, mirror_.size() - prefix, text.substr(prefix));
}

void TextBoxEdit::replaceRange(std::size_t at, std::size_t removed, std::u16string_view inserted) {
    DepthGuard writing(writeDepth_);
    // Inside the handler of a user's edit the caret stays where the user is typing.
    const bool programWrite = userEditDepth_ == 0;

    at = std::min(at, mirror_.size());
    removed = std::min(removed, mirror_.size() - at);
    // Never cut a line break in two: the document holds it as one character. Widen the range
    // to whole breaks and put back what the widening takes.
    const auto betweenCrAndLf = [this](std::size_t i) {
        return i > 0 && i < mirror_.size() && mirror_[i - 1] == u'\r' && mirror_[i] == u'\n';
    };
    const std::size_t begin = betweenCrAndLf(at) ? at - 1 : at;
    const std::size_t end = betweenCrAndLf(at + removed) ? at + removed + 1 : at + removed;
    const std::u16string_view mirror(mirror_);
    replacement_.assign(mirror.substr(begin, at - begin));
    replacement_ += inserted;
    replacement_ += mirror.substr(at + removed, end - at - removed);
    at = begin;
    removed = end - begin;
    const std::u16string tail = withCrLf(replacement_);
    if (std::u16string_view(mirror_).substr(at, removed) != tail) {
        const int from = documentPosition(at);
        const int to = documentPosition(at + removed);
        replaceInMirror(at, removed, tail);
        followMarks({at, at + removed, at + tail.size()});
        FlagGuard own(ownEdit_);
        QTextCursor cursor(document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.insertText(documentForm(tail));
    }

    // A write is one change, even when the text stays the same.
    emit changed();

    if (programWrite && writeDepth_ == 1) {
        showEnd();
    }
}

void TextBoxEdit::placeCaret(std::size_t index) noexcept {
    QTextCursor cursor = textCursor();
    cursor.setPosition(documentPosition(std::min(index, mirror_.size())));
    setTextCursor(cursor);
    ensureCursorVisible();
}

std::size_t TextBoxEdit::caretPosition() const noexcept {
    return textIndex(textCursor().position());
}

void TextBoxEdit::selectAll() {
    QPlainTextEdit::selectAll();
}

TextSpan TextBoxEdit::selection() const noexcept {
    const QTextCursor cursor = textCursor();
    return {textIndex(cursor.selectionStart()), textIndex(cursor.selectionEnd())};
}

void TextBoxEdit::select(std::size_t begin, std::size_t end) noexcept {
    setTextCursor(rangeOf(begin, end));
    ensureCursorVisible();
}

void TextBoxEdit::onContentsChange(int from, int removed, int added) {
    if (ownEdit_) {
        return;
    }
    // The document's closing block break is not text, but Qt may count it in both lengths.
    const int length = document()->characterCount() - 1;
    const int past = from + added - length;
    if (past > 0) {
        added -= past;
        removed -= past;
    }
    const auto mirrorLength = static_cast<int>(mirror_.size() - breaks_);
    if (from < 0 || removed < 0 || added < 0 || from + removed > mirrorLength ||
        mirrorLength - removed + added != length) {
        resyncMirror();
        return;
    }

    const std::size_t begin = textIndex(from);
    std::size_t end = begin;
    for (int i = 0; i < removed; ++i) {
        end += mirror_[end] == u'\r' ? 2 : 1;
    }
    QTextCursor range(document());
    range.setPosition(from);
    range.setPosition(from + added, QTextCursor::KeepAnchor);
    const std::u16string replacement = withCrLf(viewOf(range.selectedText()));
    // Input method composition and layout updates report a change of the same text.
    if (std::u16string_view(mirror_).substr(begin, end - begin) == replacement) {
        return;
    }
    replaceInMirror(begin, end - begin, replacement);
    followMarks({begin, end, begin + replacement.size()});
    textMoved_ = true;
}

void TextBoxEdit::onTextChanged() {
    // Writes raise their own change.
    if (ownEdit_ || !textMoved_) {
        return;
    }
    textMoved_ = false;
    DepthGuard userEdit(userEditDepth_);
    emit changed();
}

void TextBoxEdit::setMarks(std::span<const TextMark> marks) {
    marks_.assign(marks.begin(), marks.end());
    showExtraSelections();
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
    QTextCursor range(document());
    range.setPosition(std::clamp(documentPosition(begin), 0, last));
    range.setPosition(std::clamp(documentPosition(end), 0, last), QTextCursor::KeepAnchor);
    return range;
}

TextBoxEdit::Shown TextBoxEdit::shownLines() const {
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid()) {
        return {};
    }
    // Every block break before a block is one character in the document, two in CR LF.
    const auto offsetOf = [](const QTextBlock& at, int position) {
        return static_cast<std::size_t>(position) + static_cast<std::size_t>(at.blockNumber());
    };
    Shown shown;
    shown.position = block.position();
    shown.begin = offsetOf(block, shown.position);
    const qreal height = viewport()->height();
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    QTextBlock last = block;
    while (block.isValid() && top <= height) {
        last = block;
        top += blockBoundingRect(block).height();
        block = block.next();
    }
    // Past the last line's break.
    shown.begin = std::min(shown.begin, mirror_.size());
    shown.end = std::clamp(offsetOf(last, last.position() + last.length()) + 1, shown.begin,
                           mirror_.size());
    return shown;
}

void TextBoxEdit::showExtraSelections() {
    shown_ = shownLines();
    marksMoved_ = false;
    const std::span<const TextMark> inView = marksWithin(marks_, shown_.begin, shown_.end);

    QList<QTextEdit::ExtraSelection> selections;
    selections.reserve(static_cast<qsizetype>(inView.size()) + 1);
    QTextCharFormat wavy;
    wavy.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    wavy.setUnderlineColor(QColor(Qt::red));
    QTextCharFormat dotted;
    dotted.setUnderlineStyle(QTextCharFormat::DotLine);
    dotted.setUnderlineColor(QColor(128, 128, 128));
    // The marks are sorted: one pass from the first line in view finds their positions; a mark
    // that reaches beyond the lines in view is cut at their edge.
    const int last = document()->characterCount() - 1;
    std::size_t index = shown_.begin;
    int position = shown_.position;
    const auto positionOf = [&](std::size_t offset) {
        offset = std::clamp(offset, index, shown_.end);
        const std::u16string_view passed =
            std::u16string_view(mirror_).substr(index, offset - index);
        position += static_cast<int>(passed.size() - countBreaks(passed));
        index = offset;
        return std::clamp(position, 0, last);
    };
    for (const TextMark& mark : inView) {
        QTextCursor range(document());
        range.setPosition(positionOf(mark.begin));
        range.setPosition(positionOf(mark.end), QTextCursor::KeepAnchor);
        selections.append({range, mark.style == MarkStyle::Error ? wavy : dotted});
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
    if (marksMoved_ || shownLines() != shown_) {
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
        const std::u16string tip = tipAt ? tipAt(textIndex(at.position())) : std::u16string();
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

void TextBoxEdit::showEnd() {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    ensureCursorVisible();
}

std::size_t TextBoxEdit::textIndex(int position) const {
    const auto target = static_cast<std::size_t>(std::max(position, 0));
    const std::u16string_view mirror(mirror_);
    const std::size_t length = mirror.size() - breaks_;
    // Count the breaks in front of the position from whichever end is nearer.
    if (target <= length / 2) {
        std::size_t before = 0;
        std::size_t from = 0;
        for (;;) {
            const std::size_t cr = mirror.find(u'\r', from);
            if (cr == std::u16string_view::npos || cr - before >= target) {
                return target + before;
            }
            ++before;
            from = cr + 2;
        }
    }
    std::size_t after = 0;
    std::size_t upTo = mirror.size();
    while (upTo > 0) {
        const std::size_t cr = mirror.rfind(u'\r', upTo - 1);
        if (cr == std::u16string_view::npos) {
            break;
        }
        // Its position in the document: every break in front of it is one character shorter.
        const std::size_t crPosition = cr - (breaks_ - after - 1);
        if (crPosition < target) {
            break;
        }
        ++after;
        upTo = cr;
    }
    return std::min(target + (breaks_ - after), mirror.size());
}

int TextBoxEdit::documentPosition(std::size_t index) const {
    const std::u16string_view mirror(mirror_);
    index = std::min(index, mirror.size());
    const std::size_t before = index <= mirror.size() / 2
                                   ? countBreaks(mirror.substr(0, index))
                                   : breaks_ - countBreaks(mirror.substr(index));
    return static_cast<int>(index - before);
}

void TextBoxEdit::replaceInMirror(std::size_t index, std::size_t length, std::u16string_view with) {
    breaks_ -= countBreaks(std::u16string_view(mirror_).substr(index, length));
    breaks_ += countBreaks(with);
    mirror_.replace(index, length, with);
}

void TextBoxEdit::followMarks(const TextEdit& edit) {
    followEdit(marks_, edit);
    marksMoved_ = true;
}

void TextBoxEdit::resyncMirror() {
    std::u16string fresh = withCrLf(viewOf(document()->toRawText()));
    if (fresh != mirror_) {
        textMoved_ = true;
    }
    mirror_ = std::move(fresh);
    breaks_ = countBreaks(mirror_);
}

} // namespace quillon
