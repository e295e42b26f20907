#include "Form1Window.h"

#include "BoardProgress.h"
#include "CaptionButton.h"
#include "Dpi.h"
#include "Fonts.h"
#include "FormFileDialogs.h"
#include "FormNotice.h"
#include "FormTimers.h"
#include "Label.h"
#include "PictureButton.h"
#include "Text1Box.h"
#include "Text1Menu.h"
#include "quillon/ComposerSession.h"
#include "quillon/FormTable.h"
#include "quillon/MelodyKeeper.h"
#include "resource.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace quillon::win32 {
namespace {

constexpr wchar_t kClassName[] = L"QuillonForm1";
// Fixed border, minimize and close, no maximize.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

HICON loadIcon(int side) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLON),
                                         IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
}

HWND createForm(HICON icon, HICON smallIcon) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = DefWindowProcW;
    form.hInstance = instance;
    form.hIcon = icon;
    form.hIconSm = smallIcon;
    form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    form.lpszClassName = kClassName;
    RegisterClassExW(&form);
    const std::wstring caption(kForm1.caption.begin(), kForm1.caption.end());
    return CreateWindowExW(0, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

std::optional<Key> keyOf(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_F5:
        return Key::F5;
    case VK_F6:
        return Key::F6;
    case VK_ESCAPE:
        return Key::Escape;
    case 'A':
        return Key::A;
    case 'O':
        return Key::O;
    case 'S':
        return Key::S;
    case 'Y':
        return Key::Y;
    case 'Z':
        return Key::Z;
    case VK_UP:
        return Key::Up;
    case VK_DOWN:
        return Key::Down;
    default:
        return std::nullopt;
    }
}

// The control a notification to the form concerns.
HWND concerned(UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
        return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM:
        return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    default:
        return nullptr;
    }
}

} // namespace

Form1Window::Form1Window(std::unique_ptr<SoundSink> sound) : sound_(std::move(sound)) {
    icon_ = loadIcon(GetSystemMetrics(SM_CXICON));
    smallIcon_ = loadIcon(GetSystemMetrics(SM_CXSMICON));
    attach(createForm(icon_, smallIcon_));
    dpi_ = dpiOf(hwnd());
    fonts_ = std::make_unique<Fonts>(dpi_);
    timers_ = std::make_unique<FormTimers>(hwnd());
    notice_ = std::make_unique<FormNotice>(hwnd(), icon_);
    files_ = std::make_unique<FormFileDialogs>(hwnd());
    createControls();
    session_ =
        std::make_unique<ComposerSession>(SessionPorts{*text1_, *text1_, *label3_, *notice_,
                                                       *timers_, *sound_, *files_, *this, *this},
                                          MelodyKeeping::inUserFolder());
    boardProgress_ = std::make_unique<BoardProgress>(hwnd());
    session_->setBoardProgressWindow(boardProgress_.get());
    menu_ = std::make_unique<Text1Menu>(hwnd(), *text1_, *session_);
    layout();
    // Enabled from creation: it ticks once the message loop runs.
    timer1_ = timers_->every(timer1Interval_, [this] { Timer1_Timer(); });
    // Load: once, before the window first shows.
    session_->Form_Load();
}

Form1Window::~Form1Window() {
    timer1_.reset();
    menu_.reset();
    session_.reset();
    if (hwnd() != nullptr) {
        DestroyWindow(hwnd());
    }
    DestroyIcon(icon_);
    DestroyIcon(smallIcon_);
}

void Form1Window::createControls() {
    const HWND form = hwnd();
    Label* label5 = nullptr;
    for (const ControlDesign& design : formTable()) {
        const auto run = [this, &design] { session_->run(design.command); };
        switch (design.kind) {
        case ControlKind::TextBox:
            text1_ = std::make_unique<Text1Box>(
                form, design,
                Text1Box::Hooks{[this] { session_->Text1_Change(); },
                                [this] { return session_->text(); },
                                [this](std::size_t from, std::size_t to) {
                                    return session_->Text1_MarksWithin(from, to);
                                },
                                [this](std::size_t index) { return session_->tipAt(index); },
                                [this](POINT at) { menu_->showAt(at); }});
            break;
        case ControlKind::Label:
            labels_.push_back(std::make_unique<Label>(form, design));
            if (design.name == "Label3") {
                label3_ = labels_.back().get();
            } else if (design.name == "Label5") {
                label5 = labels_.back().get();
            } else if (design.name == "Label6") {
                label6_ = labels_.back().get();
            }
            break;
        case ControlKind::PictureButton:
            buttons_.push_back(std::make_unique<PictureButton>(form, design, run));
            break;
        case ControlKind::CaptionButton:
            buttons_.push_back(std::make_unique<CaptionButton>(form, design, run));
            break;
        case ControlKind::Line:
            lineTwips_.push_back({design.rect.left, design.rect.top,
                                  design.rect.left + design.rect.width,
                                  design.rect.top + design.rect.height});
            break;
        case ControlKind::Timer:
            timer1Interval_ = design.interval;
            break;
        }
    }
    label3_->keepClear(*label5);

    std::vector<std::pair<int, HWND>> focusable;
    const auto take = [&](const ControlDesign& design, HWND hwnd) {
        if (design.tabIndex >= 0) {
            focusable.emplace_back(design.tabIndex, hwnd);
        }
    };
    take(*findControl("Text1"), text1_->hwnd());
    for (const auto& button : buttons_) {
        take(button->design(), button->hwnd());
    }
    std::sort(focusable.begin(), focusable.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [index, hwnd] : focusable) {
        tabOrder_.push_back(hwnd);
    }
}

