// zeva-screen-client: the operator's display station. The whole argument text after the program
// name is the command line ("05", "ADMIN", "ADMIN12"); Qt's own options (-platform ...) are taken
// out first; "--help", "-h" and "--version" alone print and exit. For unattended runs,
// ZEVA_SCREENSHOT=<file.png> saves a picture of the main window and ZEVA_RUN_SECONDS=<n> asks the
// window to close after n seconds, through the normal shutdown. Pictures taken just before the
// close: ZEVA_SCREENSHOT_FULLFIELDS the Full fields display of the record in the Records grid's
// first row, ZEVA_SCREENSHOT_CONSOLE the comms console, ZEVA_SCREENSHOT_HUBSETUP the hub setup dialog
// (shown without its modal loop, over the station's own values).
// ZEVA_SHOWN_LOG=<file> appends a line, flushed at once, for what a watching program needs to know
// (the soak test): "<ms> shown <field 102>" for each record shown, "<ms> caption <text>" when the
// caption changes and "<ms> close" when ZEVA_RUN_SECONDS asks the window to close; <ms> is the
// monotonic clock (CLOCK_MONOTONIC) in milliseconds, comparable with other processes' readings.
//
// Exit status: 0 after a normal shutdown, 2 when start-up stopped (a line on standard error says why
// with the remedy, then a message box says it), when no display can be opened, or when an admin
// shutdown could not save the settings.
#include "comms/ui/frmHubSetup.h"
#include "model/RecordText.h"
#include "platform/qt/QtCloseSignals.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtText.h"
#include "shell/CommandLine.h"
#include "shell/ui/frmZVScreenClientMain.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <string_view>

namespace {

// The ZEVA_SHOWN_LOG file; every write is a no-op when the variable is not set.
class ShownLog {
  public:
    ShownLog() {
        const QByteArray path = qgetenv("ZEVA_SHOWN_LOG");
        if (!path.isEmpty()) file_ = std::fopen(path.constData(), "a");
    }
    ~ShownLog() {
        if (file_) std::fclose(file_);
    }
    ShownLog(const ShownLog&) = delete;
    ShownLog& operator=(const ShownLog&) = delete;
    bool Active() const { return file_ != nullptr; }
    void Line(const char* what, std::string_view text = {}) {
        if (!file_) return;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
        std::string line = std::to_string(ms) + ' ' + what;
        if (!text.empty()) line.append(1, ' ').append(text);
        line += '\n';
        std::fputs(line.c_str(), file_);
        std::fflush(file_);
    }

  private:
    std::FILE* file_ = nullptr;
};

} // namespace

namespace {

int Fail(const std::string& reason) {
    std::fprintf(stderr, "zeva-screen-client: %s\n", reason.c_str());
    return 2;
}

// The window system Qt will use: "-platform NAME" on the command line, else QT_QPA_PLATFORM, else
// empty (Qt's own choice). A name may carry options ("xcb:...") and a list falls back in order
// ("wayland;xcb").
std::string PlatformRequest(int argc, char* argv[]) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return argv[i + 1];
    const char* env = std::getenv("QT_QPA_PLATFORM");
    return env ? env : "";
}

// Whether the request can only be met by an X server: "xcb" alone, or nothing asked for outside a
// Wayland session (offscreen, wayland, vnc and the others need no X server).
bool NeedsXServer(const std::string& request) {
    if (request.empty()) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        return !wayland || !*wayland;
    }
    std::string::size_type start = 0;
    while (start <= request.size()) {
        const std::string::size_type end = std::min(request.find(';', start), request.size());
        const std::string entry = request.substr(start, end - start);
        if (entry.substr(0, entry.find(':')) != "xcb") return false;
        start = end + 1;
    }
    return true;
}

// Opens and closes a connection to the X server as Qt would (DISPLAY, the X authority): without
// one, Qt aborts with a message that says nothing about what to do. libxcb is what Qt's own X
// plugin links against; it is loaded here only to ask.
bool XServerAnswers() {
    void* xcb = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb) return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    bool answers = false;
    if (connect && hasError && disconnect) {
        void* connection = connect(nullptr, nullptr);
        answers = connection && hasError(connection) == 0;
        if (connection) disconnect(connection);
    }
    ::dlclose(xcb);
    return answers;
}

// Saves a window's picture; with ZEVA_SCREENSHOT_PALETTE set, in 256 colours (a grey ramp for the
// text and a colour cube), which keeps large pictures small.
void SaveGrab(QWidget& widget, const QString& file) {
    QImage image = widget.grab().toImage();
    if (qEnvironmentVariableIsSet("ZEVA_SCREENSHOT_PALETTE")) {
        QList<QRgb> colours;
        for (int g = 0; g < 40; ++g)
            colours.append(qRgb(g * 255 / 39, g * 255 / 39, g * 255 / 39));
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    colours.append(qRgb(r * 51, g * 51, b * 51));
        image = image.convertToFormat(QImage::Format_Indexed8, colours, Qt::ThresholdDither);
    }
    image.save(file);
}

