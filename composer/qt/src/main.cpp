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

    // The session connects the sound output on the sink's own thread as the window loads;
    // without a server F5 says so, and the next F5 tries again. Melodies are kept in the
    // user's data folder.
    quillon::Form1 form(quillon::LocalClock(), std::make_unique<quillon::PortAudioSink>(),
                        quillon::MelodyKeeping::inUserFolder());
    form.show();

    // Closing the window ends the event loop, and the program with status 0.
    return QApplication::exec();
}
