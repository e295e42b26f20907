#include "Form1.h"
#include "PortAudioSink.h"
#include "QtTranslations.h"

#include <QApplication>
#include <QTimer>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    quillon::installQtTranslations(QLocale::system());

    auto sink = std::make_unique<quillon::PortAudioSink>();
    quillon::PortAudioSink* output = sink.get();
    quillon::Form1 form(quillon::LocalClock(), std::move(sink));
    form.show();
    // Connecting to the sound server takes a moment; do it once the window is up rather than
    // at the first note clicked. Without a server this fails quietly, and F5 says so.
    QTimer::singleShot(100, &form, [output] { output->open(); });

    // Closing the window ends the event loop, and the program with status 0.
    return QApplication::exec();
}
