// Starts like the composer and prints the monotonic clock, in nanoseconds, at the moment its
// window is shown and painted; then quits.
#include "Form1.h"

#include <QApplication>
#include <QTest>

#include <chrono>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    quillon::Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        return 1;
    }
    QApplication::processEvents();
    const auto shown = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("%lld\n", static_cast<long long>(
                              std::chrono::duration_cast<std::chrono::nanoseconds>(shown).count()));
    return 0;
}
