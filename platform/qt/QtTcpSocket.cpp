#include "platform/qt/QtTcpSocket.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpSocket>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zeva {

namespace {

// The error numbers the comms log has always shown (the Winsock ones), with Qt's own description.
int ErrorNumber(QAbstractSocket::SocketError e, const QString& text) {
    switch (e) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::NetworkError:
        // Qt reports time-outs and unreachable hosts or networks all as a network error.
        if (text.contains(QStringLiteral("timed out"), Qt::CaseInsensitive)) return 10060;
        if (text.contains(QStringLiteral("unreachable"), Qt::CaseInsensitive)) return 10065;
        return 10050;
    default:
        return 10000 + static_cast<int>(e);
    }
}

} // namespace

QtTcpSocket::QtTcpSocket(QObject* parent) : QObject(parent), socket_(new QTcpSocket(this)) {
    // Qt reads at most this much ahead of the owner: while the owner does not read (a backlog of
    // records waits to be shown), the kernel's buffer fills and TCP holds the rest at the peer.
    socket_->setReadBufferSize(kReadAhead);
    connect(socket_, &QTcpSocket::connected, this, [this] {
        // Each packet leaves when it is written: waiting to fill a segment holds a small request
        // back until the hub acknowledges the one before.
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (onConnected) onConnected();
    });
    connect(socket_, &QTcpSocket::disconnected, this, [this] {
        // After an error the error report tells the owner; a plain close is the peer's.
        if (!closing_ && !errorPending_ && onClosed) onClosed();
    });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // The peer's orderly close (and its reset, which Qt reads as one) arrive as disconnected.
        if (closing_ || e == QAbstractSocket::RemoteHostClosedError || errorPending_) return;
        // A wait that saw nothing in time leaves the connection as it was.
        if (waiting_ && e == QAbstractSocket::SocketTimeoutError) return;
        if (socket_->state() == QAbstractSocket::ConnectedState && e != QAbstractSocket::NetworkError &&
            e != QAbstractSocket::SocketTimeoutError)
            return; // not fatal to an open connection
        errorPending_ = true;
        const QString text = socket_->errorString();
        pendingError_ = {ErrorNumber(e, text), text.toStdString()};
        // Reported from the event loop: Qt may still be inside its own handling of the socket here.
        QMetaObject::invokeMethod(
            this,
            [this, g = generation_] {
                if (g == generation_) OnError();
            },
            Qt::QueuedConnection);
    });
    connect(socket_, &QTcpSocket::readyRead, this, [this] {
        if (onDataArrival) onDataArrival();
    });
}

QtTcpSocket::~QtTcpSocket() {
    closing_ = true;
    FlushAndAbort();
}

void QtTcpSocket::FlushAndAbort() {
    // What the owner wrote before the close (the 1002 above all) is handed to the system first:
    // abort alone drops Qt's unsent buffer, and a window that closes soon after its 1002 would
    // leave the hub without it.
    if (socket_->state() == QAbstractSocket::ConnectedState) socket_->flush();
    socket_->abort();
}

void QtTcpSocket::AbortQuietly() {
    ++generation_;
    errorPending_ = false;
    closing_ = true;
    FlushAndAbort();
    closing_ = false;
}

void QtTcpSocket::OnError() {
    const SocketError err = pendingError_;
    AbortQuietly();
    if (onError) onError(err);
}

bool QtTcpSocket::ConnectToHost(const std::string& host, int port, SocketError& err) {
    if (port < 1 || port > 65535 || host.empty()) {
        err = {10049, "The requested address is not valid in its context"};
        return false;
    }
    AbortQuietly();
    socket_->connectToHost(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())),
                           static_cast<quint16>(port));
    return true;
}

bool QtTcpSocket::Close(SocketError&) {
    AbortQuietly();
    return true;
}

