#pragma once
#include "comms/CommEngine.h"
#include "platform/Clock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtFlexGrid.h"
#include "platform/qt/QtLineListBox.h"
#include "platform/qt/QtTcpSocket.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QListView;
class QPushButton;
class QTableWidget;
class QTimer;

namespace zeva {

class ClientLogView;
class MemberGridView;

// The hub connection `client`: owns the connection engine (with its socket, clock and event pump),
// runs the engine's 2000 ms tick, and is the comms console window that shows the engine's log, its
// member fields and its error label. Created hidden and kept above other windows when shown; its
// Hide button hides it and the engine keeps running.
//
// Lifetime: never delete it from inside one of its own notifications or while Busy() (a synchronous
// Receive may be waiting in the event loop with the engine on the stack); use deleteLater(), or wait
// for Busy() to clear.
class CommDisplay final : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "ComClass - Version 4.00.00";
    static constexpr int kTickMs = 2000;

    // tickMs: the engine's step (tests shorten it).
    explicit CommDisplay(QWidget* parent = nullptr, int tickMs = kTickMs);
    ~CommDisplay() override;

    // The link, for the owner.
    bool Connected() const { return engine_->Connected(); }
    std::string LocalHostName() const { return engine_->LocalHostName(); }
    std::string Userid() const { return engine_->Userid(); }
    // The member's local port (known once the TCP connection is up).
    std::int32_t LocalPort() const { return engine_->Member().Port; }
    // Starts the connection at once (the TCP connect does not wait for the next engine tick).
    bool Connect(CommMemberType& target);
    bool Disconnect() { return engine_->Disconnect(); }
    bool Send(const CommType& packet) { return engine_->Send(packet); }
    bool Receive(CommType& packet);
    bool Request(CommType& packet) { return engine_->Request(packet); }
    void SetRequest(CommType& packet, bool flag) { engine_->SetRequest(packet, flag); }
    bool RequestDataHub(CommType& packet) { return engine_->RequestDataHub(packet); }
    void GetNextPktBuffer();
    void PauseReceive(bool paused);
    // After the 1002: reads what the hub still sends until it closes the link (it does after a
    // 1002) or msecs pass, each record raising onReceivedData as usual. Blocks; for the close, when
    // nothing else is left to run. True when the hub closed the link.
    bool ReadToEnd(int msecs);
    void InsertClientLog(const std::string& text);
    // Runs one engine step now (the timer keeps its rhythm).
    void Tick();
    // The engine state, and what it means for the owner's connection timer: a login under way (a new
    // Connect would restart it), a log-off under way (the 1002 may not have left yet).
    std::int16_t SystemState() const { return engine_->Member().SystemState; }
    bool Connecting() const;
    bool Disconnecting() const;
    // True while the engine is on the stack: a tick, a socket notification or a Receive is running.
    bool Busy() const { return depth_ > 0; }
    // Received packets discarded for a bad check (also in the console's member rows).
    std::int32_t BadCheckPackets() const { return engine_->BadCheckPackets(); }

    // The console window.
    void ShowConsole(bool visible);
    bool ConsoleVisible() const { return isVisible(); }

    CommEngine& Engine() { return *engine_; }
    const CommEngine& Engine() const { return *engine_; }
    QListView* LogList() const { return lstClientLog_; }
    // The log's lines as they stand (the list view hears of them once per frame).
    const ListBox& LogLines() const { return *logBox_; }
    QTableWidget* MemberGrid() const { return grid_; }
    QLabel* ErrorLabel() const { return lblError_; }
    QPushButton* HideButton() const { return cmdHide_; }

    // Raised on the user-interface thread when the engine raises them.
    std::function<void(const CommType&)> onReceivedData;
    std::function<void()> onOverflow;
    std::function<void()> onDisconnection;
    // The bad-check count changed (it only grows, wrapping at 100000000), for the operator's screen.
    std::function<void(std::int32_t)> onBadCheckCount;
    // The engine's link report (a failure naming the hub, or up again after one).
    std::function<void(const std::string&)> onLinkReport;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Depth;
    void BuildWidgets();
    void ApplyLayout();
    void SetErrorCaption(const std::string& text);
    void GuardSocketNotifications();

    QtTcpSocket socket_;
    SystemClock clock_;
    QtEventPump pump_;
    std::unique_ptr<CommEngine> engine_;

    QListView* lstClientLog_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLabel* lblError_ = nullptr;
    QPushButton* cmdHide_ = nullptr;
    QTimer* engineTimer_ = nullptr;
    QtLineListBox* logBox_ = nullptr; // owned by lstClientLog_
    std::unique_ptr<QtFlexGrid> gridBox_;
    std::unique_ptr<ClientLogView> log_;
    std::unique_ptr<MemberGridView> gridView_;
    int depth_ = 0;
};

} // namespace zeva
