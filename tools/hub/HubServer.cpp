#include "tools/hub/HubServer.h"

#include "common/Convert.h"
#include "common/OleDate.h"
#include "common/TextUtil.h"
#include "comms/CommMemberType.h"
#include "comms/CommShared.h"
#include "comms/CommType.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <utility>

namespace zeva {

namespace {

constexpr qint64 kPushWindow = 256 * 1024;     // unsent bytes before pushing pauses
constexpr qint64 kMaxUnsent = 8 * 1024 * 1024; // a client that lets this pile up is dropped
constexpr int kRateTickMs = 10;

std::string Peer(QTcpSocket* s) {
    return s->peerAddress().toString().toStdString() + ":" + std::to_string(s->peerPort());
}

} // namespace

struct HubServer::Session {
    QTcpSocket* socket = nullptr;
    PacketFramer framer;
    int number = 0;
    std::string peer;
    std::string id; // empty until logged in
    bool loggedIn = false;
    bool sync = false;
    bool finished = false; // every record sent
    bool dead = false;     // closed; removed from the table once the current event is done
    std::uint64_t next = 0;
    double credit = 0;
    std::uint64_t badPackets = 0;
    // With onRecordWritten: bytes queued and written so far, and the records not yet written whole
    // (number, the queued count at their last byte).
    std::uint64_t queued = 0, written = 0;
    std::deque<std::pair<std::uint64_t, std::uint64_t>> unwritten;
    std::string Name() const { return id.empty() ? "#" + std::to_string(number) : id; }
};

bool IdentifierMatches(const std::string& pattern, const std::string& id) {
    if (pattern.size() != 3 || id.size() != 3) return false;
    if (pattern[0] != id[0] && pattern[0] != '*' && pattern[0] != '?') return false;
    const std::string digits = pattern.substr(1);
    return digits == "**" || digits == "??" || digits == id.substr(1);
}

HubServer::HubServer(HubOptions options, LogFn log, QObject* parent)
    : QObject(parent), options_(std::move(options)), log_(std::move(log)), server_(new QTcpServer(this)),
      rateTimer_(new QTimer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &HubServer::OnNewConnection);
    connect(rateTimer_, &QTimer::timeout, this, &HubServer::OnRateTimer);
    if (options_.rate > 0) rateTimer_->start(kRateTickMs);
}

HubServer::~HubServer() {
    stopping_ = true;
    for (auto& [socket, s] : sessions_) {
        socket->disconnect(this);
        socket->abort();
    }
}

void HubServer::Log(const std::string& line) const {
    if (log_) log_(line);
}
void HubServer::Event(const std::string& line) const {
    if (!options_.quiet) Log(line);
}

bool HubServer::Listen(std::string& error) {
    if (!server_->listen(options_.address, options_.port)) {
        error = "cannot listen on " + options_.address.toString().toStdString() + " port " +
                std::to_string(options_.port) + ": " + server_->errorString().toStdString();
        if (server_->serverError() == QAbstractSocket::AddressInUseError)
            error += " - stop the program that holds it (another zeva-hub?) or choose another with --port";
        return false;
    }
    std::string what = options_.records.Generated()
                           ? "generated records"
                           : std::to_string(options_.records.FileRecords()) + " records from file";
    Log("listening on port " + std::to_string(server_->serverPort()) + ", " + what + ", " +
        (options_.count ? std::to_string(options_.count) : std::string("endless")) + " per client, " +
        (options_.rate > 0 ? DoubleText(options_.rate) + " per second" : std::string("as fast as possible")) +
        ", source " + options_.source +
        (options_.badCheckEvery
             ? ", every " + std::to_string(options_.badCheckEvery) + "th record with a bad check"
             : std::string()));
    return true;
}

quint16 HubServer::Port() const {
    return server_->serverPort();
}

int HubServer::LoggedInCount() const {
    int n = 0;
    for (const auto& [socket, s] : sessions_)
        n += (s->loggedIn && !s->dead) ? 1 : 0;
    return n;
}

int HubServer::LiveCount() const {
    int n = 0;
    for (const auto& [socket, s] : sessions_)
        n += s->dead ? 0 : 1;
    return n;
}

void HubServer::OnNewConnection() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (stopping_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // A record leaves when it is written, not when the client acknowledged the one before.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto s = std::make_unique<Session>();
        s->socket = socket;
        s->number = nextSessionNumber_++;
        s->peer = Peer(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { OnDisconnected(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket](qint64 bytes) {
            auto it = sessions_.find(socket);
            if (it == sessions_.end()) return;
            Session& w = *it->second;
            w.written += static_cast<std::uint64_t>(bytes);
            while (!w.unwritten.empty() && w.unwritten.front().second <= w.written) {
                if (options_.onRecordWritten) options_.onRecordWritten(w.id, w.unwritten.front().first);
                w.unwritten.pop_front();
            }
            if (!w.dead) Pump(w);
        });
        Log("connection #" + std::to_string(s->number) + " from " + s->peer);
        sessions_.emplace(socket, std::move(s));
    }
}

