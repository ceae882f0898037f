#include "platform/qt/QtCloseSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace zeva {

namespace {

// The handler may only touch async-signal-safe things: it writes the signal number into a socket
// that the event loop watches.
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_received = 0;
bool g_stopping = false;

// Closes every open dialog as its Cancel would; exec() then returns to its caller.
void CloseDialogs() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
}

extern "C" void OnCloseSignal(int signal) {
    if (g_received != 0) _exit(128 + signal);
    g_received = signal;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

QtCloseSignals::QtCloseSignals(std::function<void(int)> onClose, QObject* parent)
    : QObject(parent), onClose_(std::move(onClose)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(g_pipe[0], &byte, 1) != 1) return;
        g_stopping = true;
        CloseDialogs();
        dialogCloser_->start();
        if (onClose_) onClose_(static_cast<unsigned char>(byte));
    });
    dialogCloser_ = new QTimer(this);
    dialogCloser_->setInterval(50);
    connect(dialogCloser_, &QTimer::timeout, this, CloseDialogs);
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool QtCloseSignals::Received() {
    return g_stopping;
}

QtCloseSignals::~QtCloseSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    for (int& fd : g_pipe) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

} // namespace zeva
