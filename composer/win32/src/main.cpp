// The composer on Windows: one window over the composer session, no toolkit.
#include "Form1Window.h"
#include "WaveOutSink.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <memory>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // The screen readers' names are set through COM (IAccPropServices), and the common file
    // dialogs host shell objects that want OLE on this thread.
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    int status = 0;
    {
        quillon::win32::Form1Window form(std::make_unique<quillon::win32::WaveOutSink>());
        form.show(showCommand);
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (form.preTranslate(message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        status = static_cast<int>(message.wParam);
    }
    OleUninitialize();
    return status;
}
