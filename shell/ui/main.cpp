// zeva-screen-client: the operator's display station. The whole argument text after the program
// name is the command line ("05", "ADMIN", "ADMIN12"); Qt's own options (-platform ...) are taken
// out first; "--help", "-h" and "--version" alone print and exit. For unattended runs,
// ZEVA_SCREENSHOT=<file.png> saves a picture of the main window and ZEVA_RUN_SECONDS=<n> asks the
// window to close after n seconds, through the normal shutdown.
//
// Exit status: 0 after a normal shutdown, 2 when start-up stopped (a message box said why, and a
// line on standard error says it with the remedy) or an admin shutdown could not save the settings.
#include "platform/qt/QtCloseSignals.h"
#include "platform/qt/QtText.h"
#include "shell/CommandLine.h"
#include "shell/ui/frmZVScreenClientMain.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>

namespace {

int Fail(const std::string& reason) {
    std::fprintf(stderr, "zeva-screen-client: %s\n", reason.c_str());
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    // Asked before any window system is needed, so they work on a plain terminal too.
    const std::vector<std::string> raw(argv + (argc > 0 ? 1 : 0), argv + argc);
    switch (zeva::ProgramInfoRequest(raw)) {
    case zeva::InfoRequest::Help:
        std::fputs(zeva::UsageText("zeva-screen-client").c_str(), stdout);
        return 0;
    case zeva::InfoRequest::Version:
        std::printf("zeva-screen-client %d.%d.%d\n", ZEVA_VERSION_MAJOR, ZEVA_VERSION_MINOR,
                    ZEVA_VERSION_PATCH);
        return 0;
    case zeva::InfoRequest::None:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEVA Screen Client"));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const std::string commandLine = zeva::FromQt(args.join(QLatin1Char(' ')));

    zeva::frmZVScreenClientMain window({});
    // A termination signal is the close request a closed window makes, with the same shutdown.
    zeva::QtCloseSignals closeSignals([&window](int) { window.close(); });
    const auto result = window.shell().Load(commandLine);
    if (result == zeva::MainShell::LoadResult::Unloaded || window.IsUnloaded())
        return Fail(window.shell().StopReason().empty() ? "start-up stopped" : window.shell().StopReason());
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
    if (!window.shell().SaveFailure().empty()) return Fail(window.shell().SaveFailure());
    return status;
}
