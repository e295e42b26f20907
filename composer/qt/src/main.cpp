#include "Form1.h"
#include "PortAudioSink.h"
#include "QtTranslations.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    // Before Qt starts threads of its own: the sound libraries read their environment then.
    quillon::prepareSoundEnvironment();
    QApplication app(argc, argv);
    quillon::installQtTranslations(QLocale::system());

    // The session connects the sound output in the background once the window loads; without
    // a server F5 says so, and the next F5 tries again.
    quillon::Form1 form(quillon::LocalClock(), std::make_unique<quillon::PortAudioSink>(),
                        quillon::MelodyKeeping::inUserFolder());
    form.show();

    // Closing the window ends the event loop, and the program with status 0.
    return QApplication::exec();
}
