#pragma once

#include "quillon/MelodyPreview.h"
#include "quillon/TextBox.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace quillon {

// The small interfaces through which the composer session reaches a window. Each window (Qt on
// Linux, Win32 on Windows) implements them over its own controls; the session's tests use fakes.
// Every call comes from the window's one thread.

// Text1 as the session drives it. Offsets everywhere are UTF-16 code units of text(), in which
// every line break is CR LF.
class TextControl : public TextBox {
public:
    // Replaces `removed` code units at `at` by `inserted`: a write like setText, raising the
    // change once, inside it, but told where the text changes, so that an append to a long
    // melody costs what it appends.
    virtual void replaceRange(std::size_t at, std::size_t removed,
                              std::u16string_view inserted) = 0;

    // Puts the caret at `index` and scrolls it into view, leaving no selection: where undo and
    // redo leave the user.
    virtual void placeCaret(std::size_t index) noexcept = 0;

    // Where the caret stands: after the user's edit, the end of what was typed. Comparing two
    // texts cannot tell which of "ee" was typed; the caret can.
    virtual std::size_t caretPosition() const noexcept = 0;

    // Selects the whole text (Ctrl+A, which a plain Windows edit control ignores).
    virtual void selectAll() = 0;

    // The selection, begin <= end; empty at the caret when nothing is selected.
    virtual TextSpan selection() const noexcept = 0;

    // Selects [begin, end), the caret at its end, and scrolls it into view.
    virtual void select(std::size_t begin, std::size_t end) noexcept = 0;
};

enum class MarkStyle : std::uint8_t {
    // A red wave: what the compiler rejects or the firmware would mis-play.
    Error,
    // A quiet grey dotted underline: not finished, or not what the composer writes.
    Hint,
};

struct TextMark {
    std::size_t begin = 0;
    std::size_t end = 0;
    MarkStyle style = MarkStyle::Error;
    friend bool operator==(const TextMark&, const TextMark&) = default;
};

// What Text1 draws over its text: the findings' underlines and the element being heard.
class TextMarks {
public:
    virtual ~TextMarks() = default;

    // Replaces all underlines. Sorted, never overlapping, in offsets of the present text; the
    // window keeps them on their characters as the text is edited until the next call. The
    // session merges alike neighbours and keeps at most three marks on a crowded line, so there
    // are never many more marks than lines; a window styles only those of the lines in view.
    virtual void setMarks(std::span<const TextMark> marks) = 0;

    // Lights the element being heard and scrolls it into view, leaving caret, selection and
    // text alone; none removes the light. It stays visible over a selection.
    virtual void setHeard(std::optional<TextSpan> element) = 0;
};

// A timer that fires once, on the window's thread, `after` it was started.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    // Starts it again from now when it is running.
    virtual void start(std::chrono::milliseconds after) = 0;
    virtual void stop() = 0;
    virtual bool active() const = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<OneShotTimer> makeTimer(std::function<void()> onTimeout) = 0;
};

// The system clipboard, for text the session makes for pasting elsewhere.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces what the clipboard holds by the text; false when the system would not take it.
    virtual bool setClipboardText(std::u16string_view text) = 0;
};

// What the session tells the user, owned by the window. Warnings and news come only once the
// session's call that raised them has returned, one at a time, so a window may show them modally
// or not as it likes; About comes at once, from the click that asks for it.
class Notice {
public:
    virtual ~Notice() = default;

    // A warning message box captioned "Quillon": `text` and, below it, `detail` (may be empty).
    virtual void showWarning(std::u16string_view text, std::u16string_view detail) = 0;

    // The same as news rather than a warning, where the window tells them apart.
    virtual void showInformation(std::u16string_view text, std::u16string_view detail) {
        showWarning(text, detail);
    }

    // The About box: the platform's own where it has one (the Windows shell's), with the
    // window's icon.
    virtual void showAbout(std::u16string_view applicationText, std::u16string_view extraText) = 0;
};

// The small window that shows an upload to a board going on, with a Cancel button; modeless, so
// that the composer stays in use. Optional: without one the upload runs unseen.
class BoardProgressWindow {
public:
    virtual ~BoardProgressWindow() = default;
    // Shows the window; Cancel (or closing it) calls onCancel, once, on the window's thread.
    virtual void showProgress(std::u16string_view title, std::function<void()> onCancel) = 0;
    // What it does now and how far, 0 to 100.
    virtual void setProgress(std::u16string_view text, int percent) = 0;
    virtual void closeProgress() = 0;
};

} // namespace quillon
