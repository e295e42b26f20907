// A long seeded session of everything a user does, driven through the real widgets, checked
// after every step against a model of the text, the count and the undo history written from
// the rules alone:
// - every click that writes is one change and one undo step, its automatic break included;
// - typing, pasting and input method commits are changes of their own; a single character
//   joins the step of the single characters before it when it goes on where they ended;
// - a break that a user's edit triggers is an undo step of its own; a break that falls due
//   while the text ends inside a literal waits for the first change that ends outside one;
// - undo and redo restore text, count and caption together and are never changes.
#include "WindowTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <random>
#include <string>
#include <vector>

using namespace quillon;
using namespace quillon::test;

namespace {

const QString kHeader = QStringLiteral("const unsigned char music_item[] = {");
const QString kBreak = QStringLiteral("\r\n");

enum class StepKind { Program, UserInsert };

struct Point {
    QString text;
    int changes = 0;
    int breaks = 0;
    bool showsCount = false;
    StepKind kind = StepKind::Program;
    int insertEnd = -1;     // document position where the step's last insertion ended
    bool mergeable = false; // a keystroke can join it
    bool breakWaits = false;
};

class Model {
public:
    Model() {
        current_.text = kHeader + kBreak;
        current_.changes = 1;
        current_.showsCount = true;
        history_.push_back(current_);
    }

    const QString& text() const { return current_.text; }
    QString caption() const {
        return current_.showsCount
                   ? QStringLiteral(" %1").arg(current_.changes - 1 - current_.breaks)
                   : QStringLiteral("0");
    }
    bool redoAvailable() const { return position_ + 1 < history_.size(); }

    // A line break is two characters here and one position in the document.
    int documentLength() const { return static_cast<int>(text().size() - text().count('\r')); }
    int indexOf(int position) const {
        int index = 0;
        for (int p = 0; p < position; ++p) {
            index += text().at(index) == '\r' ? 2 : 1;
        }
        return index;
    }

    void programWrite(const QString& newText) {
        current_.text = newText;
        count();
        pushStep(StepKind::Program, -1, false);
        breakIfDue(false, -1);
    }

    void clear() {
        current_.changes = 0;
        current_.breaks = 0;
        current_.breakWaits = false;
        current_.text = kHeader + kBreak;
        count();
        current_.showsCount = false;
        pushStep(StepKind::Program, -1, false);
    }

    // One typed character, a paste or a commit at `caret`; returns the caret afterwards.
    int userInsert(int caret, const QString& inserted) {
        const QString crLf = QString(inserted).replace('\n', kBreak);
        current_.text.insert(indexOf(caret), crLf);
        count();
        const int end = caret + static_cast<int>(inserted.size());
        const Point& top = history_[position_];
        const bool keystroke = inserted.size() == 1 && inserted != QStringLiteral("\n");
        if (keystroke && top.kind == StepKind::UserInsert && top.mergeable &&
            top.insertEnd == caret) {
            // A new edit cuts the redo branch, merged or not.
            history_.resize(position_ + 1);
            history_[position_] = current_;
            history_[position_].kind = StepKind::UserInsert;
            history_[position_].insertEnd = end;
            history_[position_].mergeable = true;
        } else {
            pushStep(StepKind::UserInsert, end, keystroke);
        }
        return breakIfDue(true, end);
    }

    // A walked step is never joined by the next keystroke.
    void undo() {
        if (position_ > 0) {
            current_ = history_[--position_];
            history_[position_].mergeable = false;
        }
    }
    void redo() {
        if (redoAvailable()) {
            current_ = history_[++position_];
            history_[position_].mergeable = false;
        }
    }

private:
    void count() {
        if (current_.changes < 32767) {
            ++current_.changes;
        }
        current_.showsCount = true;
    }

    void pushStep(StepKind kind, int insertEnd, bool mergeable) {
        history_.resize(position_ + 1);
        Point point = current_;
        point.kind = kind;
        point.insertEnd = insertEnd;
        point.mergeable = mergeable;
        history_.push_back(point);
        ++position_;
    }