// Shows a window, lets it lay out and paint, and saves its picture.
void SavePicture(QWidget& widget, const QString& file) {
    widget.show();
    widget.raise();
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    SaveGrab(widget, file);
}

// The pictures of the unattended run, then the close.
void SavePicturesAndClose(zeva::frmZVScreenClientMain& window) {
    const QString shot = qEnvironmentVariable("ZEVA_SCREENSHOT");
    if (!shot.isEmpty()) SaveGrab(window, shot);
    const QString fullFields = qEnvironmentVariable("ZEVA_SCREENSHOT_FULLFIELDS");
    if (!fullFields.isEmpty() && window.formatter() && window.recordClass()) {
        const std::int16_t id = window.recordClass()->RecordAtRow(1);
        if (id >= 0) window.formatter()->ShowFullFields(id);
        // The display menu's "&Full Fields", as an administrator would choose it.
        for (QAction* a : window.mainMenu()->findChildren<QAction*>())
            if (a->text() == QStringLiteral("&Full Fields")) a->trigger();
        SavePicture(window, fullFields);
    }
    const QString console = qEnvironmentVariable("ZEVA_SCREENSHOT_CONSOLE");
    if (!console.isEmpty() && window.console()) SavePicture(*window.console(), console);
    const QString hubSetup = qEnvironmentVariable("ZEVA_SCREENSHOT_HUBSETUP");
    if (!hubSetup.isEmpty()) {
        zeva::ClientSettings& s = window.shell().settings();
        std::string ident = window.shell().session().Userid, address = s.RemoteAddress;
        std::int32_t port = s.RemotePort, backupPort = s.BackupPort;
        std::string backupAddress = s.BackupAddress;
        zeva::QtMessageBox messages(&window);
        zeva::frmHubSetup dialog(&window, ident, address, port, messages);
        dialog.ShowBackupHub(backupAddress, backupPort); // as Comms > Setup shows it
        dialog.setModal(false);
        SavePicture(dialog, hubSetup);
    }
    window.close();
}

} // namespace

int main(int argc, char* argv[]) {
    // A standard output or error nobody reads any more (a logger that ended, a closed terminal's
    // pipe) makes a write fail, not the station end mid-shift.
    std::signal(SIGPIPE, SIG_IGN);
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

    if (NeedsXServer(PlatformRequest(argc, argv)) && !XServerAnswers()) {
        const char* display = std::getenv("DISPLAY");
        return Fail((display && *display
                         ? "the display \"" + std::string(display) + "\" cannot be opened"
                         : std::string("no display to show the window on (DISPLAY is not set)")) +
                    "; run it in a desktop session, or without one under a virtual X server: xvfb-run "
                    "zeva-screen-client NN");
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEVA Screen Client"));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const std::string commandLine = zeva::FromQt(args.join(QLatin1Char(' ')));

    zeva::frmZVScreenClientMain window({});
    // A termination signal is the close request a closed window makes, with the same shutdown. One
    // that comes during start-up closes the box on screen; start-up then runs to its end without
    // boxes and the close follows at once.
    bool loading = true;
    zeva::QtCloseSignals closeSignals([&window, &loading](int) {
        if (!loading) window.close();
    });
    window.shell().SetStopNotice([](const std::string& reason) { Fail(reason); });
    const auto result = window.shell().Load(commandLine);
    loading = false;
    if (result == zeva::MainShell::LoadResult::Unloaded || window.IsUnloaded())
        return window.shell().StopReason().empty() ? Fail("start-up stopped") : 2;
    ShownLog shownLog;
    if (shownLog.Active()) {
        window.onRecordShown = [&shownLog](const std::string& recordText) {
            shownLog.Line("shown", zeva::RecordText::Find(recordText, 102).value_or("-"));
        };
        QObject::connect(&window, &QWidget::windowTitleChanged, &window, [&shownLog](const QString& title) {
            shownLog.Line("caption", zeva::FromQt(title));
        });
        shownLog.Line("caption", zeva::FromQt(window.windowTitle()));
    }
    if (zeva::QtCloseSignals::Received()) {
        // No timer has ticked yet, so no link is up to log off from.
        window.shell().Unload();
    } else {
        window.show();
    }

    const int runSeconds = qEnvironmentVariableIntValue("ZEVA_RUN_SECONDS");
    if (runSeconds > 0) {
        QTimer::singleShot(runSeconds * 1000, &window, [&window, &shownLog] {
            shownLog.Line("close");
            SavePicturesAndClose(window);
        });
    }
    const int status = app.exec();
    if (!window.shell().SaveFailure().empty()) return 2; // told on standard error when it happened
    return status;
}