void Form1Window::layout() {
    const SIZE client{twipsToPixels(kForm1.width, dpi_), twipsToPixels(kForm1.height, dpi_)};
    const SIZE outer = outerSize(client, kStyle, 0, dpi_);
    SetWindowPos(hwnd(), nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    text1_->moveTo(pixelsOf(findControl("Text1")->rect, dpi_));
    text1_->layout(dpi_, fonts_->ui());
    for (const auto& button : buttons_) {
        button->layout(dpi_, *fonts_);
    }
    for (const auto& label : labels_) {
        label->layout(dpi_, fonts_->ui());
    }
    // Once more, now that "bytes" stands at its designed place to be kept clear of.
    label3_->layout(dpi_, fonts_->ui());
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void Form1Window::show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    SetFocus(text1_->hwnd());
}

void Form1Window::paintLines() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(hwnd(), &paint);
    const HPEN pen =
        CreatePen(PS_SOLID, std::max(1, dpi_ / kDesignDpi), GetSysColor(COLOR_WINDOWTEXT));
    const HGDIOBJ old = SelectObject(dc, pen);
    for (const RECT& line : lineTwips_) {
        MoveToEx(dc, twipsToPixels(line.left, dpi_), twipsToPixels(line.top, dpi_), nullptr);
        LineTo(dc, twipsToPixels(line.right, dpi_), twipsToPixels(line.bottom, dpi_));
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    EndPaint(hwnd(), &paint);
}

bool Form1Window::preTranslate(const MSG& message) {
    if ((message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) ||
        session_ == nullptr || (message.hwnd != hwnd() && IsChild(hwnd(), message.hwnd) == FALSE)) {
        return false;
    }
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0;
    if (message.wParam == VK_TAB && !ctrl && !alt) {
        moveFocus(shift);
        return true;
    }
    const std::optional<Key> key = keyOf(message.wParam);
    if (!key) {
        return false;
    }
    const bool inText1 = message.hwnd == text1_->hwnd();
    const std::optional<SessionAction> action =
        session_->actionForKey(KeyPress{*key, ctrl, shift, alt}, inText1);
    if (!action) {
        return false;
    }
    session_->perform(*action);
    return true;
}

bool Form1Window::setClipboardText(std::u16string_view text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    void* at = GlobalLock(memory);
    if (at == nullptr) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(at, text.data(), text.size() * sizeof(char16_t));
    static_cast<char16_t*>(at)[text.size()] = u'\0';
    GlobalUnlock(memory);
    if (!OpenClipboard(hwnd())) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // Once set, the memory is the clipboard's.
    const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!taken) {
        GlobalFree(memory);
    }
    return taken;
}

void Form1Window::setCaption(std::u16string_view caption) {
    const std::wstring shown(caption.begin(), caption.end());
    SetWindowTextW(hwnd(), shown.c_str());
}

void Form1Window::moveFocus(bool back) {
    const auto at = std::find(tabOrder_.begin(), tabOrder_.end(), GetFocus());
    const auto count = static_cast<std::ptrdiff_t>(tabOrder_.size());
    std::ptrdiff_t next = 0;
    if (at != tabOrder_.end()) {
        next = ((at - tabOrder_.begin()) + (back ? count - 1 : 1)) % count;
    } else if (back) {
        next = count - 1;
    }
    SetFocus(tabOrder_[static_cast<std::size_t>(next)]);
}

void Form1Window::Timer1_Timer() {
    // The user's own long time format: hours, minutes and seconds, no date.
    wchar_t time[80] = {};
    if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, nullptr, nullptr, time, 80) > 0) {
        const std::wstring_view shown(time);
        label6_->setCaption(std::u16string(shown.begin(), shown.end()));
    }
}

std::optional<LRESULT> Form1Window::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (Control* control = Control::of(concerned(message, wParam, lParam));
        control != nullptr && control != this) {
        return control->onNotification(message, wParam, lParam);
    }
    switch (message) {
    case WM_PAINT:
        paintLines();
        return 0;
    case WM_TIMER:
        if (timers_->onTimer(wParam)) {
            return 0;
        }
        return std::nullopt;
    case WM_ACTIVATE:
        // The focus comes back to the control that had it when the window was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            lastFocus_ = IsChild(hwnd(), focus) != FALSE ? focus : lastFocus_;
        } else if (HIWORD(wParam) == 0) {
            SetFocus(lastFocus_ != nullptr ? lastFocus_ : text1_->hwnd());
        }
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        fonts_ = std::make_unique<Fonts>(dpi_);
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        layout();
        return 0;
    }
    case WM_CLOSE: {
        if (session_ == nullptr) {
            DestroyWindow(hwnd());
            return 0;
        }
        // The session writes the kept melody, and asks about a file with changes not saved.
        // An answer before it returns decides here; a later one closes the window from a
        // message of its own, once the session's call that answered has ended.
        auto inCall = std::make_shared<bool>(true);
        auto mayClose = std::make_shared<bool>(false);
        session_->Form_QueryUnload([window = hwnd(), inCall, mayClose](bool yes) {
            if (*inCall) {
                *mayClose = yes;
            } else if (yes) {
                PostMessageW(window, kCloseAnswered, 0, 0);
            }
        });
        *inCall = false;
        if (*mayClose) {
            DestroyWindow(hwnd());
        }
        return 0;
    }
    case kCloseAnswered:
        DestroyWindow(hwnd());
        return 0;
    case WM_ENDSESSION:
        // Windows is logging off and ends the program after this returns: the session writes
        // the kept melody as it goes. Nothing is asked; nothing else comes.
        if (wParam != FALSE) {
            timer1_.reset();
            menu_.reset();
            session_.reset();
        }
        return 0;
    case WM_DESTROY:
        timer1_.reset();
        menu_.reset();
        session_.reset();
        PostQuitMessage(0);
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace quillon::win32
