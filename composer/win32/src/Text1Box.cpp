#include "Text1Box.h"

#include "Accessibility.h"
#include "Dpi.h"
#include "quillon/FindingMarks.h"
#include "quillon/TextCodec.h"

#include <commctrl.h>

#include <algorithm>

namespace quillon::win32 {
namespace {

// The findings' colours, and the light on the element being heard: ANDed into what the
// control drew, it turns the background yellow and keeps the text, selected or not, readable.
constexpr COLORREF kErrorColour = RGB(255, 0, 0);
constexpr COLORREF kHintColour = RGB(128, 128, 128);
constexpr COLORREF kHeardColour = RGB(255, 220, 96);
constexpr DWORD kDestAndPattern = 0x00A000C9;

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Exactly `text` and a terminating zero as CF_UNICODETEXT, nothing more: wine hands whatever
// follows the zero in a larger block to X programs as part of the text.
void putOnClipboard(HWND owner, std::u16string_view text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr) {
        return;
    }
    auto* data = static_cast<char16_t*>(GlobalLock(block));
    text.copy(data, text.size());
    data[text.size()] = u'\0';
    GlobalUnlock(block);
    if (OpenClipboard(owner) == FALSE) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) {
        GlobalFree(block);
    }
    CloseClipboard();
}

std::u16string clipboardText(HWND owner) {
    std::u16string text;
    if (OpenClipboard(owner) == FALSE) {
        return text;
    }
    if (const HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* data = static_cast<const char16_t*>(GlobalLock(block))) {
            text = data;
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

} // namespace

Text1Box::Text1Box(HWND parent, const ControlDesign& design, Hooks hooks)
    : hooks_(std::move(hooks)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    attach(CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                           WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                               ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN,
                           0, 0, 0, 0, parent, nullptr, instance, nullptr));
    // No limit of its own: 0 is the largest a multi-line control takes.
    SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0);

    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance, nullptr);
    adopt(tooltip_);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    // The mouse's messages reach the tooltip from onMessage: the tooltip's own subclassing
    // would cost a wine server call on each of the control's messages.
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd());
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    nameForScreenReaders(hwnd(), design.accessibleName);
}

void Text1Box::layout(int dpi, HFONT font) {
    dpi_ = dpi;
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    const HDC dc = GetDC(hwnd());
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);
    lineHeight_ = std::max<int>(1, metrics.tmHeight);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(320, dpi, kDesignDpi));
}

std::u16string Text1Box::controlText() const {
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd())) + 1, u'\0');
    const int read = GetWindowTextW(hwnd(), reinterpret_cast<wchar_t*>(text.data()),
                                    static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(read, 0)));
    return text;
}

void Text1Box::replace(std::size_t from, std::size_t to, std::u16string_view text) {
    const std::u16string written(text);
    const TextSpan kept = selection();
    if (kept.begin == from && kept.end == from && to == from) {
        // Typed in at the caret, as after every click: the caret goes on behind it.
        SendMessageW(hwnd(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide(written)));
        return;
    }
    // The control writes at its selection and scrolls to it: hide that, and put selection and
    // view back on their characters.
    const std::size_t firstLine = firstVisibleLine();
    SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
    selectRange(from, to);
    SendMessageW(hwnd(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide(written)));
    const auto moved = [&](std::size_t position) {
        if (position < from) {
            return position;
        }
        return position <= to ? from + written.size() : position - (to - from) + written.size();
    };
    selectRange(moved(kept.begin), moved(kept.end));
    SendMessageW(hwnd(), EM_LINESCROLL, 0,
                 static_cast<LPARAM>(firstLine) - static_cast<LPARAM>(firstVisibleLine()));
    SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

TextSpan Text1Box::selection() const noexcept {
    DWORD begin = 0;
    DWORD end = 0;
    SendMessageW(hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&begin),
                 reinterpret_cast<LPARAM>(&end));
    return {begin, end};
}

void Text1Box::selectRange(std::size_t begin, std::size_t end) noexcept {
    SendMessageW(hwnd(), EM_SETSEL, begin, static_cast<LPARAM>(end));
}

void Text1Box::select(std::size_t begin, std::size_t end) noexcept {
    selectRange(begin, end);
    SendMessageW(hwnd(), EM_SCROLLCARET, 0, 0);
}

std::size_t Text1Box::caret() const noexcept {
    return selection().end;
}

void Text1Box::selectAll() {
    SendMessageW(hwnd(), EM_SETSEL, 0, -1);
}