void HubServer::OnDisconnected(QTcpSocket* socket) {
    auto it = sessions_.find(socket);
    if (it == sessions_.end() || it->second->dead) return;
    Log(it->second->Name() + " disconnected (" + it->second->peer + "), " + std::to_string(it->second->next) +
        " records sent");
    Retire(*it->second);
}

void HubServer::Drop(Session& s, const std::string& why) {
    if (s.dead) return;
    Log(s.Name() + " dropped: " + why);
    Retire(s);
}

void HubServer::Retire(Session& s, bool writeFirst) {
    // Callers up the stack may still hold the session: it is marked now and removed later.
    s.dead = true;
    QTcpSocket* socket = s.socket;
    socket->disconnect(this);
    if (writeFirst && socket->state() == QAbstractSocket::ConnectedState) {
        // Records counted as sent reach the client before the close; one that stopped reading is
        // cut off after a while.
        // The session stays (marked) until its socket is gone, so nothing is left pointing at it.
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { sessions_.erase(socket); });
        QTimer::singleShot(10000, socket, [socket] { socket->abort(); });
        socket->disconnectFromHost();
        return;
    }
    socket->abort();
    QTimer::singleShot(0, this, [this, socket] {
        if (sessions_.erase(socket)) socket->deleteLater();
    });
}

void HubServer::OnReadyRead(QTcpSocket* socket) {
    auto it = sessions_.find(socket);
    if (it == sessions_.end() || it->second->dead) return;
    Session& s = *it->second;
    const QByteArray bytes = socket->readAll();
    s.framer.Append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    while (!s.dead) {
        auto packet = s.framer.Next();
        if (!packet) break;
        Handle(s, *packet);
    }
    s.framer.Bound();
}

void HubServer::Handle(Session& s, const std::string& text) {
    CommType p;
    if (!ParsePacket(text, p)) {
        ++s.badPackets;
        if (s.badPackets <= 10 || s.badPackets % 1000 == 0)
            Log("bad packet from " + s.Name() + " dropped (" + std::to_string(s.badPackets) + " so far)");
        return;
    }
    if (p.Destination != kHubIdentifier) {
        if (s.loggedIn)
            Route(s, p, text);
        else
            Log("packet from " + s.Name() + " before login dropped");
        return;
    }
    const auto code = ToInt16(p.PacketType).value_or(0);
    switch (code) {
    case kPktConnectRequest:
        HandleLogin(s, p);
        break;
    case kPktClientDisconnect:
        Log(s.Name() + " asks to disconnect (1002): closing, " + std::to_string(s.next) + " records sent");
        Retire(s, true);
        break;
    case kPktRequestNext:
        if (!s.loggedIn) break;
        Event("request next (1006) from " + s.Name());
        if (s.id[0] == 'm') {
            SendControl(s, kPktBufferEmpty);
            break;
        }
        if (!SendRecord(s) && !s.dead) SendControl(s, kPktBufferEmpty);
        break;
    case kPktKillRequest:
        Event("request cancelled (1004) by " + s.Name());
        break;
    case kPktWatchdog:
        Event("watchdog from " + s.Name());
        break;
    default:
        Log("packet type \"" + p.PacketType + "\" from " + s.Name() + " for the hub ignored");
        break;
    }
}

void HubServer::HandleLogin(Session& s, const CommType& packet) {
    CommMemberType member;
    if (!member.ExtractPacket(packet.Data)) {
        Log("login from " + s.peer + " with a bad member record refused");
        return;
    }
    const std::string id = Trim(member.Identifier);
    if (id.size() != 3) {
        Log("login from " + s.peer + " without a client identifier refused");
        return;
    }
    const double now = OleNow();
    s.id = id;
    s.sync = (member.Mode & kModeSYN) && (member.Mode & kModeNWT);
    s.loggedIn = true;
    member.Socket = static_cast<std::int16_t>(s.number % 32768);
    member.LastConnection = now;
    member.Created = now;
    member.SystemState = 0;
    member.TimeOut = 0;
    if (options_.watchdogSeconds >= 0) member.WatchDog = options_.watchdogSeconds / 86400.0;
    std::string reply;
    if (!member.CreatePacket(reply)) {
        Log("accept for " + id + " does not fit a packet; refused");
        return;
    }
    Log("login " + id + " (" + (s.sync ? "sync" : "async") + ", mode " + IntText(member.Mode) + ") from " +
        s.peer);
    SendControl(s, kPktConnectAccept, reply);
    Pump(s);
}

void HubServer::Route(Session& from, const CommType& packet, const std::string& text) {
    int delivered = 0;
    std::vector<Session*> targets;
    for (auto& [socket, s] : sessions_)
        if (s.get() != &from && s->loggedIn && !s->dead && IdentifierMatches(packet.Destination, s->id))
            targets.push_back(s.get());
    for (Session* t : targets)
        if (WriteRaw(*t, text)) ++delivered;
    Log("routed \"" + packet.PacketType + "\" from " + from.Name() + " to " + packet.Destination + " (" +
        std::to_string(delivered) + " client" + (delivered == 1 ? "" : "s") + ")");
}

