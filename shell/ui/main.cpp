// zeva-screen-client: the operator's display station. The whole argument text after the program
// name is the command line ("05", "ADMIN", "ADMIN12"); Qt's own options (-platform ...) are taken
// out first. For unattended runs, ZEVA_SCREENSHOT=<file.png> saves a picture of the main window
// and ZEVA_RUN_SECONDS=<n> asks the window to close after n seconds, through the normal shutdown.
#include "platform/qt/QtText.h"
#include "shell/ui/frmZVScreenClientMain.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEVA Screen Client"));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const std::string commandLine = zeva::FromQt(args.join(QLatin1Char(' ')));

    zeva::frmZVScreenClientMain window({});
    const auto result = window.shell().Load(commandLine);
    if (result == zeva::MainShell::LoadResult::Unloaded || window.IsUnloaded()) return 0;
    window.show();

    const int runSeconds = qEnvironmentVariableIntValue("ZEVA_RUN_SECONDS");
    if (runSeconds > 0) {
        QTimer::singleShot(runSeconds * 1000, &window, [&window] {
            const QString shot = qEnvironmentVariable("ZEVA_SCREENSHOT");
            if (!shot.isEmpty()) window.grab().save(shot);
            window.close();
        });
    }
    const int status = app.exec();
    if (!window.shell().SaveFailure().empty()) {
        std::fprintf(stderr, "zeva-screen-client: %s\n", window.shell().SaveFailure().c_str());
        return 2;
    }
    return status;
}
