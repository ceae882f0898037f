#include "platform/qt/QtTcpSocket.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpSocket>

namespace zeva {

QtTcpSocket::QtTcpSocket(QObject* parent) : QObject(parent), socket_(new QTcpSocket(this)) {
    // Qt reads at most this much ahead of the owner: while the owner does not read (a backlog of
    // records waits to be shown), the kernel's buffer fills and TCP holds the rest at the peer.
    socket_->setReadBufferSize(kReadAhead);
    connect(socket_, &QTcpSocket::connected, this, [this] {
        if (onConnected) onConnected();
    });
    connect(socket_, &QTcpSocket::disconnected, this, [this] {
        if (!closing_ && onClosed) onClosed();
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

bool QtTcpSocket::ConnectToHost(const std::string& host, int port, SocketError& err) {
    if (port < 1 || port > 65535 || host.empty()) {
        err = {10049, "The requested address is not valid in its context"};
        return false;
    }
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
        closing_ = true;
        socket_->abort();
        closing_ = false;
    }
    socket_->connectToHost(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())),
                           static_cast<quint16>(port));
    return true;
}

bool QtTcpSocket::Close(SocketError&) {
    closing_ = true;
    FlushAndAbort();
    closing_ = false;
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
    if (socket_->write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size())) {
        err = {10053, socket_->errorString().toStdString()};
        return false;
    }
    return true;
}

std::string QtTcpSocket::ReadAll() {
    const QByteArray bytes = socket_->readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
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

} // namespace zeva