void Text1Box::userChanged() {
    if (!composing_) {
        hooks_.changed();
    }
}

void Text1Box::marksChanged(std::size_t from, std::size_t to) {
    invalidate(from, to);
}

void Text1Box::setHeard(std::optional<TextSpan> element) {
    if (element == heard_) {
        return;
    }
    if (heard_) {
        invalidate(heard_->begin, heard_->end);
    }
    heard_ = element;
    if (element) {
        scrollIntoView(*element);
        invalidate(element->begin, element->end);
    }
}

void Text1Box::invalidate(std::size_t begin, std::size_t end) {
    // Whole lines: nothing needs measuring.
    const RECT area = textArea();
    const std::size_t first = firstVisibleLine();
    const std::size_t from = std::max(first, lineOf(begin));
    const std::size_t to =
        std::min(first + shownLineCount(), lineOf(end > begin ? end - 1 : begin));
    for (std::size_t line = from; line <= to; ++line) {
        const int top = area.top + static_cast<int>(line - first) * lineHeight_;
        const RECT shown{area.left, top, area.right, top + lineHeight_};
        InvalidateRect(hwnd(), &shown, FALSE);
    }
}

bool Text1Box::hasSelection() const {
    const TextSpan now = selection();
    return now.begin != now.end;
}

bool Text1Box::canPaste() const {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) != 0;
}

void Text1Box::cut() {
    if (!hasSelection()) {
        return;
    }
    copy();
    // The removal is the user's edit, reported as any other.
    SendMessageW(hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

void Text1Box::copy() {
    const TextSpan now = selection();
    const std::u16string_view text = hooks_.text();
    if (now.end > now.begin && now.end <= text.size()) {
        putOnClipboard(hwnd(), text.substr(now.begin, now.end - now.begin));
    }
}

void Text1Box::paste() {
    // Line breaks as the control keeps them, whatever the copied text had.
    const std::u16string text = withCrLf(clipboardText(hwnd()));
    if (!text.empty()) {
        SendMessageW(hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide(text)));
    }
}

void Text1Box::deleteSelection() {
    SendMessageW(hwnd(), WM_CLEAR, 0, 0);
}

std::optional<LRESULT> Text1Box::onNotification(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        userChanged();
        return 0;
    }
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == tooltip_ && header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            POINT at{};
            GetCursorPos(&at);
            ScreenToClient(hwnd(), &at);
            shownTip_ = tipUnder(at);
            info->szText[0] = L'\0';
            info->lpszText =
                shownTip_.empty() ? info->szText : reinterpret_cast<wchar_t*>(shownTip_.data());
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<LRESULT> Text1Box::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSELEAVE) {
        MSG relayed{hwnd(), message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        const DWORD at = GetMessagePos();
        relayed.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
        SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
    case WM_PAINT: {
        const LRESULT painted = passOn(message, wParam, lParam);
        paintOverlay();
        return painted;
    }
    // The control's own Ctrl+V, Shift+Insert and the like come here as these.
    case WM_PASTE:
        paste();
        return 0;
    case WM_COPY:
        copy();
        return 0;
    case WM_CUT:
        cut();
        return 0;
    case WM_UNDO:
    case EM_UNDO:
        return 0;
    case WM_CHAR:
        // Ctrl+Backspace: the control would insert it as a character.
        return wParam == 0x7F ? std::optional<LRESULT>(0) : std::nullopt;
    case WM_CONTEXTMENU: {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (lParam == -1) {
            // From the keyboard: below the caret.
            GetCaretPos(&at);
            at.y += lineHeight_;
            ClientToScreen(hwnd(), &at);
        }
        hooks_.contextMenu(at);
        return 0;
    }
    case WM_MOUSEMOVE: {
        // A new finding under the mouse: hide the old tip, so that the new one comes up.
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (tipUnder(at) != shownTip_) {
            shownTip_.clear();
            SendMessageW(tooltip_, TTM_POP, 0, 0);
        }
        return std::nullopt;
    }
    case WM_IME_STARTCOMPOSITION:
        composing_ = true;
        return std::nullopt;
    case WM_IME_ENDCOMPOSITION: {
        const LRESULT ended = passOn(message, wParam, lParam);
        composing_ = false;
        // What was committed, if anything, is one change.
        userChanged();
        return ended;
    }
    default:
        return std::nullopt;
    }
}

