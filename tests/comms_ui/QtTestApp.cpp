#include "tests/comms_ui/QtTestApp.h"

#include <QApplication>
#include <QElapsedTimer>

namespace zeva::test {

void EnsureApp() {
    static int argc = 1;
    static char arg0[] = "test_comms_ui";
    static char* argv[] = {arg0, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qApp) new QApplication(argc, argv);
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
