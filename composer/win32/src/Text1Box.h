#pragma once

#include "Control.h"
#include "quillon/FormTable.h"
#include "quillon/SessionPorts.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillon::win32 {

// Text1: Windows' multi-line edit control with both scroll bars and no word wrap, which holds
// its text with CR LF line breaks, as the session does. It tells the session that its text
// changed (the control cannot say where), input method composition once it is committed, and
// carries out the session's writes. The control's own undo is never used: undo and redo are the
// session's. The findings' underlines and the element being heard are drawn over the control's
// own painting.
//
// Not a rich edit control: wine's takes seconds for a line of a few thousand codes, and time
// growing with the square of its length, where the edit control takes milliseconds.
class Text1Box final : public Control, public TextControl, public TextMarks {
public:
    struct Hooks {
        // Every change of the text: Text1_Change.
        std::function<void()> changed;
        // The text as the session holds it, the same as the control's.
        std::function<std::u16string_view()> text;
        // The underlines that reach into [from, to).
        std::function<std::vector<TextMark>(std::size_t, std::size_t)> marksWithin;
        // What a tooltip over the character at an index says; empty over none.
        std::function<std::u16string(std::size_t)> tipAt;
        // The user asks for the context menu, at a point of the screen.
        std::function<void(POINT)> contextMenu;
    };

    Text1Box(HWND parent, const ControlDesign& design, Hooks hooks);

    LineBreak lineBreak() const noexcept override { return LineBreak::CrLf; }
    std::u16string controlText() const override;
    void replace(std::size_t from, std::size_t to, std::u16string_view text) override;
    std::size_t caret() const noexcept override;
    void selectAll() override;
    TextSpan selection() const noexcept override;
    void select(std::size_t begin, std::size_t end) noexcept override;
    void marksChanged(std::size_t from, std::size_t to) override;
    void setHeard(std::optional<TextSpan> element) override;

    void layout(int dpi, HFONT font);

    // For the context menu's editing entries.
    bool hasSelection() const;
    bool canPaste() const;
    bool empty() const { return hooks_.text().empty(); }
    void cut();
    void copy();
    void paste();
    void deleteSelection();

    std::optional<LRESULT> onNotification(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Without scrolling: a write puts its caret where it likes afterwards.
    void selectRange(std::size_t begin, std::size_t end) noexcept;
    void userChanged();

    // The view, worked out from the text and the font: the control answers positions in 16
    // bits, which a long line outgrows, and wine's answers nothing useful for a line it cannot
    // shape (some thousands of characters). Its lines are all one height.
    RECT textArea() const;
    std::size_t firstVisibleLine() const;
    std::size_t lineOf(std::size_t index) const;
    std::size_t lineStart(std::size_t line) const;
    std::size_t lineLength(std::size_t lineStart) const;
    // How far the view is scrolled to the right, in pixels.
    int scrolledBy() const;
    struct Line {
        std::size_t start = 0;
        std::size_t length = 0;
        int top = 0;
        // Where the line starts in the control, and where each of its characters ends.
        int left = 0;
        std::vector<int> ends;
        int xOf(std::size_t index) const;
    };
    // Line `line` as the control shows it; nullopt for none.
    std::optional<Line> measure(std::size_t line) const;
    // The character at a point of the control.
    std::size_t charAt(POINT client) const;

    // How many lines the view shows, the last perhaps in part.
    std::size_t shownLineCount() const;
    void paintOverlay();
    // Paints the lines of [begin, end) in view again.
    void invalidate(std::size_t begin, std::size_t end);
    // Calls `draw(left, right, top)` for the part of [begin, end) on the measured line `shown`.
    template <typename Draw>
    void drawPart(const Line& shown, std::size_t begin, std::size_t end, Draw draw) const;
    void scrollIntoView(const TextSpan& span);
    std::u16string tipUnder(POINT client) const;

    Hooks hooks_;
    HWND tooltip_ = nullptr;
    std::optional<TextSpan> heard_;
    std::u16string shownTip_;
    int lineHeight_ = 16;
    int dpi_ = 96;

    bool composing_ = false;
};

} // namespace quillon::win32
