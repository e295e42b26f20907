#pragma once

#include "LabelCaption.h"
#include "LocalClock.h"

#include <QWidget>

#include <memory>
#include <optional>

class QShowEvent;
class QTimer;

namespace quillon {

class MusicEditor;
class TextBoxEdit;

// The composer's one window. It creates the controls, binds their events to the editor's
// operations, shows the clock and opens the About box; the window itself holds no logic.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // The clock reads the time of day through `clock`; tests give it a fixed time.
    explicit Form1(LocalClock clock = LocalClock(), QWidget* parent = nullptr);
    ~Form1() override;

    // The tick of Timer1, public so that tests can fire it without waiting a second.
    void Timer1_Timer();

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

    TextBoxEdit* text1_ = nullptr;
    QTimer* timer1_ = nullptr;
    std::optional<LabelCaption> label3Caption_;
    std::optional<LabelCaption> label6Caption_;
    std::unique_ptr<MusicEditor> editor_;
    LocalClock clock_;
    bool loaded_ = false;
};

} // namespace quillon
