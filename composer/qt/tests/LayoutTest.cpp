// Geometry, names, colours and fonts of every control of the composer window.
#include "WindowTestSupport.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

#include <array>
#include <cstdlib>
#include <map>
#include <set>

using namespace quillon;
using namespace quillon::test;

namespace {

// Pixel positions of the note grid as designed (twips / 15).
constexpr std::array<std::array<int, 3>, 4> kRowTops{
    {{32, 64, 96}, {144, 176, 208}, {256, 288, 320}, {368, 400, 432}}};
constexpr std::array<int, 7> kDegreeLefts{336, 368, 400, 432, 464, 496, 528};

const std::array<const char*, 4> kGroupHeadings{"超低音", "低音", "中音", "高音"};

// The system colours as widgets of their kind show them.
QColor menuColour() {
    const QMenu menu;
    return menu.palette().color(QPalette::Window);
}

QColor buttonFaceColour() {
    const QPushButton button;
    return button.palette().color(QPalette::Button);
}

QColor defaultTextColour() {
    const QLabel label;
    return label.palette().color(QPalette::WindowText);
}

// An auto-size label shows its whole caption.
bool showsWholeCaption(const QLabel& label) {
    return label.width() >= label.fontMetrics().horizontalAdvance(label.text());
}

bool showsChinese(const QFont& font) {
    const QString family = QFontInfo(font).family();
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese);
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init() { form_ = openWindow(); }
    void cleanup() { form_.reset(); }