RECT Text1Box::textArea() const {
    RECT area{};
    SendMessageW(hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    return area;
}

std::size_t Text1Box::firstVisibleLine() const {
    return static_cast<std::size_t>(SendMessageW(hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0));
}

std::size_t Text1Box::lineStart(std::size_t line) const {
    const LRESULT start = SendMessageW(hwnd(), EM_LINEINDEX, line, 0);
    return start < 0 ? std::u16string::npos : static_cast<std::size_t>(start);
}

std::size_t Text1Box::lineLength(std::size_t start) const {
    return static_cast<std::size_t>(SendMessageW(hwnd(), EM_LINELENGTH, start, 0));
}

std::size_t Text1Box::lineOf(std::size_t index) const {
    return static_cast<std::size_t>(SendMessageW(hwnd(), EM_LINEFROMCHAR, index, 0));
}

int Text1Box::scrolledBy() const {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_POS;
    const bool known = GetScrollInfo(hwnd(), SB_HORZ, &bar) != FALSE;
    // The first line in view starts where the control says, to within 16 bits.
    const std::size_t start = lineStart(firstVisibleLine());
    if (start == std::u16string::npos || start >= hooks_.text().size()) {
        return known ? bar.nPos : 0;
    }
    const auto left = static_cast<short>(LOWORD(SendMessageW(hwnd(), EM_POSFROMCHAR, start, 0)));
    const int offset = textArea().left - left;
    // The scroll bar's position is the whole of it, where it agrees.
    return known && (bar.nPos - offset) % 65536 == 0 ? bar.nPos : offset;
}

int Text1Box::Line::xOf(std::size_t index) const {
    return index <= start ? left : left + ends[std::min(index - start, ends.size()) - 1];
}

std::optional<Text1Box::Line> Text1Box::measure(std::size_t line) const {
    const std::u16string_view text = hooks_.text();
    const std::size_t start = lineStart(line);
    if (start == std::u16string::npos || start > text.size()) {
        return std::nullopt;
    }
    const RECT area = textArea();
    Line shown;
    shown.start = start;
    shown.length = std::min(lineLength(start), text.size() - start);
    shown.top = area.top + static_cast<int>(line - firstVisibleLine()) * lineHeight_;
    shown.left = area.left - scrolledBy();
    shown.ends.resize(shown.length);
    if (shown.length > 0) {
        const HDC dc = GetDC(hwnd());
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
        SIZE whole{};
        GetTextExtentExPointW(dc, reinterpret_cast<const wchar_t*>(text.data()) + start,
                              static_cast<int>(shown.length), 0, nullptr, shown.ends.data(),
                              &whole);
        SelectObject(dc, old);
        ReleaseDC(hwnd(), dc);
    }
    return shown;
}

std::size_t Text1Box::charAt(POINT client) const {
    const RECT area = textArea();
    const std::size_t line =
        firstVisibleLine() + static_cast<std::size_t>(std::max<LONG>(0, client.y - area.top)) /
                                 static_cast<std::size_t>(lineHeight_);
    const std::optional<Line> shown = measure(line);
    if (!shown) {
        return hooks_.text().size();
    }
    // The first character that ends right of the point.
    const auto over =
        std::upper_bound(shown->ends.begin(), shown->ends.end(), client.x - shown->left);
    return shown->start + static_cast<std::size_t>(over - shown->ends.begin());
}

std::size_t Text1Box::shownLineCount() const {
    const RECT area = textArea();
    return static_cast<std::size_t>(std::max<LONG>(0, area.bottom - area.top) / lineHeight_ + 1);
}

template <typename Draw>
void Text1Box::drawPart(const Line& shown, std::size_t begin, std::size_t end, Draw draw) const {
    const std::size_t lineEnd = shown.start + shown.length;
    const std::size_t left = std::max(begin, shown.start);
    const std::size_t right = std::min(end, lineEnd);
    if (left < right) {
        draw(shown.xOf(left), shown.xOf(right), shown.top);
    } else if (begin <= lineEnd && end > lineEnd) {
        // A span of only a line break still shows, a blank wide.
        const int x = shown.xOf(lineEnd);
        draw(x, x + lineHeight_ / 3, shown.top);
    }
}

void Text1Box::paintOverlay() {
    const std::u16string_view text = hooks_.text();
    const std::size_t first = firstVisibleLine();
    const std::size_t count = shownLineCount();
    const std::size_t viewStart = lineStart(first);
    if (viewStart == std::u16string::npos) {
        return;
    }
    const std::size_t viewEnd = lineStart(first + count + 1);
    const std::vector<TextMark> marks = hooks_.marksWithin(
        viewStart, viewEnd == std::u16string::npos ? text.size() + 1 : viewEnd + 1);
    if (marks.empty() && !heard_) {
        return;
    }
    const RECT area = textArea();
    const HDC dc = GetDC(hwnd());
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    HideCaret(hwnd());

    const int thickness = std::max(1, dpi_ / kDesignDpi);
    const int amplitude = 2 * thickness;
    const HPEN errorPen = CreatePen(PS_SOLID, thickness, kErrorColour);
    const HGDIOBJ oldPen = SelectObject(dc, errorPen);
    const HBRUSH light = CreateSolidBrush(kHeardColour);
    const HGDIOBJ oldBrush = SelectObject(dc, light);
    const auto drawMark = [&](MarkStyle style) {
        return [&, style](int left, int right, int top) {
            const int bottom = top + lineHeight_ - thickness;
            if (style == MarkStyle::Error) {
                // A wave: up and down every two pixels.
                std::vector<POINT> wave;
                for (int x = left, k = 0; x <= right; x += amplitude, ++k) {
                    wave.push_back({x, k % 2 == 0 ? bottom : bottom - amplitude});
                }
                Polyline(dc, wave.data(), static_cast<int>(wave.size()));
            } else {
                SetBkColor(dc, kHintColour);
                for (int x = left; x < right; x += 2 * thickness) {
                    RECT dot{x, bottom - thickness + 1, x + thickness, bottom + 1};
                    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &dot, nullptr, 0, nullptr);
                }
            }
        };
    };
    // Each line in view measured once, however many marks it holds.
    for (std::size_t line = first; line <= first + count; ++line) {
        const std::size_t start = lineStart(line);
        if (start == std::u16string::npos || start > text.size()) {
            break;
        }
        // Marks that reach into the line or its break; a line with none is not measured.
        const std::size_t past = start + std::min(lineLength(start), text.size() - start) + 1;
        const std::span<const TextMark> onLine = marksWithin(marks, start, past);
        const bool lit = heard_ && heard_->begin < past && heard_->end >= start;
        if (onLine.empty() && !lit) {
            continue;
        }
        const std::optional<Line> shown = measure(line);
        if (!shown) {
            break;
        }
        for (const TextMark& mark : onLine) {
            drawPart(*shown, mark.begin, mark.end, drawMark(mark.style));
        }
        if (lit) {
            drawPart(*shown, heard_->begin, heard_->end, [&](int left, int right, int top) {
                PatBlt(dc, left, top, right - left, lineHeight_, kDestAndPattern);
            });
        }
    }
    SelectObject(dc, oldBrush);
    DeleteObject(light);
    SelectObject(dc, oldPen);
    DeleteObject(errorPen);
    ShowCaret(hwnd());
    ReleaseDC(hwnd(), dc);
}

