// Checks the packed picture faces and window icon pixel by pixel: what a face must show is fixed
// by rows and columns, so these tests read the images exactly as the buttons will get them.

#include "PictureFaces.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

constexpr int kWidth = 15;
constexpr int kHeight = 23;
constexpr QRgb kBackground = 0xfff8f8f8; // RGB (248, 248, 248)

// Underlines run across columns 1 to 13, on row 19 and, for the second one, on row 21.
constexpr int kUnderlineLeft = 1;
constexpr int kUnderlineRight = 13;
constexpr int kFirstUnderline = 19;
constexpr int kSecondUnderline = 21;

bool isNeutral(QRgb c) {
    return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
}
bool isGlyph(QRgb c) {
    return isNeutral(c) && qRed(c) <= 32 && qAlpha(c) == 255;
}
bool isBackground(QRgb c) {
    return c == kBackground;
}

QString faceName(int group, int row, int degree) {
    return QStringLiteral("Command%1%2%3").arg(group).arg(row).arg(degree);
}

QString facePath(const QString& name) {
    return QStringLiteral(":/faces/%1.png").arg(name);
}

QImage loadFace(const QString& name) {
    return QImage(facePath(name)).convertToFormat(QImage::Format_ARGB32);
}

QStringList allFaceNames() {
    QStringList names;
    for (int g = 1; g <= 4; ++g)
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 7; ++c)
                names << faceName(g, r, c);
    names << QStringLiteral("Command511") << QStringLiteral("Command512")
          << QStringLiteral("Command514");
    return names;
}

// Rows [top, bottom] and columns [left, right] holding anything but background, within a band
// of rows; nullopt when the band is empty.
struct Box {
    int top, bottom, left, right;
};

std::optional<Box> inkBox(const QImage& img, int firstRow, int lastRow) {
    std::optional<Box> box;
    for (int y = firstRow; y <= lastRow; ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (isBackground(img.pixel(x, y)))
                continue;
            if (!box)
                box = Box{y, y, x, x};
            box->top = std::min(box->top, y);
            box->bottom = std::max(box->bottom, y);
            box->left = std::min(box->left, x);
            box->right = std::max(box->right, x);
        }
    return box;
}

bool rowIsBackground(const QImage& img, int y) {
    return !inkBox(img, y, y);
}

// A full underline: glyph colour on every column from 1 to 13.
bool hasUnderline(const QImage& img, int y) {
    for (int x = kUnderlineLeft; x <= kUnderlineRight; ++x)
        if (!isGlyph(img.pixel(x, y)))
            return false;
    return true;
}

// Where a note face puts its digit and its dot.
struct NoteLayout {
    int digitTop, digitBottom;
    int dotTop; // -1: no dot
};

NoteLayout layoutOf(int group, int row) {
    switch (group) {
    case 1:
    case 2:
        return row == 1 ? NoteLayout{4, 16, 18} : NoteLayout{1, 13, 16};
    case 3:
        return NoteLayout{4, 16, -1};
    default:
        return NoteLayout{4, 16, row == 1 ? 0 : 1};
    }
}

void addNoteRows() {
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("degree");
    for (int g = 1; g <= 4; ++g)
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 7; ++c)
                QTest::newRow(qPrintable(faceName(g, r, c))) << g << r << c;
}

} // namespace

