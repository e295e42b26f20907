#include "TextBoxEdit.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace quillon {

namespace {

// Increments a counter for the length of a scope.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

bool isBreak(QChar ch) {
    // The document's own block break, and the line break that Shift+Enter types.
    return ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator;
}

// The document's characters, one per cursor position, with every line break as LF.
QString documentText(const QTextDocument& document) {
    QString text = document.toRawText();
    for (QChar& ch : text) {
        if (isBreak(ch)) {
            ch = u'\n';
        }
    }
    return text;
}

// CR LF, a lone CR and a lone LF each become one LF, which the document stores as one break.
QString toDocumentText(std::u16string_view text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (ch == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            out.append(u'\n');
        } else {
            out.append(QChar(ch));
        }
    }
    return out;
}

} // namespace

TextBoxEdit::TextBoxEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(this, &QPlainTextEdit::textChanged, this, &TextBoxEdit::onTextChanged);
}

std::u16string TextBoxEdit::text() const {
    const QString raw = document()->toRawText();
    std::u16string out;
    out.reserve(static_cast<std::size_t>(raw.size()) + static_cast<std::size_t>(blockCount()));
    for (const QChar ch : raw) {
        if (isBreak(ch)) {
            out += u"\r\n";
        } else {
            out += ch.unicode();
        }
    }
    return out;
}

void TextBoxEdit::setText(std::u16string_view text) {
    DepthGuard writing(writeDepth_);
    // Inside the handler of a user's edit the caret stays where the user is typing.
    const bool programWrite = userEditDepth_ == 0;

    const QString wanted = toDocumentText(text);
    const QString current = documentText(*document());
    const auto mismatch =
        std::mismatch(current.begin(), current.end(), wanted.begin(), wanted.end());
    const auto prefix = static_cast<int>(mismatch.first - current.begin());

    if (prefix == current.size() && prefix == wanted.size()) {
        // Nothing to edit, but a write is still one change.
        raiseChanged();
    } else {
        QTextCursor cursor(document());
        // The automatic line break written from inside a write is undone together with it.
        if (writeDepth_ > 1) {
            cursor.joinPreviousEditBlock();
        } else {
            cursor.beginEditBlock();
        }
        cursor.setPosition(prefix);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.insertText(wanted.mid(prefix));
        cursor.endEditBlock();
    }

    if (programWrite) {
        showEnd();
    }
}

void TextBoxEdit::onTextChanged() {
    if (writeDepth_ > 0) {
        raiseChanged();
        return;
    }
    DepthGuard userEdit(userEditDepth_);
    raiseChanged();
}

void TextBoxEdit::raiseChanged() {
    emit changed();
}

void TextBoxEdit::showEnd() {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace quillon
