#pragma once
#include "comms/PacketFramer.h"
#include "tools/hub/RecordSource.h"

#include <QHostAddress>
#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace zeva {

class CommType;

struct HubOptions {
    QHostAddress address = QHostAddress::Any;
    quint16 port = 6000; // 0: any free port
    RecordSource records;
    std::uint64_t count = 1000;  // records per client; 0 = endless
    double rate = 1.0;           // records per second to each asynchronous client; 0 = as fast as possible
    std::string source = "x01";  // X25 source tag of the data packets
    double watchdogSeconds = -1; // watchdog period given back in the accept; < 0 keeps the client's
    bool quiet = false;          // no line per record, watchdog or request
    std::uint64_t badCheckEvery = 0; // > 0: every Nth record of a client goes out with a wrong check
    // Told when a caller record has been written to the connection (its last byte handed to the
    // system), with the client and the record's number from 0; for timing the way to a client.
    std::function<void(const std::string& client, std::uint64_t record)> onRecordWritten;
};

// The system's hub as far as the screen client needs one: accepts many clients, logs them in
// (1000 -> 1003 with their member record), feeds caller records (pushed to asynchronous clients,
// one per 1006 to synchronous ones, 1005 when none is left), routes packets addressed to other
// clients ("??" and "**" wildcards), closes on 1002 and says 1001 to everyone when it stops.
// A client that sends garbage or stops reading affects only itself.
class HubServer : public QObject {
    Q_OBJECT
  public:
    using LogFn = std::function<void(const std::string&)>;

    HubServer(HubOptions options, LogFn log, QObject* parent = nullptr);
    ~HubServer() override;

    bool Listen(std::string& error);
    quint16 Port() const;
    // 1001 to every logged-in client; they answer 1002 and are closed.
    void SendServerDisconnect();
    // Stops listening, sends 1001, waits up to waitMs for the clients to leave, drops the rest,
    // then calls done.
    void Shutdown(int waitMs, const std::function<void()>& done);
    // Drops every connection without a word, as a hub that dies does.
    void AbortAll();

    int ClientCount() const { return LiveCount(); }
    int LoggedInCount() const;
    std::uint64_t RecordsSent() const { return recordsSent_; }
    std::uint64_t BadChecksSent() const { return badChecksSent_; }

  private:
    struct Session;

    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);
    void OnDisconnected(QTcpSocket* socket);
    void Handle(Session& s, const std::string& text);
    void HandleLogin(Session& s, const CommType& packet);
    void Route(Session& from, const CommType& packet, const std::string& text);
    void Pump(Session& s);
    void OnRateTimer();
    bool SendRecord(Session& s);
    void SendControl(Session& s, std::int16_t code, const std::string& data = {});
    bool WriteRaw(Session& s, const std::string& text);
    void Drop(Session& s, const std::string& why);
    // Ends a session; with writeFirst, what was already written to it goes out before the close.
    void Retire(Session& s, bool writeFirst = false);
    int LiveCount() const;
    void Log(const std::string& line) const;
    void Event(const std::string& line) const; // suppressed by quiet

    HubOptions options_;
    LogFn log_;
    QTcpServer* server_;
    QTimer* rateTimer_;
    std::map<QTcpSocket*, std::unique_ptr<Session>> sessions_;
    int nextSessionNumber_ = 1;
    std::uint64_t recordsSent_ = 0;
    std::uint64_t badChecksSent_ = 0;
    bool stopping_ = false;
};

// True when the client identifier id is addressed by pattern ("m**", "s??", "s01").
bool IdentifierMatches(const std::string& pattern, const std::string& id);

} // namespace zeva
