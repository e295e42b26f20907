// The floor of a click that appends, for click-pace.sh: a bare QPlainTextEdit at Text1's place
// and a plain button at Command323's, in a window of the composer's size and caption. Each click
// inserts "0x82," at the end, a line break after every 16th, and shows the end; nothing else.
//   bare-click-window CODES      the text starts with CODES items
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const long codes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLong() : 0;
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(555, 509);
    QPlainTextEdit edit(&window);
    edit.setGeometry(8, 24, 305, 433);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QString text = QStringLiteral("const unsigned char music_item[] = {\n");
    for (long i = 1; i <= codes; ++i) {
        text += i % 16 == 0 ? QStringLiteral("0x82,\n") : QStringLiteral("0x82,");
    }
    QTextCursor(edit.document()).insertText(text);
    QPushButton button(&window);
    button.setGeometry(400, 288, 17, 25);
    long items = codes;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        QTextCursor cursor = edit.textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(++items % 16 == 0 ? QStringLiteral("0x82,\n") : QStringLiteral("0x82,"));
        edit.setTextCursor(cursor);
        edit.ensureCursorVisible();
    });
    window.show();
    return QApplication::exec();
}