bool HubServer::WriteRaw(Session& s, const std::string& text) {
    if (s.dead) return false;
    if (s.socket->bytesToWrite() > kMaxUnsent) {
        Drop(s, "not reading (" + std::to_string(s.socket->bytesToWrite()) + " bytes unsent)");
        return false;
    }
    if (s.socket->write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
        return false;
    s.queued += text.size();
    return true;
}

void HubServer::SendControl(Session& s, std::int16_t code, const std::string& data) {
    CommType p;
    p.Source = kHubIdentifier;
    p.Destination = s.id.empty() ? std::string("???") : s.id;
    p.Created = OleNow();
    p.Expire = kControlExpire;
    p.PacketType = IntText(code);
    p.Data = (code == kPktConnectAccept) ? data : ControlDataText(code);
    std::string text;
    if (BuildPacket(p, text)) WriteRaw(s, text);
}

bool HubServer::SendRecord(Session& s) {
    if (options_.count != 0 && s.next >= options_.count) {
        if (!s.finished) {
            s.finished = true;
            Log("all " + std::to_string(options_.count) + " records sent to " + s.Name());
        }
        return false;
    }
    CommType p;
    p.Source = options_.source;
    p.Destination = s.id;
    p.Created = OleNow();
    p.PacketType = "DATA";
    p.Data = options_.records.Record(s.next);
    std::string text;
    if (!BuildPacket(p, text)) {
        Log("record " + std::to_string(s.next + 1) + " does not fit a packet; skipped");
        ++s.next;
        return true;
    }
    // A wrong check the way a damaged line makes one: the packet is whole, only its sum is off.
    const bool badCheck = options_.badCheckEvery != 0 && (s.next + 1) % options_.badCheckEvery == 0;
    if (badCheck) {
        const int check = (std::stoi(text.substr(0, 4)) + 1) % 10000;
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04d", check);
        text.replace(0, 4, digits);
    }
    if (!WriteRaw(s, text)) return false;
    if (options_.onRecordWritten) s.unwritten.emplace_back(s.next, s.queued);
    ++s.next;
    ++recordsSent_;
    if (badCheck) ++badChecksSent_;
    Event("record " + std::to_string(s.next) + " to " + s.id + (badCheck ? " with a bad check" : ""));
    return true;
}

void HubServer::Pump(Session& s) {
    // Monitors get flags, never caller records.
    if (!s.loggedIn || s.sync || s.finished || s.dead || stopping_ || s.id[0] == 'm') return;
    QTcpSocket* socket = s.socket;
    while (socket->bytesToWrite() < kPushWindow) {
        if (options_.rate > 0) {
            if (s.credit < 1.0) return;
            s.credit -= 1.0;
        }
        if (!SendRecord(s) || s.dead) return;
    }
}

void HubServer::OnRateTimer() {
    const double add = options_.rate * kRateTickMs / 1000.0;
    std::vector<Session*> async;
    for (auto& [socket, s] : sessions_)
        if (s->loggedIn && !s->sync && !s->finished && !s->dead && s->id[0] != 'm') async.push_back(s.get());
    for (Session* s : async) {
        if (s->dead) continue;
        s->credit = std::min(s->credit + add, std::max(1.0, options_.rate / 10.0));
        Pump(*s);
    }
}

void HubServer::SendServerDisconnect() {
    std::vector<Session*> all;
    for (auto& [socket, s] : sessions_)
        if (s->loggedIn && !s->dead) all.push_back(s.get());
    for (Session* s : all) {
        if (s->dead) continue;
        Log("server disconnect request (1001) to " + s->Name());
        SendControl(*s, kPktServerDisconnect);
    }
}

void HubServer::Shutdown(int waitMs, const std::function<void()>& done) {
    Log("shutting down");
    server_->close();
    SendServerDisconnect();
    stopping_ = true;
    auto* poll = new QTimer(this);
    auto waited = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, this, [this, poll, waited, waitMs, done] {
        *waited += 50;
        if (LiveCount() > 0 && *waited < waitMs) return;
        poll->stop();
        poll->deleteLater();
        if (LiveCount() > 0) {
            Log(std::to_string(LiveCount()) + " client(s) did not leave; closing them");
            AbortAll();
        }
        Log("stopped, " + std::to_string(recordsSent_) + " records sent" +
            (badChecksSent_ ? " (" + std::to_string(badChecksSent_) + " with a bad check)" : std::string()));
        if (done) done();
    });
    poll->start(50);
}

void HubServer::AbortAll() {
    std::vector<QTcpSocket*> sockets;
    for (auto& [socket, s] : sessions_)
        sockets.push_back(socket);
    for (QTcpSocket* socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    sessions_.clear();
}

} // namespace zeva
