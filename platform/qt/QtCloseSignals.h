#pragma once
#include <QObject>

#include <functional>

class QSocketNotifier;
class QTimer;

namespace zeva {

// SIGTERM (a desktop logout, systemctl, kill), SIGINT and SIGHUP as a close request: the first one
// runs the handler on the user-interface thread, through the event loop, so the program ends the
// way a closed window does (log-off at the hub, settings saved). A second one while that shutdown
// runs ends the process at once with status 128 + the signal number.
//
// Nobody answers a dialog after a stop signal (a service manager or a logout sent it): every dialog
// open then is closed as its Cancel would, and so is any that opens during the shutdown, so the
// process ends within moments whatever was on screen. Received() tells the rest of the program.
//
// One per process; the handlers are installed by the constructor and stay until it ends.
class QtCloseSignals final : public QObject {
    Q_OBJECT
  public:
    explicit QtCloseSignals(std::function<void(int signal)> onClose, QObject* parent = nullptr);
    ~QtCloseSignals() override;
    // True once a stop signal has come.
    static bool Received();

  private:
    std::function<void(int)> onClose_;
    QSocketNotifier* notifier_{};
    QTimer* dialogCloser_{};
};

} // namespace zeva