class PictureFacesTest : public QObject {
    Q_OBJECT

private slots:
    void eachFaceIsFifteenByTwentyThreeInFourColours_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : allFaceNames())
            QTest::newRow(qPrintable(name)) << name;
    }

    void eachFaceIsFifteenByTwentyThreeInFourColours() {
        QFETCH(QString, name);
        QCOMPARE(quillon::pictureFacePath(name), facePath(name));
        QVERIFY2(QFile::exists(facePath(name)), "face not packed into the program");
        const QImage img = loadFace(name);
        QCOMPARE(img.size(), QSize(kWidth, kHeight));

        QSet<QRgb> colours;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                colours.insert(img.pixel(x, y));
        QCOMPARE(colours.size(), 4);
        QVERIFY(colours.contains(kBackground));
        int glyphs = 0;
        int greys = 0;
        for (QRgb c : colours) {
            if (isGlyph(c))
                ++glyphs;
            else if (!isBackground(c) && isNeutral(c) && qRed(c) > 32 && qRed(c) < 248)
                ++greys;
        }
        QCOMPARE(glyphs, 1);
        QCOMPARE(greys, 2);

        // Nothing touches the left or right edge: even the underlines leave columns 0 and 14.
        for (int y = 0; y < kHeight; ++y) {
            QVERIFY(isBackground(img.pixel(0, y)));
            QVERIFY(isBackground(img.pixel(kWidth - 1, y)));
        }
    }

    void allFacesShareOnePalette() {
        QSet<QRgb> first;
        for (const QString& name : allFaceNames()) {
            const QImage img = loadFace(name);
            QSet<QRgb> colours;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    colours.insert(img.pixel(x, y));
            if (first.isEmpty())
                first = colours;
            QVERIFY2(colours == first, qPrintable(name));
        }
    }

    void underlinesFollowTheRow_data() { addNoteRows(); }

    void underlinesFollowTheRow() {
        QFETCH(int, group);
        QFETCH(int, row);
        QFETCH(int, degree);
        const QImage img = loadFace(faceName(group, row, degree));
        QCOMPARE(hasUnderline(img, kFirstUnderline), row >= 2);
        QCOMPARE(hasUnderline(img, kSecondUnderline), row == 3);
        // The underline is one pixel thick and nothing else is a full line.
        for (int y = 0; y < kHeight; ++y)
            if (y != kFirstUnderline && y != kSecondUnderline)
                QVERIFY2(!hasUnderline(img, y), qPrintable(QString::number(y)));
        if (row >= 2)
            QVERIFY(rowIsBackground(img, 20));
        QVERIFY(rowIsBackground(img, 22));
        if (row == 2)
            QVERIFY(rowIsBackground(img, kSecondUnderline));
    }

    void octaveDotSitsWhereTheGroupPutsIt_data() { addNoteRows(); }

    void octaveDotSitsWhereTheGroupPutsIt() {
        QFETCH(int, group);
        QFETCH(int, row);
        QFETCH(int, degree);
        const QImage img = loadFace(faceName(group, row, degree));
        const NoteLayout layout = layoutOf(group, row);
        if (layout.dotTop < 0) {
            // No dot: nothing above the digit, nothing between the digit and the underlines.
            QVERIFY(!inkBox(img, 0, layout.digitTop - 1));
            QVERIFY(!inkBox(img, layout.digitBottom + 1, kFirstUnderline - 1));
            return;
        }
        const auto dot = inkBox(img, layout.dotTop, layout.dotTop + 2);
        QVERIFY(dot);
        QCOMPARE(dot->top, layout.dotTop);
        QCOMPARE(dot->bottom, layout.dotTop + 2);
        QCOMPARE(dot->left, 6);
        QCOMPARE(dot->right, 8);
        for (int y = layout.dotTop; y <= layout.dotTop + 2; ++y)
            QVERIFY(isGlyph(img.pixel(7, y)));

        if (group == 4) {
            QVERIFY(!inkBox(img, layout.digitBottom + 1, kFirstUnderline - 1));
            if (layout.dotTop > 0)
                QVERIFY(!inkBox(img, 0, layout.dotTop - 1));
        } else {
            // One dot below and no second one: the rows around it are clear.
            QVERIFY(!inkBox(img, 0, layout.digitTop - 1));
            QVERIFY(!inkBox(img, layout.digitBottom + 1, layout.dotTop - 1));
            if (row == 1)
                QVERIFY(!inkBox(img, layout.dotTop + 3, kHeight - 1));
        }
    }

    void digitStandsInItsRowsAndIsCentred_data() { addNoteRows(); }

    void digitStandsInItsRowsAndIsCentred() {
        QFETCH(int, group);
        QFETCH(int, row);
        QFETCH(int, degree);
        const QImage img = loadFace(faceName(group, row, degree));
        const NoteLayout layout = layoutOf(group, row);
        const auto digit = inkBox(img, layout.digitTop, layout.digitBottom);
        QVERIFY(digit);
        // About 13 pixels tall.
        QVERIFY(digit->bottom - digit->top + 1 >= 12);
        QVERIFY(std::abs(digit->left + digit->right - (kWidth - 1)) <= 2);
        if (group == 3 && row == 1)
            QVERIFY(!inkBox(img, 0, 1) && !inkBox(img, 17, kHeight - 1));
    }

    // Every note face draws the same figure for its degree, only moved up or down; faces that
    // got another degree's digit or a stray pixel differ here.
    void sameDegreeShowsTheSameDigit() {
        for (int c = 1; c <= 7; ++c) {
            const QImage reference = loadFace(faceName(3, 1, c)).copy(0, 4, kWidth, 13);
            for (int g = 1; g <= 4; ++g)
                for (int r = 1; r <= 3; ++r) {
                    const NoteLayout layout = layoutOf(g, r);
                    const QImage digit =
                        loadFace(faceName(g, r, c)).copy(0, layout.digitTop, kWidth, 13);
                    QVERIFY2(digit == reference, qPrintable(faceName(g, r, c)));
                }
            for (int other = 1; other < c; ++other)
                QVERIFY(loadFace(faceName(3, 1, other)) != loadFace(faceName(3, 1, c)));
        }
    }

    void groupOneFacesAreGroupTwoFaces() {
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 7; ++c) {
                QFile low(facePath(faceName(1, r, c)));
                QFile high(facePath(faceName(2, r, c)));
                QVERIFY(low.open(QIODevice::ReadOnly) && high.open(QIODevice::ReadOnly));
                QVERIFY2(low.readAll() == high.readAll(), qPrintable(faceName(1, r, c)));
            }
        // Group 2 is not just group 3 with a different file name.
        QVERIFY(loadFace(faceName(2, 1, 1)) != loadFace(faceName(3, 1, 1)));
    }

    void dashIsNinePixelsOnRowTen() {
        const QImage img = loadFace(QStringLiteral("Command511"));
        const auto dashRow = inkBox(img, 10, 10);
        QVERIFY(dashRow);
        QCOMPARE(dashRow->left, 3);
        QCOMPARE(dashRow->right, 11);
        for (int x = 3; x <= 11; ++x)
            QVERIFY(!isBackground(img.pixel(x, 10)));
        QVERIFY(isGlyph(img.pixel(7, 10)));
        // All of its glyph colour is on row 10; at most a soft grey edge lies beside it.
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (y != 10)
                    QVERIFY(!isGlyph(img.pixel(x, y)));
        QVERIFY(!inkBox(img, 0, 8));
        QVERIFY(!inkBox(img, 12, kHeight - 1));
    }

    void restFaceIsAPlainZero() {
        const QImage img = loadFace(QStringLiteral("Command512"));
        const auto digit = inkBox(img, 0, kHeight - 1);
        QVERIFY(digit);
        QVERIFY(digit->top >= 4 && digit->bottom <= 16);
        QVERIFY(digit->bottom - digit->top + 1 >= 12);
        // A ring: open in the middle, closed on both sides, top and bottom.
        QVERIFY(isBackground(img.pixel(7, 10)));
        for (const QPoint p : {QPoint(digit->left, 10), QPoint(digit->right, 10),
                               QPoint(7, digit->top), QPoint(7, digit->bottom)})
            QVERIFY(isGlyph(img.pixel(p)));
        QVERIFY(!hasUnderline(img, kFirstUnderline));
    }

    void returnArrowTurnsLeftAtItsFoot() {
        const QImage img = loadFace(QStringLiteral("Command514"));
        // The longest vertical glyph run, which must stand in the right half.
        int bestColumn = -1, bestLength = 0, bestFoot = -1;
        for (int x = 0; x < kWidth; ++x) {
            int run = 0;
            for (int y = 0; y < kHeight; ++y) {
                run = isGlyph(img.pixel(x, y)) ? run + 1 : 0;
                if (run > bestLength) {
                    bestColumn = x;
                    bestLength = run;
                    bestFoot = y;
                }
            }
        }
        QVERIFY(bestColumn > kWidth / 2);
        QVERIFY(bestLength >= 6);
        // At the foot a stroke runs to the left, into the left quarter.
        int x = bestColumn;
        while (x > 0 && isGlyph(img.pixel(x - 1, bestFoot)))
            --x;
        QVERIFY(x <= 3);
        // The head: some column near the tip spreads over several rows.
        bool head = false;
        for (int hx = x; hx <= x + 5; ++hx) {
            const auto column = inkBox(img.copy(hx, 0, 1, kHeight), 0, kHeight - 1);
            head = head || (column && column->bottom - column->top + 1 >= 5);
        }
        QVERIFY(head);
        QVERIFY(!inkBox(img, 17, kHeight - 1));
    }

    void windowIconIsASixtyFourPixelImage() {
        const QImage icon(QString::fromLatin1(quillon::kWindowIconPath));
        QCOMPARE(icon.size(), QSize(64, 64));
        QVERIFY(icon.colorCount() > 0 && icon.colorCount() <= 256);

        QImageReader reader(QStringLiteral(QUILLON_ICO_FILE));
        QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
        bool has64 = false;
        for (int i = 0; i < reader.imageCount(); ++i) {
            QVERIFY(reader.jumpToImage(i));
            has64 = has64 || reader.read().size() == QSize(64, 64);
        }
        QVERIFY(has64);
    }
};

QTEST_MAIN(PictureFacesTest)
#include "PictureFacesTest.moc"