    // The automatic break; after a user's edit it is a step of its own, after a click it
    // belongs to the click's step. Returns where a caret at `caret` stands afterwards.
    int breakIfDue(bool ownStep, int caret) {
        const bool due = current_.changes % 17 == 0 && current_.changes < 32767;
        if (!due && !current_.breakWaits) {
            return caret;
        }
        const QChar last = current_.text.isEmpty() ? QChar(',') : current_.text.back();
        if (!QStringLiteral(",{};\r\n").contains(last)) {
            current_.breakWaits = true;
            history_[position_].breakWaits = true;
            return caret;
        }
        current_.breakWaits = false;
        const int endBefore = documentLength();
        ++current_.breaks;
        current_.text += kBreak;
        count();
        if (ownStep) {
            pushStep(StepKind::Program, -1, false);
        } else {
            history_[position_] = current_;
        }
        return caret == endBefore ? caret + 1 : caret;
    }

    Point current_;
    std::vector<Point> history_;
    std::size_t position_ = 0;
};

// What the extend command leaves, from the rules: the code item ("0x", two digits, ",", as a
// token of its own) in front of any trailing line breaks goes up by one, in uppercase, the first
// digit kept below 16; nothing else is raised.
QString extended(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n')) {
        --end;
    }
    if (end < 5 || text[end - 1] != ',' || text[end - 5] != '0' ||
        (text[end - 4] != 'x' && text[end - 4] != 'X')) {
        return text;
    }
    if (end > 5 && (text[end - 6].isLetterOrNumber() || text[end - 6] == '_' ||
                    text[end - 6] == '.' || text[end - 6].unicode() >= 0x80)) {
        return text;
    }
    const QString pair = text.mid(end - 3, 2);
    const auto isHex = [](QChar ch) {
        return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
    };
    if (!isHex(pair[0]) || !isHex(pair[1])) {
        return text;
    }
    const int value = pair.toInt(nullptr, 16) + 1;
    if (value > 255) {
        return text;
    }
    const QString digits = QString::number(value, 16).toUpper();
    const qsizetype keep = value > 15 ? end - 3 : end - 2;
    return text.left(keep) + digits + ',' + text.mid(end);
}

// The text round the first place where it differs from `other`, line breaks made visible.
QString around(const QString& text, const QString& other) {
    qsizetype at = 0;
    while (at < text.size() && at < other.size() && text[at] == other[at]) {
        ++at;
    }
    return QStringLiteral("@%1 ").arg(at) +
           text.mid(std::max<qsizetype>(0, at - 30), 60).replace('\r', "\\r").replace('\n', "\\n");
}

} // namespace

