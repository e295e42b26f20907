#pragma once

#include "Control.h"
#include "CrLfText.h"
#include "quillon/FormTable.h"
#include "quillon/SessionPorts.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillon::win32 {

// Text1: a rich edit control with both scroll bars and no word wrap, read and written by the
// session as one string with CR LF line breaks. A write replaces only what changed and reports
// the change once, inside the write; the user's edits are reported once each, input method
// composition once it is committed. The control keeps no undo history of its own: undo and
// redo are the session's. The findings' underlines and the element being heard are drawn over
// the control's own painting, the same on every Windows and under wine.
class Text1Box final : public Control, public TextControl, public TextMarks {
public:
    struct Hooks {
        // Every change of the text: Text1_Change.
        std::function<void()> changed;
        // What a tooltip over the character at an index says; empty over none.
        std::function<std::u16string(std::size_t)> tipAt;
        // The user asks for the context menu, at a point of the screen.
        std::function<void(POINT)> contextMenu;
    };

    Text1Box(HWND parent, const ControlDesign& design, Hooks hooks);

    std::u16string text() const override;
    void setText(std::u16string_view text) override;
    void placeCaret(std::size_t index) override;
    std::size_t caretPosition() const override;
    void selectAll() override;
    void setMarks(std::span<const TextMark> marks) override;
    void setHeard(std::optional<TextSpan> element) override;

    void layout(int dpi, HFONT font);

    // For the context menu's editing entries.
    bool hasSelection() const;
    bool canPaste() const;
    bool empty() const { return mirror_.text().empty(); }
    void cut();
    void copy();
    void paste();
    void deleteSelection();

    std::optional<LRESULT> onNotification(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::optional<LRESULT> onKey(WPARAM key);
    void userChanged();
    std::u16string readControl() const;
    void showEnd();
    // Keeps the marks on their characters when [from, oldEnd) became [from, newEnd).
    void followEdit(std::size_t from, std::size_t oldEnd, std::size_t newEnd);

    void paintOverlay();
    // Calls `draw(left, right, top)` for each visible line of [begin, end).
    template <typename Draw> void forEachLine(std::size_t begin, std::size_t end, Draw draw) const;
    void scrollIntoView(const TextSpan& span);
    POINT pointOf(std::size_t position) const;
    RECT textArea() const;
    std::u16string tipUnder(POINT client) const;

    Hooks hooks_;
    HWND tooltip_ = nullptr;
    CrLfText mirror_;
    std::vector<TextMark> marks_;
    std::optional<TextSpan> heard_;
    std::u16string shownTip_;
    int lineHeight_ = 16;
    int dpi_ = 96;

    int writeDepth_ = 0;
    // Change handlers running for an edit the user made.
    int userEditDepth_ = 0;
    // Set while a write edits the control: what it reports is no edit of the user's.
    bool ownEdit_ = false;
    bool composing_ = false;
};

} // namespace quillon::win32
