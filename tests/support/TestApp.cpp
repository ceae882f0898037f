#include "tests/support/TestApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>

#include <clocale>

namespace zeva::test {

void EnsureApp() {
    static int argc = 1;
    static char arg0[] = "zeva-test";
    static char* argv[] = {arg0, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qApp) new QApplication(argc, argv);
    // QApplication takes the locale from the environment; the tests expect none.
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace zeva::test
