#include "tests/support/TestApp.h"

#include <QApplication>
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

} // namespace zeva::test
