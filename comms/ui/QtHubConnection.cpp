#include "comms/ui/QtHubConnection.h"

#include <QElapsedTimer>
#include <QTimer>

namespace zeva {

QtHubConnection::QtHubConnection(int tickMs, QObject* parent)
    : QObject(parent), connection_(socket_, clock_, pump_) {
    timer_ = new QTimer(this);
    timer_->setInterval(tickMs);
    connect(timer_, &QTimer::timeout, this, [this] { connection_.Tick(); });
    timer_->start();
}

QtHubConnection::~QtHubConnection() {
    timer_->stop();
}

bool QtHubConnection::ReadToEnd(int msecs) {
    connection_.RunBusy([&] {
        connection_.SetConsoleQuiet(true);
        QElapsedTimer elapsed;
        elapsed.start();
        while (socket_.GetState() == TcpSocket::State::Connected) {
            const qint64 left = msecs - elapsed.elapsed();
            if (left <= 0 || !socket_.WaitForData(static_cast<int>(left))) break;
        }
        // What Qt read with the close is taken too.
        if (socket_.onDataArrival) socket_.onDataArrival();
        connection_.SetConsoleQuiet(false);
    });
    return socket_.GetState() != TcpSocket::State::Connected;
}

} // namespace zeva
