#pragma once
#include "platform/TcpSocket.h"

#include <QObject>

class QTcpSocket;

namespace zeva {

// TcpSocket over QTcpSocket. Notifications come from Qt's signals on the owning thread; the owner's
// own Close raises no onClosed (only the peer's close does, as the hub link expects). A socket error
// is reported from the event loop, after Qt has finished with the socket, and only when it belongs to
// the attempt or connection still current (not one the owner has closed or replaced meanwhile).
class QtTcpSocket final : public QObject, public TcpSocket {
    Q_OBJECT
  public:
    // Unsent bytes beyond this make Write fail instead of growing without end when the peer stalls.
    static constexpr qint64 kMaxUnsent = 8 * 1024 * 1024;
    // Bytes read from the kernel ahead of ReadAll, at most.
    static constexpr qint64 kReadAhead = 256 * 1024;

    explicit QtTcpSocket(QObject* parent = nullptr);
    ~QtTcpSocket() override;

    bool ConnectToHost(const std::string& host, int port, SocketError& err) override;
    bool Close(SocketError& err) override;
    bool Write(std::string_view bytes, SocketError& err) override;
    std::string ReadAll() override;
    State GetState() const override;
    std::string LocalAddress() const override;
    int LocalPort() const override;
    std::string LocalHostName() const override;
    bool SetKeepAlive(int idleSeconds, int intervalSeconds, int count, SocketError& err) override;

    // Waits up to msecs for bytes or the peer's close and raises their notifications from inside
    // this call (onDataArrival, onClosed), unlike the other calls. False when the connection is
    // not open (any more) or nothing came in time. For the close, after the owner's last packet.
    bool WaitForData(int msecs);

    // The operating system's descriptor of the connection (-1 when there is none).
    qintptr NativeDescriptor() const;

  private:
    void OnError();
    void AbortQuietly();

    QTcpSocket* socket_;
    void FlushAndAbort();

    bool closing_ = false;
    // Inside WaitForData: Qt reports the end of the wait as a time-out error.
    bool waiting_ = false;
    // Counts attempts and closes, so a late error report of an earlier one is dropped.
    unsigned generation_ = 0;
    bool errorPending_ = false;
    SocketError pendingError_;
};

} // namespace zeva