    void windowHasCaptionFixedBorderAndIcon() {
        QCOMPARE(form_->objectName(), QStringLiteral("Form1"));
        QCOMPARE(form_->windowTitle(), QStringLiteral("Quillon"));
        QCOMPARE(form_->size(), QSize(555, 509));
        QCOMPARE(form_->minimumSize(), QSize(555, 509));
        QCOMPARE(form_->maximumSize(), QSize(555, 509));
        const Qt::WindowFlags flags = form_->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!form_->windowIcon().isNull());
        QCOMPARE(form_->windowIcon().availableSizes().value(0), QSize(64, 64));
        QCOMPARE(form_->palette().color(QPalette::Window), buttonFaceColour());
    }

    void noteGridStandsWhereDesigned() {
        int found = 0;
        for (int g = 1; g <= 4; ++g) {
            for (int r = 1; r <= 3; ++r) {
                for (int c = 1; c <= 7; ++c) {
                    const QString name = QStringLiteral("Command%1%2%3").arg(g).arg(r).arg(c);
                    auto* button = control<QPushButton>(*form_, name);
                    QVERIFY2(button != nullptr, qPrintable(name));
                    const QRect expected(
                        kDegreeLefts[static_cast<std::size_t>(c - 1)],
                        kRowTops[static_cast<std::size_t>(g - 1)][static_cast<std::size_t>(r - 1)],
                        17, 25);
                    QCOMPARE(button->geometry(), expected);
                    QVERIFY(button->text().isEmpty());
                    QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
                    QCOMPARE(button->palette().color(QPalette::Button), buttonFaceColour());
                    ++found;
                }
            }
        }
        QCOMPARE(found, 84);
        // 84 notes and six in the bottom row, nothing else.
        QCOMPARE(form_->findChildren<QPushButton*>().size(), 90);
    }

    void pictureButtonsSayWhatTheyEnter() {
        QCOMPARE(control<QPushButton>(*form_, "Command323")->accessibleName(),
                 QStringLiteral("中音 3, 200ms"));
        QCOMPARE(control<QPushButton>(*form_, "Command111")->accessibleName(),
                 QStringLiteral("超低音 1, 400ms"));
        QCOMPARE(control<QPushButton>(*form_, "Command437")->accessibleName(),
                 QStringLiteral("高音 7, 100ms"));
        QCOMPARE(control<QPushButton>(*form_, "Command511")->accessibleName(),
                 QStringLiteral("延长"));
        QCOMPARE(control<QPushButton>(*form_, "Command512")->accessibleName(),
                 QStringLiteral("休止符"));
        QCOMPARE(control<QPushButton>(*form_, "Command514")->accessibleName(),
                 QStringLiteral("换行"));

        // Every picture button has a name of its own, and no button reacts to hovering.
        std::set<QString> names;
        for (QPushButton* button : form_->findChildren<QPushButton*>()) {
            QVERIFY(button->toolTip().isEmpty());
            if (button->text().isEmpty()) {
                QVERIFY(!button->accessibleName().isEmpty());
                names.insert(button->accessibleName());
                const int g = button->objectName().mid(7, 1).toInt();
                if (g >= 1 && g <= 4) {
                    QVERIFY(button->accessibleName().startsWith(
                        QString::fromUtf8(kGroupHeadings[static_cast<std::size_t>(g - 1)]) + ' '));
                }
            }
        }
        QCOMPARE(names.size(), std::size_t{87});
    }

    void bottomRowButtons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("caption");
        QTest::newRow("extend") << "Command511" << 336 << 17 << "";
        QTest::newRow("rest") << "Command512" << 360 << 17 << "";
        QTest::newRow("line break") << "Command514" << 384 << 17 << "";
        QTest::newRow("End") << "Command515" << 408 << 41 << "End";
        QTest::newRow("Clear") << "Command516" << 456 << 41 << "Clear";
        QTest::newRow("About") << "Command517" << 504 << 41 << "About";
    }
    void bottomRowButtons() {
        QFETCH(QString, name);
        QFETCH(int, left);
        QFETCH(int, width);
        QFETCH(QString, caption);
        auto* button = control<QPushButton>(*form_, name);
        QVERIFY(button != nullptr);
        QCOMPARE(button->geometry(), QRect(left, 480, width, 25));
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
        if (caption.isEmpty()) {
            return;
        }
        QCOMPARE(button->palette().color(QPalette::Button), menuColour());
        const QFont font = button->font();
        QCOMPARE(font.families().value(0), QStringLiteral("宋体"));
        QCOMPARE(font.pointSize(), 9);
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic());
        QVERIFY(!font.underline());
        QVERIFY(!font.strikeOut());
        QVERIFY2(showsChinese(font), qPrintable(QFontInfo(font).family()));
    }

    // Sizes as designed, in pixels. An auto-size label takes the size of its caption in the
    // font at hand, so it may differ from the design by a few pixels, but never cuts its
    // caption; the count and the clock change their caption at run time.
    void labelsCaptionsPlacesAndColours_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<QSize>("designedSize");
        QTest::addColumn<QString>("sizing");    // "fixed", "auto" or "run time"
        QTest::addColumn<QColor>("foreColour"); // invalid: default
        const QColor standard;
        const QColor grey(128, 128, 128);
        const QColor darkBlue(0, 0, 192);
        QTest::newRow("Label4(0)")
            << "Label4" << 0 << "超低音" << QPoint(336, 16) << QSize(36, 12) << "auto" << standard;
        QTest::newRow("Label4(1)")
            << "Label4" << 1 << "低音" << QPoint(336, 128) << QSize(24, 12) << "auto" << standard;
        QTest::newRow("Label4(2)")
            << "Label4" << 2 << "中音" << QPoint(336, 240) << QSize(24, 12) << "auto" << standard;
        QTest::newRow("Label4(3)")
            << "Label4" << 3 << "高音" << QPoint(336, 352) << QSize(24, 12) << "auto" << standard;
        QTest::newRow("Label4(4)")
            << "Label4" << 4 << "其他" << QPoint(336, 464) << QSize(24, 12) << "auto" << standard;
        QTest::newRow("Label4(5)")
            << "Label4" << 5 << "AVR代码" << QPoint(8, 8) << QSize(42, 12) << "auto" << standard;
        QTest::newRow("Label1") << "Label1" << -1 << "代码字节大小：" << QPoint(8, 480)
                                << QSize(84, 12) << "auto" << standard;
        QTest::newRow("Label3") << "Label3" << -1 << " 0" << QPoint(96, 480) << QSize(6, 12)
                                << "run time" << grey;
        QTest::newRow("Label5") << "Label5" << -1 << "bytes" << QPoint(128, 480) << QSize(30, 12)
                                << "auto" << standard;
        QTest::newRow("Label7") << "Label7" << -1 << "Clock:" << QPoint(216, 480) << QSize(33, 17)
                                << "fixed" << darkBlue;
        QTest::newRow("Label6") << "Label6" << -1 << "" << QPoint(256, 480) << QSize(6, 12)
                                << "run time" << darkBlue;
    }
    void labelsCaptionsPlacesAndColours() {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(QPoint, topLeft);
        QFETCH(QSize, designedSize);
        QFETCH(QString, sizing);
        QFETCH(QColor, foreColour);

        QLabel* label = nullptr;
        for (QLabel* candidate : form_->findChildren<QLabel*>(name)) {
            if (index < 0 || candidate->property("index").toInt() == index) {
                label = candidate;
            }
        }
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->pos(), topLeft);
        if (sizing == QLatin1String("fixed")) {
            QCOMPARE(label->size(), designedSize);
        } else {
            QVERIFY(showsWholeCaption(*label));
        }
        if (sizing == QLatin1String("auto")) {
            QVERIFY2(std::abs(label->width() - designedSize.width()) <= 3,
                     qPrintable(QString::number(label->width())));
            QVERIFY2(std::abs(label->height() - designedSize.height()) <= 3,
                     qPrintable(QString::number(label->height())));
        }
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 foreColour.isValid() ? foreColour : defaultTextColour());
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        if (!caption.isEmpty()) {
            QVERIFY2(showsChinese(label->font()), qPrintable(QFontInfo(label->font()).family()));
        }
    }

    // Fault: from five digits on, the count ran under "bytes" and was cut.
    void theCountNeverRunsUnderBytes() {
        auto* label3 = control<QLabel>(*form_, "Label3");
        auto* label5 = control<QLabel>(*form_, "Label5");
        const int blank = label3->fontMetrics().horizontalAdvance(QLatin1Char(' '));
        TextBoxEdit* box = text1(*form_);
        int widest = 0;
        // Every edit of the text is one change; go on until the count stops.
        QString last;
        bool odd = false;
        while (label3->text() != last) {
            last = label3->text();
            for (int i = 0; i < 17; ++i) {
                pasteOver(box, (odd = !odd) ? u"x," : u"y,");
            }
            QVERIFY(showsWholeCaption(*label3));
            const int room = label5->x() - (label3->x() + label3->width());
            QVERIFY2(room >= blank, qPrintable(label3->text()));
            // "bytes" stays where it was designed while the count fits in front of it.
            QCOMPARE(label5->x(), std::max(128, label3->x() + label3->width() + blank));
            QCOMPARE(label5->y(), 480);
            widest = std::max(widest, label3->width());
        }
        QVERIFY(label3->text().size() == 6); // a blank and five digits
        QVERIFY(label5->x() > 128);
        click(*form_, "Command516");
        QCOMPARE(label5->pos(), QPoint(128, 480));
    }

    void linesRunAcrossTheGrid() {
        const std::array<std::pair<const char*, int>, 5> lines{
            {{"Line5", 16}, {"Line1", 128}, {"Line2", 240}, {"Line3", 352}, {"Line4", 464}}};
        for (const auto& [name, top] : lines) {
            auto* line = control<QFrame>(*form_, QString::fromLatin1(name));
            QVERIFY(line != nullptr);
            QCOMPARE(line->geometry(), QRect(320, top, 232, 1));
            QCOMPARE(line->frameShape(), QFrame::HLine);
            QCOMPARE(line->frameShadow(), QFrame::Plain);
            QCOMPARE(line->foregroundRole(), QPalette::WindowText);
        }
    }

    void text1IsAMultiLineBoxWithBothScrollBars() {
        TextBoxEdit* box = text1(*form_);
        QVERIFY(box != nullptr);
        QCOMPARE(box->geometry(), QRect(8, 24, 305, 433));
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(box->horizontalScrollBar()->isVisible());
        QVERIFY(box->verticalScrollBar()->isVisible());
        QVERIFY(!box->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), box);
    }

    void timer1TicksEverySecondFromCreation() {
        Form1 fresh;
        auto* timer = control<QTimer>(fresh, "Timer1");
        QVERIFY(timer != nullptr);
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(timer->isActive());
        QVERIFY(!timer->isSingleShot());
    }

    void nothingMovesOrResizesButTheLabelsItNames() {
        // Clicks, typing and a clock tick: only Label3 and Label6 may change their size.
        std::map<QWidget*, QRect> before;
        for (QWidget* child : form_->findChildren<QWidget*>()) {
            before[child] = child->geometry();
        }
        for (int i = 0; i < 120; ++i) {
            click(*form_, QStringLiteral("Command417"));
        }
        form_->Timer1_Timer();
        for (const auto& [child, rect] : before) {
            const QString name = child->objectName();
            if (name == QLatin1String("Label3") || name == QLatin1String("Label6")) {
                QCOMPARE(child->pos(), rect.topLeft());
                QVERIFY(showsWholeCaption(*qobject_cast<QLabel*>(child)));
            } else {
                QVERIFY2(child->geometry() == rect, qPrintable(name));
            }
        }
        QVERIFY(control<QLabel>(*form_, "Label3")->width() >
                before[control<QLabel>(*form_, "Label3")].width());
        QCOMPARE(form_->size(), QSize(555, 509));
    }

private:
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
