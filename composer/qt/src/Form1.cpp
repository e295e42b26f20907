#include "Form1.h"

#include "AboutBox.h"
#include "CommandButton.h"
#include "PictureButton.h"
#include "PictureFaces.h"
#include "TextBoxEdit.h"
#include "quillon/MelodyPreview.h"
#include "quillon/MelodyReader.h"
#include "quillon/MusicCode.h"
#include "quillon/MusicEditor.h"
#include "quillon/NoSoundOutput.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <array>
#include <map>

namespace quillon {

namespace {

// The layout is designed in twips; at 96 dots per inch 15 of them make a pixel.
constexpr int kTwipsPerPixel = 15;

constexpr QRect twips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

constexpr QSize kClientArea{8325 / kTwipsPerPixel, 7635 / kTwipsPerPixel};

// The designed "宋体" 9 pt, then CJK fonts that Linux desktops have, so that the Chinese
// captions never fall back to empty boxes.
QFont songTi9() {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Droid Sans Fallback")});
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// The note grid: three rows of seven buttons per group, headed by a line and a label.
struct GroupDesign {
    const char* line;
    const char16_t* heading;
};
constexpr std::array<GroupDesign, 4> kGroups{{
    {"Line5", u"超低音"},
    {"Line1", u"低音"},
    {"Line2", u"中音"},
    {"Line3", u"高音"},
}};
constexpr int kGroupPitch = 1680;
constexpr int kButtonPitch = 480;
constexpr int kGridLeft = 5040;
constexpr int kGridTop = 480;
constexpr int kButtonWidth = 255;
constexpr int kButtonHeight = 375;
constexpr int kRuleLeft = 4800;
constexpr int kRuleRight = 8280;
constexpr int kHeadingAboveGrid = 240;

// What a note button enters, for screen readers: duration code 1, 2, 3.
constexpr std::array<const char16_t*, 4> kDurationNames{nullptr, u"100ms", u"200ms", u"400ms"};

struct LabelDesign {
    const char* name;
    int index; // within a control array, -1 for none
    const char16_t* caption;
    QRect rect;
    bool autoSize;
    QRgb foreColour; // 0: the window's default
};
constexpr QRgb kDefault = 0;
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kDarkBlue = qRgb(0, 0, 192);
constexpr int kBottomTop = 7200;

const std::array<LabelDesign, 11> kLabels{{
    {"Label4", 0, u"超低音", twips(5040, 240, 540, 180), true, kDefault},
    {"Label4", 1, u"低音", twips(5040, 1920, 360, 180), true, kDefault},
    {"Label4", 2, u"中音", twips(5040, 3600, 360, 180), true, kDefault},
    {"Label4", 3, u"高音", twips(5040, 5280, 360, 180), true, kDefault},
    {"Label4", 4, u"其他", twips(5040, 6960, 360, 180), true, kDefault},
    {"Label4", 5, u"AVR代码", twips(120, 120, 630, 180), true, kDefault},
    {"Label1", -1, u"代码字节大小：", twips(120, kBottomTop, 1260, 180), true, kDefault},
    {"Label3", -1, u"0", twips(1440, kBottomTop, 90, 180), true, kGrey},
    {"Label5", -1, u"bytes", twips(1920, kBottomTop, 450, 180), true, kDefault},
    {"Label7", -1, u"Clock:", twips(3240, kBottomTop, 495, 255), false, kDarkBlue},
    {"Label6", -1, u"", twips(3840, kBottomTop, 90, 180), true, kDarkBlue},
}};

// The bottom row: three picture buttons and three caption buttons on the menu colour.
struct BottomButtonDesign {
    const char* name;
    int left;
    int width;
    const char16_t* caption;    // null for a picture button
    const char16_t* spokenName; // what a picture button enters
    void (Form1::*click)();
};

QString fromUtf16(const char16_t* text) {
    return QString::fromUtf16(text);
}

template <typename Button> Button* setUpButton(Button* button, const QString& name, QRect rect) {
    button->setObjectName(name);
    button->setGeometry(rect);
    return button;
}

} // namespace

Form1::Form1(LocalClock clock, std::unique_ptr<SoundSink> sink, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      clock_(std::move(clock)), sink_(sink ? std::move(sink) : std::make_unique<NoSoundOutput>()) {
    createControls();
    editor_ = std::make_unique<MusicEditor>(*text1_, *label3Caption_);
    createPreview();
    bindEvents();
}

Form1::~Form1() = default;

void Form1::createControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillon"));
    setWindowIcon(QIcon(QString::fromLatin1(kWindowIconPath)));
    setFixedSize(kClientArea);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setFont(songTi9());

    // First in the tab order: the text box has the focus when the window opens.
    text1_ = new TextBoxEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twips(120, 360, 4575, 6495));
    // Screen readers name the box after the label above it.
    text1_->setAccessibleName(QStringLiteral("AVR代码"));
    text1_->setFocus();