void Text1Box::scrollIntoView(const TextSpan& span) {
    const RECT area = textArea();
    const auto shownLines = std::max<LONG>(1, (area.bottom - area.top) / lineHeight_);
    const auto line = static_cast<LONG>(lineOf(span.begin));
    const auto first = static_cast<LONG>(firstVisibleLine());
    if (line < first || line >= first + shownLines) {
        SendMessageW(hwnd(), EM_LINESCROLL, 0, line - first - shownLines / 3);
    }
    // Sideways the control scrolls by average character widths: close in on the element.
    TEXTMETRICW metrics{};
    const HDC dc = GetDC(hwnd());
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<Line> shown = measure(static_cast<std::size_t>(line));
        if (!shown) {
            return;
        }
        const int left = shown->xOf(span.begin);
        const int right = shown->xOf(span.end);
        if (left >= area.left && right <= area.right) {
            return;
        }
        const int wanted = left - area.left - (area.right - area.left) / 3;
        const int columns = wanted / std::max<LONG>(1, metrics.tmAveCharWidth);
        if (columns == 0) {
            return;
        }
        SendMessageW(hwnd(), EM_LINESCROLL, static_cast<WPARAM>(columns), 0);
    }
}

std::u16string Text1Box::tipUnder(POINT client) const {
    const RECT area = textArea();
    if (PtInRect(&area, client) == FALSE) {
        return {};
    }
    const std::size_t index = charAt(client);
    // Past the end of its line is over no character.
    const std::size_t start = lineStart(lineOf(index));
    if (start == std::u16string::npos || index >= start + lineLength(start)) {
        return {};
    }
    return hooks_.tipAt(index);
}

} // namespace quillon::win32
