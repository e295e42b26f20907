#include "Form1.h"
#include "PortAudioSink.h"
#include "QtTranslations.h"
#include "SoundEnvironment.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    // Before any thread starts: Qt's, and the sound output's.
    quillon::prepareSoundEnvironment();
    QApplication app(argc, argv);
    quillon::installQtTranslations(QLocale::system());

    auto sink = std::make_unique<quillon::PortAudioSink>();
    // Connecting takes a moment, on the sink's own thread; without a server it fails quietly,
    // and F5 says so.
    sink->connect();
    quillon::Form1 form(quillon::LocalClock(), std::move(sink));
    form.show();

    // Closing the window ends the event loop, and the program with status 0.
    return QApplication::exec();
}