class RandomSessionTest : public QObject {
    Q_OBJECT

private slots:
    void aLongSessionMatchesTheModel() {
        const auto form = openWindow();
        TextBoxEdit* box = text1(*form);
        Model model;
        std::mt19937 rng(20261207);
        auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        const QString typable = QStringLiteral("0123456789abcdefx, ");
        const QStringList pastes{QStringLiteral("0x12,"), QStringLiteral("ab"),
                                 QStringLiteral("0x7b,\n0x83,"), QStringLiteral("/* 注释 */"),
                                 QStringLiteral("x\n")};
        const QStringList commits{QStringLiteral("你好"), QStringLiteral("音"),
                                  QStringLiteral("，")};
        int undos = 0;
        int redos = 0;

        for (int step = 0; step < 6000; ++step) {
            const int op = pick(100);
            QString what;
            auto placeCaret = [&] {
                // Often at the end, where a user goes on after a click.
                const int caret =
                    pick(3) == 0 ? model.documentLength() : pick(model.documentLength() + 1);
                QTextCursor cursor = box->textCursor();
                cursor.setPosition(caret);
                box->setTextCursor(cursor);
                box->setFocus();
                return caret;
            };
            if (op < 30) {
                const int g = pick(4) + 1;
                const int r = pick(3) + 1;
                const int c = pick(7) + 1;
                const int code = ((g - 1) * 7 + (c - 1)) * 8 + (4 - r);
                what = QStringLiteral("Command%1%2%3").arg(g).arg(r).arg(c);
                click(*form, what);
                model.programWrite(model.text() +
                                   QStringLiteral("0x%1,").arg(code, 2, 16, QChar('0')));
            } else if (op < 35) {
                what = QStringLiteral("rest");
                click(*form, QStringLiteral("Command512"));
                model.programWrite(model.text() + QStringLiteral("0xf8,"));
            } else if (op < 43) {
                what = QStringLiteral("extend");
                click(*form, QStringLiteral("Command511"));
                const QString raised = extended(model.text());
                if (raised != model.text()) {
                    model.programWrite(raised);
                }
            } else if (op < 47) {
                what = QStringLiteral("line break");
                click(*form, QStringLiteral("Command514"));
                model.programWrite(model.text() + kBreak);
            } else if (op < 50) {
                what = QStringLiteral("End");
                click(*form, QStringLiteral("Command515"));
                model.programWrite(model.text() + QStringLiteral("0x00};") + kBreak);
            } else if (op < 52) {
                what = QStringLiteral("Clear");
                click(*form, QStringLiteral("Command516"));
                model.clear();
            } else if (op < 67) {
                int caret = placeCaret();
                const int length = pick(3) + 1;
                for (int i = 0; i < length; ++i) {
                    const QString ch = typable.mid(pick(static_cast<int>(typable.size())), 1);
                    what += ch;
                    QTest::keyClicks(box, ch);
                    caret = model.userInsert(caret, ch);
                }
                what = QStringLiteral("type '%1'").arg(what);
            } else if (op < 73) {
                const int caret = placeCaret();
                const QString text = pastes[pick(static_cast<int>(pastes.size()))];
                QGuiApplication::clipboard()->setText(text);
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
                model.userInsert(caret, text);
                what = QStringLiteral("paste");
            } else if (op < 78) {
                const int caret = placeCaret();
                const QString text = commits[pick(static_cast<int>(commits.size()))];
                preedit(box, QStringLiteral("ni"));
                commit(box, text);
                model.userInsert(caret, text);
                what = QStringLiteral("commit");
            } else if (op < 82) {
                placeCaret();
                preedit(box, QStringLiteral("zh"));
                preedit(box, QStringLiteral("zhon"));
                preedit(box, QString());
                what = QStringLiteral("preedit");
            } else if (op < 92) {
                box->setFocus();
                QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
                model.undo();
                ++undos;
                what = QStringLiteral("undo");
            } else {
                box->setFocus();
                // Both redo keys of the platform.
                if (pick(2) == 0) {
                    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
                } else {
                    QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
                }
                model.redo();
                ++redos;
                what = QStringLiteral("redo");
            }

            const QString where = QStringLiteral("step %1: %2").arg(step).arg(what);
            QVERIFY2(text1Text(*form) == model.text(),
                     qPrintable(where + "\n  box:   " + around(text1Text(*form), model.text()) +
                                "\n  model: " + around(model.text(), text1Text(*form))));
            QVERIFY2(label3Text(*form) == model.caption(),
                     qPrintable(where + ": " + label3Text(*form) + " / " + model.caption()));
            QVERIFY2(form->session().canRedo() == model.redoAvailable(), qPrintable(where));
            if (step % 97 == 0) {
                // The document itself holds what the box reports.
                QVERIFY2(box->toPlainText() == QString(model.text()).replace(kBreak, "\n"),
                         qPrintable(where));
            }
        }
        QVERIFY(undos > 400);
        QVERIFY(redos > 300);
    }
};

QTEST_MAIN(RandomSessionTest)
#include "RandomSessionTest.moc"
