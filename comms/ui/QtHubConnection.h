#pragma once
#include "comms/HubConnection.h"
#include "platform/Clock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtTcpSocket.h"

#include <QObject>

class QTimer;

namespace zeva {

// The hub connection with its Qt surroundings: the socket, the system clock, the event pump and the
// timer that runs the engine's 2000 ms step.
//
// Lifetime: never delete it from inside one of the connection's notifications or while
// connection().Busy(); use deleteLater(), or wait for Busy() to clear.
class QtHubConnection final : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 2000;

    // tickMs: the engine's step (tests shorten it).
    explicit QtHubConnection(int tickMs = kTickMs, QObject* parent = nullptr);
    ~QtHubConnection() override;

    HubConnection& connection() { return connection_; }
    const HubConnection& connection() const { return connection_; }
    const Clock& clock() const { return clock_; }

    // After the 1002: reads what the hub still sends until it closes the link (it does after a
    // 1002) or msecs pass, each record raising onReceivedData as usual. Blocks; for the close, when
    // nothing else is left to run. True when the hub closed the link.
    bool ReadToEnd(int msecs);

  private:
    QtTcpSocket socket_;
    SystemClock clock_;
    QtEventPump pump_;
    HubConnection connection_;
    QTimer* timer_ = nullptr;
};

} // namespace zeva