    // Rules first, so that each heading lies on top of the rule through its top edge.
    for (std::size_t g = 0; g <= kGroups.size(); ++g) {
        auto* line = new QFrame(this);
        line->setObjectName(QString::fromLatin1(g < kGroups.size() ? kGroups[g].line : "Line4"));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        line->setLineWidth(1);
        line->setForegroundRole(QPalette::WindowText);
        const int top = kHeadingAboveGrid + kGroupPitch * static_cast<int>(g);
        line->setGeometry(twips(kRuleLeft, top, kRuleRight - kRuleLeft, kTwipsPerPixel));
    }

    std::map<QString, QLabel*> labels;
    for (const LabelDesign& design : kLabels) {
        auto* label = new QLabel(fromUtf16(design.caption), this);
        label->setObjectName(QString::fromLatin1(design.name));
        if (design.index >= 0) {
            label->setProperty("index", design.index);
        }
        label->setTextFormat(Qt::PlainText);
        label->setAutoFillBackground(true);
        if (design.foreColour != kDefault) {
            QPalette labelPalette = label->palette();
            labelPalette.setColor(QPalette::WindowText, QColor(design.foreColour));
            label->setPalette(labelPalette);
        }
        label->setGeometry(design.rect);
        if (design.autoSize) {
            label->adjustSize();
        }
        labels[label->objectName()] = label;
    }
    // The count keeps "bytes" out of its way once it grows past its designed room.
    label3Caption_.emplace(*labels.at(QStringLiteral("Label3")), true,
                           labels.at(QStringLiteral("Label5")));
    label6Caption_.emplace(*labels.at(QStringLiteral("Label6")), true);

    for (int g = 1; g <= 4; ++g) {
        const QString heading = fromUtf16(kGroups[static_cast<std::size_t>(g - 1)].heading);
        for (int r = 1; r <= 3; ++r) {
            const QString duration = fromUtf16(kDurationNames[static_cast<std::size_t>(4 - r)]);
            for (int c = 1; c <= 7; ++c) {
                const QString name = QStringLiteral("Command%1%2%3").arg(g).arg(r).arg(c);
                const QRect rect = twips(kGridLeft + kButtonPitch * (c - 1),
                                         kGridTop + kGroupPitch * (g - 1) + kButtonPitch * (r - 1),
                                         kButtonWidth, kButtonHeight);
                auto* button =
                    setUpButton(new PictureButton(pictureFacePath(name), this), name, rect);
                button->setAccessibleName(
                    QStringLiteral("%1 %2, %3").arg(heading).arg(c).arg(duration));
                const MusicCode code = noteButtonCode(g, r, c);
                const std::u16string item = codeItem(code);
                connect(button, &QPushButton::clicked, this, [this, item, code] {
                    editor_->AppendCodeItem(item);
                    soundClickedNote(code);
                });
            }
        }
    }

    const std::array<BottomButtonDesign, 6> bottomButtons{{
        {"Command511", 5040, 255, nullptr, u"延长", &Form1::Command511_Click},
        {"Command512", 5400, 255, nullptr, u"休止符", &Form1::Command512_Click},
        {"Command514", 5760, 255, nullptr, u"换行", &Form1::Command514_Click},
        {"Command515", 6120, 615, u"End", nullptr, &Form1::Command515_Click},
        {"Command516", 6840, 615, u"Clear", nullptr, &Form1::Command516_Click},
        {"Command517", 7560, 615, u"About", nullptr, &Form1::Command517_Click},
    }};
    const QColor menuColour = QApplication::palette("QMenu").color(QPalette::Window);
    for (const BottomButtonDesign& design : bottomButtons) {
        const QString name = QString::fromLatin1(design.name);
        const QRect rect = twips(design.left, kBottomTop, design.width, kButtonHeight);
        QPushButton* button = nullptr;
        if (design.caption == nullptr) {
            button = setUpButton(new PictureButton(pictureFacePath(name), this), name, rect);
            button->setAccessibleName(fromUtf16(design.spokenName));
        } else {
            button = setUpButton(new CommandButton(fromUtf16(design.caption), this), name, rect);
            button->setFont(songTi9());
            QPalette buttonPalette = button->palette();
            buttonPalette.setColor(QPalette::Button, menuColour);
            button->setPalette(buttonPalette);
        }
        connect(button, &QPushButton::clicked, this, design.click);
    }

    // Enabled from creation; it ticks once the event loop runs.
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1000);
    timer1_->start();
}

