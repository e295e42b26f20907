#pragma once

#include "Control.h"
#include "quillon/Caption.h"
#include "quillon/SessionPorts.h"
#include "quillon/SoundSink.h"

#include <memory>
#include <vector>

namespace quillon {
class ComposerSession;
}

namespace quillon::win32 {

class BoardProgress;
class CommandButton;
class Fonts;
class FormFileDialogs;
class FormNotice;
class FormTimers;
class Label;
class Text1Box;
class Text1Menu;

// Form1, the composer's one window: caption "Quillon", fixed border, minimize and close. It
// creates its controls from the form table at the monitor's scale, hands their events to the
// composer session, keeps the clock and routes the window's keys. No logic of its own.
class Form1Window final : public Control, public Caption, public Clipboard {
public:
    explicit Form1Window(std::unique_ptr<SoundSink> sound);
    ~Form1Window() override;

    // Shows the window with the focus in Text1.
    void show(int showCommand);

    // The keys the window takes wherever the focus is in it (F5, Esc, Tab, and in Text1 undo,
    // redo and select all), before the focused control sees them; true when it took this one.
    bool preTranslate(const MSG& message);

    // The window's own caption: "Quillon", or the melody's file and whether it has changes.
    void setCaption(std::u16string_view caption) override;

    // The system clipboard as Unicode text, which the session copies the Arduino sketch to;
    // false while another program holds it open.
    bool setClipboardText(std::u16string_view text) override;

protected:
    std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The session said later that the window may close.
    static constexpr UINT kCloseAnswered = WM_APP + 1;

    void createControls();
    void layout();
    void paintLines();
    void moveFocus(bool back);
    void Timer1_Timer();

    int dpi_ = 96;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::unique_ptr<Fonts> fonts_;
    std::unique_ptr<FormTimers> timers_;
    std::unique_ptr<FormNotice> notice_;
    std::unique_ptr<FormFileDialogs> files_;
    std::unique_ptr<BoardProgress> boardProgress_;
    std::unique_ptr<SoundSink> sound_;

    std::unique_ptr<Text1Box> text1_;
    std::vector<std::unique_ptr<Label>> labels_;
    std::vector<std::unique_ptr<CommandButton>> buttons_;
    std::vector<RECT> lineTwips_;
    std::vector<HWND> tabOrder_;
    Label* label3_ = nullptr;
    Label* label6_ = nullptr;
    int timer1Interval_ = 1000;
    HWND lastFocus_ = nullptr;

    // Last, so that it goes first: it reaches into everything above.
    std::unique_ptr<ComposerSession> session_;
    std::unique_ptr<Text1Menu> menu_;
    std::unique_ptr<OneShotTimer> timer1_;
};

} // namespace quillon::win32
