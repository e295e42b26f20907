#pragma once

#include "LabelCaption.h"
#include "LocalClock.h"
#include "quillon/SoundSink.h"

#include <QWidget>

#include <memory>
#include <optional>

class QAction;
class QMenu;
class QShowEvent;
class QTimer;

namespace quillon {

class MelodyPreview;
class MusicEditor;
class TextBoxEdit;

// The composer's one window. It creates the controls, binds their events to the editor's
// operations and to the preview, shows the clock and opens the About box; the window itself
// holds no logic.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // The clock reads the time of day through `clock`; tests give it a fixed time. Sound goes
    // to `sink`; without one the window plays nothing and says so on F5.
    explicit Form1(LocalClock clock = LocalClock(), std::unique_ptr<SoundSink> sink = nullptr,
                   QWidget* parent = nullptr);
    ~Form1() override;

    // The tick of Timer1, public so that tests can fire it without waiting a second.
    void Timer1_Timer();

    // F5: plays the melody of Text1 from its first element; Esc stops it.
    void playMelody();
    void stopPlaying();
    // Underlines what the firmware would mis-play; runs shortly after every change.
    void checkMelody();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void bindEvents();

    void Form_Load();
    void Text1_Change();
    void Command511_Click();
    void Command512_Click();
    void Command514_Click();
    void Command515_Click();
    void Command516_Click();
    void Command517_Click();

    void createPreview();
    void addPreviewEntries(QMenu* menu);
    void textMoved();
    void followPlaying();
    void soundClickedNote(int code);

    TextBoxEdit* text1_ = nullptr;
    QTimer* timer1_ = nullptr;
    std::optional<LabelCaption> label3Caption_;
    std::optional<LabelCaption> label6Caption_;
    std::unique_ptr<MusicEditor> editor_;
    LocalClock clock_;
    bool loaded_ = false;

    std::unique_ptr<SoundSink> sink_;
    std::unique_ptr<MelodyPreview> preview_;
    // Polls what is being heard while a melody plays.
    QTimer* playTimer_ = nullptr;
    // Checks the melody once the text has been still for a moment.
    QTimer* checkTimer_ = nullptr;
    QAction* playAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    QAction* soundOnClickAction_ = nullptr;
};

} // namespace quillon
