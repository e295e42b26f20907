#pragma once

#include "LabelCaption.h"
#include "LocalClock.h"
#include "QtBoardProgress.h"
#include "QtFileDialogs.h"
#include "QtNotice.h"
#include "QtTimers.h"
#include "quillon/ComposerSession.h"
#include "quillon/SoundSink.h"

#include <QWidget>

#include <memory>
#include <optional>

class QCloseEvent;
class QMenu;
class QShowEvent;
class QTimer;

namespace quillon {

class TextBoxEdit;

// The composer's one window on Linux: it creates its controls from the form table, implements
// the session's ports over them and forwards their events to the session. It holds no logic of
// its own beyond this wiring; the clock, in the desktop's own time format, is the window's.
class Form1 : public QWidget, public Caption, public Clipboard {
    Q_OBJECT
public:
    // The clock reads the time of day through `clock`; tests give it a fixed time. Sound goes
    // to `sink`; without one the window plays nothing and says so on F5. Melodies are kept
    // where `keeping` says: the program keeps them in the user's folder, tests nowhere.
    explicit Form1(LocalClock clock = LocalClock(), std::unique_ptr<SoundSink> sink = nullptr,
                   MelodyKeeping keeping = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // The tick of Timer1, public so that tests can fire it without waiting a second.
    void Timer1_Timer();

    ComposerSession& session() { return *session_; }
    const ComposerSession& session() const { return *session_; }

    // The window's caption, as the session sets it.
    void setCaption(std::u16string_view caption) override;
    // The desktop's clipboard, which the session copies the Arduino sketch to.
    bool setClipboardText(std::u16string_view text) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void bindKeys();
    void addMenuEntries(QMenu* menu);
    void addEntries(QMenu* menu, const std::vector<MenuEntry>& entries);

    TextBoxEdit* text1_ = nullptr;
    QTimer* timer1_ = nullptr;
    std::optional<LabelCaption> label3Caption_;
    std::optional<LabelCaption> label6Caption_;
    LocalClock clock_;
    std::unique_ptr<SoundSink> sink_;
    QtTimers timers_{*this};
    QtNotice notice_{*this};
    QtFileDialogs files_{*this};
    QtBoardProgress boardProgress_{*this};
    std::unique_ptr<ComposerSession> session_;
    bool loaded_ = false;
    // The session has said yes to a close whose question was answered after the event.
    bool closeAllowed_ = false;
};

} // namespace quillon
