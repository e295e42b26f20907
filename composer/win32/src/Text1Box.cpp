#include "Text1Box.h"

#include "Accessibility.h"
#include "Dpi.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

namespace quillon::win32 {
namespace {

// Raises a counter, or sets a flag, for the length of a scope.
class Raised {
public:
    explicit Raised(int& depth) : depth_(depth) { ++depth_; }
    ~Raised() { --depth_; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    int& depth_;
};

class Set {
public:
    explicit Set(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Set() { flag_ = old_; }
    Set(const Set&) = delete;
    Set& operator=(const Set&) = delete;

private:
    bool& flag_;
    bool old_;
};

// The findings' colours, and the light on the element being heard: ANDed into what the
// control drew, it turns the background yellow and keeps the text, selected or not, readable.
constexpr COLORREF kErrorColour = RGB(255, 0, 0);
constexpr COLORREF kHintColour = RGB(128, 128, 128);
constexpr COLORREF kHeardColour = RGB(255, 220, 96);
constexpr DWORD kDestAndPattern = 0x00A000C9;

LPARAM textParam(const std::u16string& text) {
    return reinterpret_cast<LPARAM>(text.c_str());
}

bool keyDown(int key) {
    return GetKeyState(key) < 0;
}

// The keys that keep their meaning with Ctrl held; the control's other Ctrl shortcuts change
// paragraph formatting, which plain C source has no use for.
bool keepsCtrl(WPARAM key) {
    switch (key) {
    case 'A':
    case 'C':
    case 'X':
    case 'Y':
    case 'Z':
    case VK_INSERT:
    case VK_DELETE:
    case VK_BACK:
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_CONTROL:
    case VK_SHIFT:
    case VK_MENU:
        return true;
    default:
        return false;
    }
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

} // namespace

Text1Box::Text1Box(HWND parent, const ControlDesign& design, Hooks hooks)
    : hooks_(std::move(hooks)) {
    static const HMODULE richEdit = LoadLibraryW(L"msftedit.dll");
    (void)richEdit;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    attach(CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                           WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                               ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN |
                               ES_DISABLENOSCROLL | ES_NOOLEDRAGDROP,
                           0, 0, 0, 0, parent, nullptr, instance, nullptr));
    // The session keeps the history; the control's own would undo behind its back.
    SendMessageW(hwnd(), EM_SETUNDOLIMIT, 0, 0);
    SendMessageW(hwnd(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    // A line breaks only where the text holds a line break.
    SendMessageW(hwnd(), EM_SETTARGETDEVICE, 0, 1);
    SendMessageW(hwnd(), EM_SETEVENTMASK, 0, ENM_CHANGE);

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
    lineHeight_ = metrics.tmHeight;
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(320, dpi, kDesignDpi));
}

std::u16string Text1Box::text() const {
    // Room for what a command appends, so that the caller's append does not copy it again.
    constexpr std::size_t kRoomToAppend = 64;
    std::u16string copy;
    copy.reserve(mirror_.text().size() + kRoomToAppend);
    copy.append(mirror_.text());
    return copy;
}

void Text1Box::setText(std::u16string_view text) {
    Raised writing(writeDepth_);
    // Inside the handler of the user's edit the caret and the view stay where the user types.
    const bool amidUserEdit = userEditDepth_ > 0;
    const std::size_t oldSize = mirror_.text().size();
    const std::size_t from = mirror_.commonPrefix(text);
    const std::u16string tail = withCrLf(text.substr(from));
    if (mirror_.text().compare(from, std::u16string::npos, tail) != 0) {
        CHARRANGE kept{};
        POINT view{};
        if (amidUserEdit) {
            SendMessageW(hwnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
            SendMessageW(hwnd(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&view));
            SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
        }
        {
            Set own(ownEdit_);
            CHARRANGE replaced{static_cast<LONG>(mirror_.positionOf(from)), -1};
            SendMessageW(hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&replaced));
            SendMessageW(hwnd(), EM_REPLACESEL, FALSE, textParam(tail));
        }
        mirror_.replaceTail(from, tail);
        followEdit(from, oldSize, mirror_.text().size());
        if (amidUserEdit) {
            const auto end = static_cast<LONG>(mirror_.positionOf(mirror_.text().size()));
            kept.cpMin = std::min(kept.cpMin, end);
            kept.cpMax = std::min(kept.cpMax, end);
            SendMessageW(hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
            SendMessageW(hwnd(), EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&view));
            SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
            InvalidateRect(hwnd(), nullptr, FALSE);
        }
    }
    // A write is one change, even when the text stays the same.
    hooks_.changed();
    if (!amidUserEdit) {
        showEnd();
    }
}

void Text1Box::showEnd() {
    const auto end = static_cast<LONG>(mirror_.positionOf(mirror_.text().size()));
    CHARRANGE caret{end, end};
    SendMessageW(hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageW(hwnd(), EM_SCROLLCARET, 0, 0);
}

void Text1Box::placeCaret(std::size_t index) {
    const auto at = static_cast<LONG>(mirror_.positionOf(index));
    CHARRANGE caret{at, at};
    SendMessageW(hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageW(hwnd(), EM_SCROLLCARET, 0, 0);
}

std::size_t Text1Box::caretPosition() const {
    CHARRANGE selection{};
    SendMessageW(hwnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    return mirror_.indexOf(static_cast<std::size_t>(selection.cpMax));
}

void Text1Box::selectAll() {
    CHARRANGE all{0, -1};
    SendMessageW(hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
}

std::u16string Text1Box::readControl() const {
    GETTEXTLENGTHEX lengthOf{GTL_NUMCHARS | GTL_USECRLF | GTL_PRECISE, 1200};
    const auto length =
        SendMessageW(hwnd(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0);
    std::u16string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, u'\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>(text.size() * sizeof(char16_t));
    get.flags = GT_USECRLF;
    get.codepage = 1200;
    const auto read = SendMessageW(hwnd(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                   reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(read, 0)));
    return withCrLf(text);
}

void Text1Box::userChanged() {
    if (ownEdit_ || composing_) {
        return;
    }
    std::u16string now = readControl();
    const std::u16string& before = mirror_.text();
    if (now == before) {
        return;
    }
    const std::size_t from = mirror_.commonPrefix(now);
    std::size_t same = 0;
    while (same < before.size() - from && same < now.size() - from &&
           before[before.size() - 1 - same] == now[now.size() - 1 - same]) {
        ++same;
    }
    const std::size_t oldEnd = before.size() - same;
    const std::size_t newEnd = now.size() - same;
    mirror_.assign(now);
    followEdit(from, oldEnd, newEnd);
    Raised userEdit(userEditDepth_);
    hooks_.changed();
}

void Text1Box::followEdit(std::size_t from, std::size_t oldEnd, std::size_t newEnd) {
    const auto moved = [&](std::size_t at, bool isEnd) {
        if (at < from || (at == from && !isEnd)) {
            return at;
        }
        if (at >= oldEnd) {
            return at - oldEnd + newEnd;
        }
        return isEnd ? newEnd : from;
    };
    std::vector<TextMark> kept;
    kept.reserve(marks_.size());
    for (const TextMark& mark : marks_) {
        const TextMark now{moved(mark.begin, false), moved(mark.end, true), mark.style};
        if (now.begin < now.end) {
            kept.push_back(now);
        }
    }
    marks_ = std::move(kept);
    if (heard_) {
        heard_ = TextSpan{moved(heard_->begin, false), moved(heard_->end, true)};
    }
}

void Text1Box::setMarks(std::span<const TextMark> marks) {
    marks_.assign(marks.begin(), marks.end());
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void Text1Box::setHeard(std::optional<TextSpan> element) {
    if (element == heard_) {
        return;
    }
    heard_ = element;
    InvalidateRect(hwnd(), nullptr, FALSE);
    if (element) {
        scrollIntoView(*element);
    }
}

bool Text1Box::hasSelection() const {
    CHARRANGE selection{};
    SendMessageW(hwnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    return selection.cpMin != selection.cpMax;
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
    SendMessageW(hwnd(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

void Text1Box::copy() {
    // Plain text with CR LF line breaks, as C source is pasted anywhere.
    CHARRANGE selection{};
    SendMessageW(hwnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const std::size_t from = mirror_.indexOf(static_cast<std::size_t>(selection.cpMin));
    const std::size_t to = mirror_.indexOf(static_cast<std::size_t>(selection.cpMax));
    if (to > from) {
        putOnClipboard(hwnd(), std::u16string_view(mirror_.text()).substr(from, to - from));
    }
}

void Text1Box::paste() {
    // Text only: the composer's text has no formatting to take.
    SendMessageW(hwnd(), EM_PASTESPECIAL, CF_UNICODETEXT, 0);
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
    case WM_KEYDOWN:
        return onKey(wParam);
    case WM_CHAR:
        // Control characters other than these insert nothing a C source needs.
        if (wParam < 0x20 && wParam != '\r' && wParam != '\t' && wParam != '\b') {
            return 0;
        }
        return std::nullopt;
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
    case EM_REDO:
        return 0;
    case WM_CONTEXTMENU: {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (lParam == -1) {
            // From the keyboard: at the caret.
            CHARRANGE selection{};
            SendMessageW(hwnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
            at = pointOf(static_cast<std::size_t>(selection.cpMax));
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

std::optional<LRESULT> Text1Box::onKey(WPARAM key) {
    const bool ctrl = keyDown(VK_CONTROL);
    const bool shift = keyDown(VK_SHIFT);
    const bool alt = keyDown(VK_MENU);
    if ((ctrl && !alt && key == 'V') || (shift && !ctrl && key == VK_INSERT)) {
        paste();
        return 0;
    }
    if ((ctrl && !alt && key == 'C') || (ctrl && !shift && key == VK_INSERT)) {
        copy();
        return 0;
    }
    if ((ctrl && !alt && key == 'X') || (shift && !ctrl && key == VK_DELETE)) {
        cut();
        return 0;
    }
    if (ctrl && !alt && !keepsCtrl(key)) {
        return 0;
    }
    return std::nullopt;
}

POINT Text1Box::pointOf(std::size_t position) const {
    POINTL at{};
    SendMessageW(hwnd(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at),
                 static_cast<LPARAM>(position));
    return {at.x, at.y};
}

RECT Text1Box::textArea() const {
    RECT area{};
    SendMessageW(hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    return area;
}

template <typename Draw>
void Text1Box::forEachLine(std::size_t begin, std::size_t end, Draw draw) const {
    const auto first = static_cast<LONG>(mirror_.positionOf(begin));
    const auto last = static_cast<LONG>(mirror_.positionOf(end));
    const LRESULT firstVisible = SendMessageW(hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0);
    const RECT area = textArea();
    const LRESULT visibleLines = (area.bottom - area.top) / std::max(1, lineHeight_) + 2;
    LRESULT line = std::max(firstVisible, SendMessageW(hwnd(), EM_EXLINEFROMCHAR, 0, first));
    const LRESULT lastLine =
        std::min(firstVisible + visibleLines,
                 SendMessageW(hwnd(), EM_EXLINEFROMCHAR, 0, std::max(first, last - 1)));
    for (; line <= lastLine; ++line) {
        const LRESULT lineStart = SendMessageW(hwnd(), EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        if (lineStart < 0) {
            break;
        }
        const LRESULT lineEnd =
            lineStart + SendMessageW(hwnd(), EM_LINELENGTH, static_cast<WPARAM>(lineStart), 0);
        const auto from = static_cast<std::size_t>(std::max<LRESULT>(first, lineStart));
        const auto to = static_cast<std::size_t>(std::min<LRESULT>(last, lineEnd));
        const POINT left = pointOf(from);
        // A span of only a line break still shows, a blank wide.
        const int right = to > from ? pointOf(to).x : left.x + lineHeight_ / 3;
        draw(left.x, std::max(right, static_cast<int>(left.x + 2)), left.y);
    }
}

void Text1Box::paintOverlay() {
    if (marks_.empty() && !heard_) {
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
    const std::size_t firstShown = mirror_.indexOf(static_cast<std::size_t>(
        SendMessageW(hwnd(), EM_LINEINDEX,
                     static_cast<WPARAM>(SendMessageW(hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0)), 0)));
    for (const TextMark& mark : marks_) {
        if (mark.end < firstShown) {
            continue;
        }
        forEachLine(mark.begin, mark.end, [&](int left, int right, int top) {
            const int bottom = top + lineHeight_ - thickness;
            if (mark.style == MarkStyle::Error) {
                // A wave: up and down every two pixels.
                std::vector<POINT> wave;
                for (int x = left, k = 0; x <= right; x += amplitude, ++k) {
                    wave.push_back({x, k % 2 == 0 ? bottom : bottom - amplitude});
                }
                Polyline(dc, wave.data(), static_cast<int>(wave.size()));
            } else {
                for (int x = left; x < right; x += 2 * thickness) {
                    RECT dot{x, bottom - thickness + 1, x + thickness, bottom + 1};
                    SetBkColor(dc, kHintColour);
                    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &dot, nullptr, 0, nullptr);
                }
            }
        });
    }
    SelectObject(dc, oldPen);
    DeleteObject(errorPen);

    if (heard_) {
        const HBRUSH light = CreateSolidBrush(kHeardColour);
        const HGDIOBJ oldBrush = SelectObject(dc, light);
        forEachLine(heard_->begin, heard_->end, [&](int left, int right, int top) {
            PatBlt(dc, left, top, right - left, lineHeight_, kDestAndPattern);
        });
        SelectObject(dc, oldBrush);
        DeleteObject(light);
    }
    ShowCaret(hwnd());
    ReleaseDC(hwnd(), dc);
}

void Text1Box::scrollIntoView(const TextSpan& span) {
    const RECT area = textArea();
    const POINT start = pointOf(mirror_.positionOf(span.begin));
    const POINT end = pointOf(mirror_.positionOf(span.end));
    POINT view{};
    SendMessageW(hwnd(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&view));
    const POINT before = view;
    if (start.y < area.top || start.y + lineHeight_ > area.bottom) {
        view.y = std::max<LONG>(0, view.y + start.y - area.top - (area.bottom - area.top) / 3);
    }
    if (start.x < area.left || end.x > area.right) {
        view.x = std::max<LONG>(0, view.x + start.x - area.left - (area.right - area.left) / 3);
    }
    if (view.x != before.x || view.y != before.y) {
        SendMessageW(hwnd(), EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&view));
    }
}

std::u16string Text1Box::tipUnder(POINT client) const {
    POINTL at{client.x, client.y};
    const auto position = static_cast<std::size_t>(
        SendMessageW(hwnd(), EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
    // The nearest character is not enough: the mouse must be over it.
    const POINT left = pointOf(position);
    const POINT right = pointOf(position + 1);
    const bool over = client.y >= left.y && client.y < left.y + lineHeight_ && client.x >= left.x &&
                      (right.y != left.y ? client.x < left.x + lineHeight_ : client.x < right.x);
    return over ? hooks_.tipAt(mirror_.indexOf(position)) : std::u16string();
}

} // namespace quillon::win32