void Form1::createPreview() {
    preview_ = std::make_unique<MelodyPreview>(*sink_);

    playTimer_ = new QTimer(this);
    playTimer_->setInterval(15);
    checkTimer_ = new QTimer(this);
    checkTimer_->setSingleShot(true);
    // Reading a long melody takes milliseconds: check once the clicking or typing pauses.
    checkTimer_->setInterval(100);

    playAction_ = new QAction(QStringLiteral("播放旋律 (F5)"), this);
    stopAction_ = new QAction(QStringLiteral("停止 (Esc)"), this);
    stopAction_->setEnabled(false);
    soundOnClickAction_ = new QAction(QStringLiteral("点击音符时发音"), this);
    soundOnClickAction_->setCheckable(true);
    soundOnClickAction_->setChecked(true);

    // Anywhere in the window, whichever control has the focus.
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(f5, &QShortcut::activated, this, &Form1::playMelody);
    connect(escape, &QShortcut::activated, this, &Form1::stopPlaying);
}

void Form1::bindEvents() {
    connect(text1_, &TextBoxEdit::changed, this, &Form1::Text1_Change);
    connect(text1_, &TextBoxEdit::historyMoved, this, [this] { editor_->Text1_HistoryMoved(); });
    connect(timer1_, &QTimer::timeout, this, &Form1::Timer1_Timer);

    // Any change of the text stops the melody and brings a new check.
    connect(text1_, &TextBoxEdit::changed, this, &Form1::textMoved);
    connect(text1_, &TextBoxEdit::historyMoved, this, &Form1::textMoved);
    connect(text1_, &TextBoxEdit::contextMenuOpening, this, &Form1::addPreviewEntries);
    connect(playTimer_, &QTimer::timeout, this, &Form1::followPlaying);
    connect(checkTimer_, &QTimer::timeout, this, &Form1::checkMelody);
    connect(playAction_, &QAction::triggered, this, &Form1::playMelody);
    connect(stopAction_, &QAction::triggered, this, &Form1::stopPlaying);
}

void Form1::addPreviewEntries(QMenu* menu) {
    menu->addSeparator();
    menu->addAction(playAction_);
    menu->addAction(stopAction_);
    menu->addAction(soundOnClickAction_);
}

void Form1::playMelody() {
    preview_->playMelody(readMelody(text1_->documentText()));
    followPlaying();
}

void Form1::stopPlaying() {
    preview_->stop();
    followPlaying();
}

void Form1::followPlaying() {
    const MelodyPreview::Progress progress = preview_->poll();
    stopAction_->setEnabled(progress.playing);
    if (!progress.playing) {
        playTimer_->stop();
        text1_->setHeard(std::nullopt);
        if (progress.problem != SoundProblem::None) {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillon"),
                            QStringLiteral("无法播放旋律：没有可用的声音输出。"), QMessageBox::Ok,
                            this);
            box.setObjectName(QStringLiteral("NoSoundBox"));
            box.setInformativeText(QString::fromStdString(progress.detail));
            box.exec();
        }
        return;
    }
    if (!playTimer_->isActive()) {
        playTimer_->start();
    }
    if (progress.heard) {
        text1_->setHeard(TextBoxEdit::Mark{static_cast<int>(progress.heard->begin),
                                           static_cast<int>(progress.heard->end), QString()});
    } else {
        text1_->setHeard(std::nullopt);
    }
}

void Form1::textMoved() {
    // The poll runs while a melody plays.
    if (playTimer_->isActive()) {
        stopPlaying();
    }
    checkTimer_->start();
}

void Form1::soundClickedNote(int code) {
    if (soundOnClickAction_->isChecked()) {
        preview_->soundNote(static_cast<MusicCode>(code));
    }
}

void Form1::checkMelody() {
    checkTimer_->stop();
    const Melody melody = readMelody(text1_->documentText());
    std::vector<TextBoxEdit::Mark> marks;
    marks.reserve(melody.findings.size());
    for (const Finding& finding : melody.findings) {
        const std::u16string_view message = findingMessage(finding.kind);
        marks.push_back(
            {static_cast<int>(finding.begin), static_cast<int>(finding.end),
             QString::fromUtf16(message.data(), static_cast<qsizetype>(message.size()))});
    }
    text1_->setFindings(marks);
}

void Form1::showEvent(QShowEvent* event) {
    // Load: once, before the window first shows.
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
        // The start-up text is where the user begins; undo does not go behind it.
        editor_->StartHistory();
        checkMelody();
    }
    QWidget::showEvent(event);
}

void Form1::Form_Load() {
    editor_->ResetMusicText();
}

void Form1::Text1_Change() {
    editor_->Text1_Change();
}

void Form1::Timer1_Timer() {
    label6Caption_->setCaption(clock_.text());
}

void Form1::Command511_Click() {
    editor_->ExtendLastCode();
}

void Form1::Command512_Click() {
    editor_->AppendCodeItem(kRestItem);
    // A rest sounds as silence: it cuts off the note before.
    soundClickedNote(0xf8);
}

void Form1::Command514_Click() {
    editor_->AppendLineBreak();
}

void Form1::Command515_Click() {
    editor_->AppendTerminator();
}

void Form1::Command516_Click() {
    editor_->Clear();
}

void Form1::Command517_Click() {
    showAboutBox(this);
}

} // namespace quillon
