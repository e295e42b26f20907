#pragma once

#include "quillon/MelodyPreview.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillon {

// The small interfaces through which the composer session reaches a window. Each window (Qt on
// Linux, Win32 on Windows) implements them over its own controls; the session's tests use fakes.
// Every call comes from the window's one thread.

// How Text1's control counts a line break: Windows' edit control holds CR LF, two code units;
// Qt's document holds one block break, one.
enum class LineBreak : std::uint8_t { CrLf, OneUnit };

// Text1's native control as the session drives it. Offsets here are the control's own: UTF-16
// code units of its text, a line break counting as lineBreak() says. The control keeps no copy
// of the text and decides nothing: it tells the session of every edit of the user's
// (ComposerSession::Text1_Change) and carries out what it is told. The session keeps the text,
// tells its own writes from the user's edits, keeps the marks on their characters and decides
// where the caret goes.
class TextControl {
public:
    virtual ~TextControl() = default;

    virtual LineBreak lineBreak() const noexcept = 0;

    // The whole text as the control holds it: read only when the control could not say what
    // changed.
    virtual std::u16string controlText() const = 0;

    // Replaces [from, to) by `text`, whose line breaks are the control's own. The caret, the
    // selection and the view stay on their characters. What the control reports of this write
    // the session knows to be its own. A control that refuses throws and keeps its text.
    virtual void replace(std::size_t from, std::size_t to, std::u16string_view text) = 0;

    // Where the caret stands: after the user's edit, the end of what was typed. Comparing two
    // texts cannot tell which of "ee" was typed; the caret can.
    virtual std::size_t caret() const noexcept = 0;

    // The selection, begin <= end; empty at the caret when nothing is selected.
    virtual TextSpan selection() const noexcept = 0;

    // Selects [begin, end), the caret at its end, and scrolls it into view; begin == end puts
    // the caret there.
    virtual void select(std::size_t begin, std::size_t end) noexcept = 0;

    // Selects the whole text (Ctrl+A, which a plain Windows edit control ignores).
    virtual void selectAll() = 0;
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

// What Text1 draws over its text: the findings' underlines and the element being heard, in the
// control's offsets. The session keeps the marks; a window asks for those of the lines it paints
// (ComposerSession::Text1_MarksWithin). The session merges alike neighbours and keeps at most
// three marks on a crowded line, so a window paints few however many findings there are.
class TextMarks {
public:
    virtual ~TextMarks() = default;

    // The underlines within [from, to) changed: paint those of the lines in view again.
    virtual void marksChanged(std::size_t from, std::size_t to) = 0;

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
