#include "Form1.h"

#include "CommandButton.h"
#include "PictureButton.h"
#include "PictureFaces.h"
#include "TextBoxEdit.h"
#include "quillon/FormTable.h"
#include "quillon/NoSoundOutput.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <map>

namespace quillon {

namespace {

// A key of the session's as Qt names it; none for a key it does not bind.
std::optional<QKeySequence> keySequence(const KeyPress& press) {
    int key = 0;
    switch (press.key) {
    case Key::F5:
        key = Qt::Key_F5;
        break;
    case Key::F6:
        key = Qt::Key_F6;
        break;
    case Key::Escape:
        key = Qt::Key_Escape;
        break;
    case Key::A:
        key = Qt::Key_A;
        break;
    case Key::O:
        key = Qt::Key_O;
        break;
    case Key::S:
        key = Qt::Key_S;
        break;
    case Key::Y:
        key = Qt::Key_Y;
        break;
    case Key::Z:
        key = Qt::Key_Z;
        break;
    case Key::Up:
        key = Qt::Key_Up;
        break;
    case Key::Down:
        key = Qt::Key_Down;
        break;
    case Key::Other:
        return std::nullopt;
    }
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ControlModifier, press.ctrl);
    modifiers.setFlag(Qt::ShiftModifier, press.shift);
    modifiers.setFlag(Qt::AltModifier, press.alt);
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

// The layout is designed in twips; the window stands at 96 dots per inch, where Qt scales it
// to the screen itself.
constexpr int kDpi = 96;

QRect pixels(const TwipsRect& rect) {
    return {twipsToPixels(rect.left, kDpi), twipsToPixels(rect.top, kDpi),
            twipsToPixels(rect.width, kDpi), twipsToPixels(rect.height, kDpi)};
}

QString qt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QFont captionQFont() {
    const FontDesign design = captionFont();
    QFont font;
    QStringList families;
    for (const std::u16string_view family : design.families) {
        families << qt(family);
    }
    font.setFamilies(families);
    font.setPointSize(design.points);
    font.setWeight(static_cast<QFont::Weight>(design.weight));
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QColor colourOf(ColourRole role) {
    const Rgb rgb = rgbOf(role);
    return {rgb.red, rgb.green, rgb.blue};
}

} // namespace

Form1::Form1(LocalClock clock, std::unique_ptr<SoundSink> sink, MelodyKeeping keeping,
             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      clock_(std::move(clock)), sink_(sink ? std::move(sink) : std::make_unique<NoSoundOutput>()) {
    createControls();
    session_ =
        std::make_unique<ComposerSession>(SessionPorts{*text1_, *text1_, *label3Caption_, notice_,
                                                       timers_, *sink_, files_, *this, *this},
                                          std::move(keeping));
    connect(text1_, &TextBoxEdit::edited, this,
            [this](std::size_t from, std::size_t removed, const std::u16string& inserted,
                   std::size_t lengthAfter) {
                session_->Text1_Change(from, removed, inserted, lengthAfter);
            });
    connect(text1_, &TextBoxEdit::changedSomewhere, this, [this] { session_->Text1_Change(); });
    connect(text1_, &TextBoxEdit::contextMenuOpening, this, &Form1::addMenuEntries);
    text1_->keyHandler = [this](const KeyPress& key) {
        const auto action = session_->actionForKey(key, true);
        if (action) {
            session_->perform(*action);
        }
        return action.has_value();
    };
    text1_->tipAt = [this](std::size_t index) { return session_->tipAt(index); };
    text1_->marksWithin = [this](std::size_t from, std::size_t to) {
        return session_->Text1_MarksWithin(from, to);
    };
    session_->setBoardProgressWindow(&boardProgress_);
    bindKeys();
}

Form1::~Form1() {
    // The session talks to the controls up to its end.
    session_.reset();
}

void Form1::createControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(qt(kForm1.caption));
    setWindowIcon(QIcon(QString::fromLatin1(kWindowIconPath)));
    setFixedSize(twipsToPixels(kForm1.width, kDpi), twipsToPixels(kForm1.height, kDpi));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setFont(captionQFont());

    const QColor menuColour = QApplication::palette("QMenu").color(QPalette::Window);
    std::map<QString, QLabel*> labels;
    // In table order, which is the tab order: Text1 first, then the buttons.
    for (const ControlDesign& design : formTable()) {
        const QString name = QString::fromStdString(design.name);
        switch (design.kind) {
        case ControlKind::TextBox: {
            text1_ = new TextBoxEdit(this);
            text1_->setObjectName(name);
            text1_->setGeometry(pixels(design.rect));
            text1_->setAccessibleName(qt(design.accessibleName));
            text1_->setFocus();
            break;
        }
        case ControlKind::PictureButton:
        case ControlKind::CaptionButton: {
            QPushButton* button = nullptr;
            if (design.kind == ControlKind::PictureButton) {
                button = new PictureButton(pictureFacePath(name), this);
                button->setAccessibleName(qt(design.accessibleName));
            } else {
                button = new CommandButton(qt(design.caption), this);
                button->setFont(captionQFont());
                QPalette buttonPalette = button->palette();
                buttonPalette.setColor(QPalette::Button, menuColour);
                button->setPalette(buttonPalette);
            }
            button->setObjectName(name);
            button->setGeometry(pixels(design.rect));
            const Command command = design.command;
            connect(button, &QPushButton::clicked, this,
                    [this, command] { session_->run(command); });
            break;
        }
        case ControlKind::Line: {
            auto* line = new QFrame(this);
            line->setObjectName(name);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Plain);
            line->setLineWidth(1);
            line->setForegroundRole(QPalette::WindowText);
            QRect rect = pixels(design.rect);
            rect.setHeight(1);
            line->setGeometry(rect);
            break;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(qt(design.caption), this);
            label->setObjectName(name);
            if (design.index >= 0) {
                label->setProperty("index", design.index);
            }
            label->setTextFormat(Qt::PlainText);
            // A heading covers the rule through its top edge.
            label->setAutoFillBackground(true);
            if (design.foreColour != ColourRole::Default) {
                QPalette labelPalette = label->palette();
                labelPalette.setColor(QPalette::WindowText, colourOf(design.foreColour));
                label->setPalette(labelPalette);
            }
            label->setGeometry(pixels(design.rect));
            if (design.autoSize) {
                label->adjustSize();
            }
            labels[name] = label;
            break;
        }
        case ControlKind::Timer:
            // Enabled from creation; it ticks once the event loop runs.
            timer1_ = new QTimer(this);
            timer1_->setObjectName(name);
            timer1_->setInterval(design.interval);
            connect(timer1_, &QTimer::timeout, this, &Form1::Timer1_Timer);
            timer1_->start();
            break;
        }
    }
    // The count keeps "bytes" out of its way once it grows past its designed room.
    label3Caption_.emplace(*labels.at(QStringLiteral("Label3")), true,
                           labels.at(QStringLiteral("Label5")));
    label6Caption_.emplace(*labels.at(QStringLiteral("Label6")), true);
}

void Form1::bindKeys() {
    // The session's window-wide keys work whichever control has the focus; Text1's own keys
    // reach the session through its key handler.
    for (const ActionEntry& action : sessionActions()) {
        if (action.scope != KeyScope::Window) {
            continue;
        }
        for (const KeyPress& press : action.keys) {
            const std::optional<QKeySequence> sequence = keySequence(press);
            if (!sequence) {
                continue;
            }
            auto* shortcut = new QShortcut(*sequence, this);
            connect(shortcut, &QShortcut::activated, this, [this, press] {
                if (const auto asked = session_->actionForKey(press, false)) {
                    session_->perform(*asked);
                }
            });
        }
    }
}

void Form1::addMenuEntries(QMenu* menu) {
    // Qt's own undo and redo would walk the document; the session's keep the count with it.
    for (QAction* action : menu->actions()) {
        const QString name = action->objectName();
        if (name == QLatin1String("edit-undo") || name == QLatin1String("edit-redo")) {
            const bool undo = name == QLatin1String("edit-undo");
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            action->setEnabled(undo ? session_->canUndo() : session_->canRedo());
            connect(action, &QAction::triggered, this, [this, undo] {
                session_->perform(undo ? SessionAction::Undo : SessionAction::Redo);
            });
        }
    }
    menu->addSeparator();
    addEntries(menu, session_->contextMenuEntries());
}

void Form1::addEntries(QMenu* menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        if (!entry.submenu.empty()) {
            QMenu* submenu = menu->addMenu(qt(entry.text));
            addEntries(submenu, entry.submenu);
            continue;
        }
        QAction* action = menu->addAction(qt(entry.text));
        action->setEnabled(entry.enabled);
        action->setCheckable(entry.checkable);
        action->setChecked(entry.checked);
        connect(
            action, &QAction::triggered, this,
            [this, chosen = entry.action, item = entry.item] { session_->perform(chosen, item); });
    }
}

void Form1::setCaption(std::u16string_view caption) {
    setWindowTitle(qt(caption));
}

bool Form1::setClipboardText(std::u16string_view text) {
    QGuiApplication::clipboard()->setText(qt(text));
    return true;
}

void Form1::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        closeAllowed_ = false;
        QWidget::closeEvent(event);
        return;
    }
    // An answer before the call returns decides this event; a later one closes the window
    // again, then allowed.
    auto asking = std::make_shared<std::optional<bool>>(std::nullopt);
    auto inCall = std::make_shared<bool>(true);
    session_->Form_QueryUnload([this, asking, inCall](bool mayClose) {
        if (*inCall) {
            *asking = mayClose;
        } else if (mayClose) {
            closeAllowed_ = true;
            close();
        }
    });
    *inCall = false;
    if (!asking->value_or(false)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void Form1::showEvent(QShowEvent* event) {
    // Load: once, before the window first shows.
    if (!loaded_) {
        loaded_ = true;
        session_->Form_Load();
    }
    QWidget::showEvent(event);
}

void Form1::Timer1_Timer() {
    label6Caption_->setCaption(clock_.text());
}

} // namespace quillon