bool QtTcpSocket::Write(std::string_view bytes, SocketError& err) {
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        err = {40006, "Wrong protocol or connection state for the requested transaction or request"};
        return false;
    }
    if (socket_->bytesToWrite() > kMaxUnsent) {
        err = {10055, "No buffer space available (the hub is not reading)"};
        return false;
    }
    // With nothing queued before it, a packet goes to the system now rather than on the next turn of
    // the event loop: a request reaches the hub while this client still shows the record before it.
    // What the system does not take at once (or a failed send, which Qt then finds and reports from
    // the event loop as always) is queued behind, in order.
    std::size_t sent = 0;
    if (socket_->bytesToWrite() == 0) {
        const ssize_t n = ::send(static_cast<int>(socket_->socketDescriptor()), bytes.data(), bytes.size(),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) sent = static_cast<std::size_t>(n);
    }
    if (sent == bytes.size()) return true;
    const qint64 rest = static_cast<qint64>(bytes.size() - sent);
    if (socket_->write(bytes.data() + sent, rest) != rest) {
        err = {10053, socket_->errorString().toStdString()};
        return false;
    }
    return true;
}

std::string QtTcpSocket::ReadAll() {
    // Straight into the string: no QByteArray in between.
    std::string bytes(static_cast<std::size_t>(std::max<qint64>(0, socket_->bytesAvailable())), '\0');
    const qint64 n = bytes.empty() ? 0 : socket_->read(bytes.data(), static_cast<qint64>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<qint64>(0, n)));
    return bytes;
}

TcpSocket::State QtTcpSocket::GetState() const {
    switch (socket_->state()) {
    case QAbstractSocket::UnconnectedState:
        return State::Closed;
    case QAbstractSocket::ConnectedState:
        return State::Connected;
    case QAbstractSocket::ClosingState:
        return State::Closing;
    default:
        return State::Connecting;
    }
}

std::string QtTcpSocket::LocalAddress() const {
    if (socket_->state() == QAbstractSocket::ConnectedState)
        return socket_->localAddress().toString().toStdString();
    // The machine's own address even when not connected, as the other modules report it.
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString().toStdString();
    return "127.0.0.1";
}

int QtTcpSocket::LocalPort() const {
    return socket_->localPort();
}

std::string QtTcpSocket::LocalHostName() const {
    return QHostInfo::localHostName().toStdString();
}

bool QtTcpSocket::WaitForData(int msecs) {
    if (socket_->state() != QAbstractSocket::ConnectedState) return false;
    // What the owner wrote last (the 1002) leaves first: waiting to read does not write it.
    if (socket_->bytesToWrite() > 0) socket_->flush();
    waiting_ = true;
    const bool arrived = socket_->waitForReadyRead(msecs);
    waiting_ = false;
    return arrived;
}

qintptr QtTcpSocket::NativeDescriptor() const {
    return socket_->socketDescriptor();
}

bool QtTcpSocket::SetKeepAlive(int idleSeconds, int intervalSeconds, int count, SocketError& err) {
    const qintptr fd = socket_->socketDescriptor();
    if (socket_->state() != QAbstractSocket::ConnectedState || fd < 0) {
        err = {40006, "Wrong protocol or connection state for the requested transaction or request"};
        return false;
    }
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    // Data the peer never acknowledges (a watchdog sent to a vanished hub) holds the keepalive
    // probes back; the user time-out gives such a connection up after the same time.
    const int userTimeoutMs = (idleSeconds + intervalSeconds * count) * 1000;
    const int on = 1;
    const struct {
        int level;
        int name;
        int value;
    } options[] = {{SOL_SOCKET, SO_KEEPALIVE, on},
                   {IPPROTO_TCP, TCP_KEEPIDLE, idleSeconds},
                   {IPPROTO_TCP, TCP_KEEPINTVL, intervalSeconds},
                   {IPPROTO_TCP, TCP_KEEPCNT, count},
                   {IPPROTO_TCP, TCP_USER_TIMEOUT, userTimeoutMs}};
    for (const auto& o : options) {
        if (::setsockopt(static_cast<int>(fd), o.level, o.name, &o.value, sizeof o.value) != 0) {
            const int e = errno;
            err = {10042, std::string("Bad keepalive option: ") + std::strerror(e)};
            return false;
        }
    }
    return true;
}

} // namespace zeva
