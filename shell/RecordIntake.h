#pragma once
#include "comms/CommType.h"
#include "comms/HubLink.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace zeva {

class ListBox;

// Records from the hub to the displays: the X25 source filter, the record ring between arrival and
// display, one record shown per call of ProcessNextRecord, and the synchronous requests.
//
// Every record received is shown, in order, and the records waiting are bounded: at kMaxWaiting
// the intake stops reading from the hub, so TCP holds the rest at the hub, and reads again once
// half of them are shown. Nothing is lost and memory stays bounded however long a burst lasts.
// BufferInPtr and BufferOutPtr count 0 to 99 for the two status labels.
//
// With onRecordsWaiting set, arrivals only wait and the owner shows them through ShowWaiting in
// slices (the window: between its other events, so a flood never freezes it); without it, each
// arrival is shown at once.
class RecordIntake {
  public:
    // Shows one record text: into the record queue, the Output window, the Full fields list when
    // Auto Update FF is ticked, and the beep when Beep is ticked.
    using ShowRecord = std::function<void(const std::string& recordText)>;
    // A line for the comms console log.
    using LogLine = std::function<void(const std::string& line)>;

    static constexpr std::size_t kMaxWaiting = 2000;

    RecordIntake(HubLink& hub, ListBox& clients, ShowRecord show, LogLine log = {});

    // Raised after an arrival left records waiting.
    std::function<void()> onRecordsWaiting;

    void SetAsync(bool async) { async_ = async; }
    bool Async() const { return async_; }

    // The hub connection's ReceivedData notification: the packet it handed over, or null when it
    // held it back.
    void ClientReceivedData(const CommType* packet);
    // Shows at most one waiting record; true when one was shown.
    bool ProcessNextRecord();
    // Shows waiting records in order: at least one, then as long as keepGoing says so (all of them
    // without it). Resumes reading from the hub once there is room. Returns how many were shown.
    std::size_t ShowWaiting(const std::function<bool()>& keepGoing = {});
    // Log-off: takes in what the hub connection has read ahead, so every record that reached this
    // client before its 1002 leaves is still shown. Until the next link (NewLink) the intake then
    // reads everything the hub still sends (it sends nothing new after the 1002 and closes the
    // link, so what comes is bounded by what was under way) and asks for nothing more.
    void TakeEverythingArrived();
    void NewLink() { loggingOff_ = false; }
    // Hands over the records still waiting, in order, and forgets them (the close: what could not
    // be shown in time goes to the record trail).
    std::deque<std::string> TakeWaiting();
    bool ReceivePaused() const { return paused_; }
    // Asks the hub for the next packet when no request is outstanding (synchronous mode).
    void CheckHubBuffer();
    // timServerTimer's intake step (the heartbeat is the window's).
    void ServerTimerTick();

    // Records from the hub shown so far (the window's processed label also counts Output Tests).
    std::int64_t RecordsProcessed() const { return shown_; }
    // Records received (selected, not control packets) so far.
    std::int64_t Received() const { return received_; }
    int BufferInPtr() const { return static_cast<int>(received_ % 100); }
    int BufferOutPtr() const { return static_cast<int>(shown_ % 100); }
    std::size_t Waiting() const { return ring_.size(); }
    std::int64_t Dropped() const { return dropped_; }

    // Whether a packet's X25 source passes the client selection. A source that names neither x01
    // nor x02 is let through (and logged once per source) rather than lost unseen.
    bool SourceSelected(const std::string& source);

  private:
    void ResumeIfRoom();

    HubLink& hub_;
    ListBox& clients_;
    ShowRecord show_;
    LogLine log_;
    bool async_ = true;
    CommType requestHolder_;
    std::deque<std::string> ring_;
    std::int64_t received_ = 0, shown_ = 0, dropped_ = 0;
    std::string lastUnknownSource_;
    bool paused_ = false;
    bool loggingOff_ = false;
};

} // namespace zeva
