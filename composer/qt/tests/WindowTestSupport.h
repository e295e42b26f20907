#pragma once

#include "Form1.h"
#include "TextBoxEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QTextCharFormat>
#include <QTextDocument>

#include <memory>
#include <string>
#include <string_view>

namespace quillon::test {

inline const QString kHeaderLine = QStringLiteral("const unsigned char music_item[] = {\r\n");

// A composer window as the program opens it: created, loaded, shown and active. Without a sink
// it has no sound output.
inline std::unique_ptr<Form1> openWindow(LocalClock clock = LocalClock(),
                                         std::unique_ptr<SoundSink> sink = nullptr) {
    auto form = std::make_unique<Form1>(std::move(clock), std::move(sink));
    form->show();
    QApplication::setActiveWindow(form.get());
    if (!QTest::qWaitForWindowActive(form.get())) {
        qWarning("the window did not become active");
    }
    return form;
}

template <typename T> T* control(const QWidget& form, const QString& name) {
    T* found = form.findChild<T*>(name);
    if (found == nullptr) {
        qWarning("no control %s", qPrintable(name));
    }
    return found;
}

inline TextBoxEdit* text1(const QWidget& form) {
    return control<TextBoxEdit>(form, QStringLiteral("Text1"));
}

// Text1's text as the box shows it, every line break CR LF; a marker that no expected text
// holds when the session's text differs from what the box shows.
inline QString text1Text(const QWidget& form) {
    QString shown = text1(form)->document()->toRawText();
    // Block breaks, and the line separators Shift+Enter types, each as CR LF.
    shown.replace(QChar(0x2029), QStringLiteral("\r\n"));
    shown.replace(QChar(0x2028), QStringLiteral("\r\n"));
    const auto* window = dynamic_cast<const Form1*>(&form);
    if (window != nullptr &&
        QString::fromStdU16String(std::u16string(window->session().text())) != shown) {
        return QStringLiteral("<the session holds another text than the box shows>");
    }
    return shown;
}

// The user replaces the whole text of the box by `text` (CR LF breaks), as a paste over all.
inline void pasteOver(TextBoxEdit* box, const QString& text) {
    box->selectAll();
    box->insertPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}
inline void pasteOver(TextBoxEdit* box, std::u16string_view text) {
    pasteOver(box, QString::fromStdU16String(std::u16string(text)));
}

inline QString label3Text(const QWidget& form) {
    return control<QLabel>(form, QStringLiteral("Label3"))->text();
}

// A click as the platform delivers it: to the window, at the button's centre, so that a modal
// box in front of the window blocks it.
inline void click(QWidget* button) {
    QWidget* window = button->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      button->mapTo(window, button->rect().center()));
}

inline void click(const QWidget& form, const QString& buttonName) {
    click(control<QPushButton>(form, buttonName));
}

// What an input method sends while the user composes: the text so far, not yet in the document.
inline void preedit(QWidget* box, const QString& composing) {
    const QList<QInputMethodEvent::Attribute> attributes{
        {QInputMethodEvent::Cursor, static_cast<int>(composing.size()), 1, QVariant()},
        {QInputMethodEvent::TextFormat, 0, static_cast<int>(composing.size()),
         QVariant(QTextCharFormat())}};
    QInputMethodEvent event(composing, attributes);
    QApplication::sendEvent(box, &event);
}

// And what it sends when the user picks the characters.
inline void commit(QWidget* box, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(box, &event);
}

// Opens Text1's context menu as a right click does; the menu, or null.
inline QMenu* openContextMenu(TextBoxEdit* box) {
    QMenu* opened = nullptr;
    const auto connection = QObject::connect(box, &TextBoxEdit::contextMenuOpening,
                                             [&](QMenu* menu) { opened = menu; });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            box->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(box->viewport(), &event);
    QObject::disconnect(connection);
    return opened;
}

} // namespace quillon::test
