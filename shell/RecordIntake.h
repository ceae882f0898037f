#pragma once
#include "comms/CommType.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace zeva {

class ListBox;

// What record intake needs of the hub connection.
class HubLink {
  public:
    virtual ~HubLink() = default;
    virtual bool Receive(CommType& packet) = 0;
    virtual bool Request(CommType& packet) = 0;
    virtual void SetRequest(CommType& packet, bool flag) = 0;
    virtual void GetNextPktBuffer() = 0;
};

// Records from the hub to the displays: the X25 source filter, the record ring between arrival and
// display, one record shown per call of ProcessNextRecord, and the synchronous requests.
//
// The ring is unbounded: every record received is shown, in order, however many wait (the old
// 100-slot ring read as empty once 100 were waiting). BufferInPtr and BufferOutPtr still count
// 0 to 99 for the two status labels.
class RecordIntake {
  public:
    // Shows one record text: into the record queue, the Output window, the Full fields list when
    // Auto Update FF is ticked, and the beep when Beep is ticked.
    using ShowRecord = std::function<void(const std::string& recordText)>;
    // A line for the comms console log.
    using LogLine = std::function<void(const std::string& line)>;

    RecordIntake(HubLink& hub, ListBox& clients, ShowRecord show, LogLine log = {});

    void SetAsync(bool async) { async_ = async; }
    bool Async() const { return async_; }

    // The hub connection's ReceivedData notification.
    void ClientReceivedData();
    // Shows at most one waiting record; true when one was shown.
    bool ProcessNextRecord();
    // Asks the hub for the next packet when no request is outstanding (synchronous mode).
    void CheckHubBuffer();
    // timServerTimer's intake step (the heartbeat is the window's).
    void ServerTimerTick();

    // Records from the hub shown so far (the window's processed label also counts Output Tests).
    std::int64_t RecordsProcessed() const { return shown_; }
    // "hh:mm:ss dd/mm/yyyy" of the last record shown, given the clock's now by the caller.
    int BufferInPtr() const { return static_cast<int>(received_ % 100); }
    int BufferOutPtr() const { return static_cast<int>(shown_ % 100); }
    std::size_t Waiting() const { return ring_.size(); }
    std::int64_t Dropped() const { return dropped_; }

    // Whether a packet's X25 source passes the client selection. A source that names neither x01
    // nor x02 is let through (and logged once per source) rather than lost unseen.
    bool SourceSelected(const std::string& source);

  private:
    HubLink& hub_;
    ListBox& clients_;
    ShowRecord show_;
    LogLine log_;
    bool async_ = true;
    CommType holder_;
    CommType requestHolder_;
    std::deque<std::string> ring_;
    std::int64_t received_ = 0, shown_ = 0, dropped_ = 0;
    std::string lastUnknownSource_;
};

} // namespace zeva
