#pragma once

#include "quillon/TextBox.h"

#include <QPlainTextEdit>

#include <string>
#include <string_view>

namespace quillon {

// Text1: a plain text box that the editor reads and writes as one string with CR LF line
// breaks. Qt keeps every line break as a block break and reads it back as LF; this class
// translates in both directions and writes only the part of the text that changed, so that a
// write is one undoable edit and raises `changed` exactly once, inside the write.
class TextBoxEdit : public QPlainTextEdit, public TextBox {
    Q_OBJECT
public:
    explicit TextBoxEdit(QWidget* parent = nullptr);

    std::u16string text() const override;
    void setText(std::u16string_view text) override;

signals:
    // Once for every change of the text: a program write, the user's typing, pasting, undo.
    void changed();

private:
    void onTextChanged();
    void raiseChanged();
    void showEnd();

    // Writes in progress, counting the nested write made from inside a change handler.
    int writeDepth_ = 0;
    // Change handlers running for an edit the user made.
    int userEditDepth_ = 0;
};

} // namespace quillon
