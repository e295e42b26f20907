#include "Form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    quillon::Form1 form;
    form.show();
    // Closing the window ends the event loop, and the program with status 0.
    return QApplication::exec();
}
