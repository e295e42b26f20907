// The floor of a click that appends, for click-pace.sh under wine: the Windows counterpart of
// bench/window/BareClickWindow.cpp. A plain multi-line EDIT control at Text1's place and plain
// buttons at the note buttons' places, in a window of the composer's client size and style,
// captioned "Bare". Each click on a button inserts "0x82," at the end of the text (a line break
// after every 16th item) and scrolls the caret into view; nothing else.
//   bare-click-window.exe CODES      the text starts with CODES items
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr int kFirstButton = 100;
long items = 0;
HWND edit = nullptr;

// The composer's note buttons: four groups of three rows of seven, 17 x 25 pixels.
constexpr int kGroups = 4;
constexpr int kRows = 3;
constexpr int kDegrees = 7;

void append() {
    ++items;
    const wchar_t* item = items % 16 == 0 ? L"0x82,\r\n" : L"0x82,";
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(edit));
    SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(item));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= kFirstButton) {
            append();
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    items = std::wcstol(commandLine, nullptr, 10);

    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = windowProc;
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    form.lpszClassName = L"QuillonBareFloor";
    RegisterClassExW(&form);
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, 555, 509};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = CreateWindowExW(0, form.lpszClassName, L"Bare", style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                  nullptr, nullptr, instance, nullptr);

    edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                           WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                               ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN,
                           8, 24, 305, 433, window, nullptr, instance, nullptr);
    SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
    std::wstring text = L"const unsigned char music_item[] = {\r\n";
    for (long i = 1; i <= items; ++i) {
        text += i % 16 == 0 ? L"0x82,\r\n" : L"0x82,";
    }
    SetWindowTextW(edit, text.c_str());

    int id = kFirstButton;
    for (int group = 0; group < kGroups; ++group) {
        for (int row = 0; row < kRows; ++row) {
            for (int degree = 0; degree < kDegrees; ++degree) {
                CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                336 + 32 * degree, 32 + 112 * group + 32 * row, 17, 25, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance,
                                nullptr);
            }
        }
    }

    ShowWindow(window, showCommand);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
