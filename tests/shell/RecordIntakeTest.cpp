#include "shell/RecordIntake.h"
#include "tests/support/memory/MemoryListBox.h"

#include <gtest/gtest.h>

using namespace zeva;

namespace {

// A hub connection whose arrivals the test scripts: packets wait in order and Deliver hands the
// oldest to the intake with the notification, as the connection does (nothing: a packet held back).
class ScriptedHub final : public HubLink {
  public:
    std::deque<CommType> waiting;
    int requests = 0;
    bool requestLatched = false;

    void Arrive(const std::string& source, const std::string& data, const std::string& type = "DATA") {
        CommType p;
        p.Source = source;
        p.Data = data;
        p.PacketType = type;
        waiting.push_back(p);
    }
    void Deliver(RecordIntake& intake) {
        if (waiting.empty()) return intake.ClientReceivedData(nullptr);
        const CommType packet = waiting.front();
        waiting.pop_front();
        requestLatched = false;
        intake.ClientReceivedData(&packet);
    }
    bool Request(CommType&) override { return requestLatched; }
    void SetRequest(CommType&, bool flag) override {
        requestLatched = flag;
        if (flag) ++requests;
    }
    void GetNextPktBuffer() override {}
    void PauseReceive(bool paused) override { pauses.push_back(paused); }
    std::vector<bool> pauses;
};

class RecordIntakeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clients.AddItem("x01");
        clients.AddItem("x02");
        clients.SetSelected(0, true);
        clients.SetSelected(1, true);
    }
    RecordIntake Make() {
        return RecordIntake(
            hub, clients, [this](const std::string& t) { shown.push_back(t); },
            [this](const std::string& l) { log.push_back(l); });
    }
    ScriptedHub hub;
    MemoryListBox clients;
    std::vector<std::string> shown, log;
};

} // namespace

TEST_F(RecordIntakeTest, TheClientSelectionFiltersAnUnknownSourceIsShownAndControlPacketsAreNoRecords) {
    clients.SetSelected(1, false);
    RecordIntake intake = Make();
    // Only the number counts, as ever: y01 is x01.
    for (const char* source : {"x02", "x01", "x07", "x99", "x00", "", "x", "x-1", "y01"})
        hub.Arrive(source, std::string("from ") + source);
    hub.Arrive("h01", "", "1002");
    hub.Arrive("h01", "", "1007");
    while (!hub.waiting.empty())
        hub.Deliver(intake);
    EXPECT_EQ(shown, (std::vector<std::string>{"from x01", "from x07", "from x99", "from x00", "from ",
                                               "from x", "from x-1", "from y01"}));
    EXPECT_EQ(intake.RecordsProcessed(), 8);
    EXPECT_EQ(intake.Dropped(), 1);
    EXPECT_EQ(log.size(), 6u) << "every source that names no client, never indexed past the list";
    EXPECT_EQ(log[0], "RXD: record from source [x07] names no X25 client; shown");
}

TEST_F(RecordIntakeTest, SynchronousIntakeAsksOncePerRecordAsynchronousNeverAsks) {
    RecordIntake intake = Make();
    intake.SetAsync(false);
    intake.ServerTimerTick();
    EXPECT_EQ(hub.requests, 1) << "the tick asks for a packet";
    intake.ServerTimerTick();
    EXPECT_EQ(hub.requests, 1) << "but not while one is outstanding";
    hub.Arrive("x01", "a");
    hub.Deliver(intake);
    EXPECT_EQ(hub.requests, 2) << "each record received asks for the next at once";
    intake.SetAsync(true);
    intake.ServerTimerTick();
    EXPECT_EQ(hub.requests, 2) << "an asynchronous tick never asks";
}

TEST_F(RecordIntakeTest, AFloodWaitsBoundedAtTheHubAndLosesNothing) {
    RecordIntake intake = Make();
    int wakeups = 0;
    intake.onRecordsWaiting = [&] { ++wakeups; };
    const std::size_t flood = RecordIntake::kMaxWaiting + 500;
    for (std::size_t i = 0; i < flood; ++i) {
        hub.Arrive("x01", "r" + std::to_string(i));
        hub.Deliver(intake);
    }
    EXPECT_TRUE(shown.empty()) << "arrivals wait for the owner's slices";
    EXPECT_EQ(wakeups, int(flood));
    EXPECT_EQ(hub.pauses, std::vector<bool>{true}) << "reading stops once at the bound";
    EXPECT_TRUE(intake.ReceivePaused());

    // A slice shows what its time allows; reading resumes once half the bound is left.
    int budget = 100;
    EXPECT_EQ(intake.ShowWaiting([&] { return --budget > 0; }), 100u);
    EXPECT_EQ(hub.pauses.size(), 1u);
    intake.ShowWaiting([&] { return intake.Waiting() > RecordIntake::kMaxWaiting / 2; });
    EXPECT_EQ(hub.pauses, (std::vector<bool>{true, false}));
    intake.ShowWaiting();
    ASSERT_EQ(shown.size(), flood);
    for (std::size_t i = 0; i < flood; i += 97)
        EXPECT_EQ(shown[i], "r" + std::to_string(i));
    EXPECT_EQ(intake.Waiting(), 0u);
    const int label = int(flood % 100); // the labels count to 99
    EXPECT_EQ(std::pair(intake.BufferInPtr(), intake.BufferOutPtr()), std::pair(label, label));

    // A synchronous client asks for nothing more while the bound is reached.
    intake.SetAsync(false);
    for (std::size_t i = 0; i < RecordIntake::kMaxWaiting; ++i) {
        hub.Arrive("x01", "s");
        hub.Deliver(intake);
    }
    const int asked = hub.requests;
    hub.requestLatched = false;
    intake.ServerTimerTick();
    EXPECT_EQ(hub.requests, asked);
    intake.ShowWaiting();
    intake.ServerTimerTick();
    EXPECT_EQ(hub.requests, asked + 1);
}

TEST_F(RecordIntakeTest, AfterTheLogOffEverythingUnderWayIsReadAndNothingMoreAsked) {
    // Held back after the 1002, the records under way would stay in the socket when the hub closes
    // the link, and be lost with it.
    RecordIntake intake = Make();
    intake.onRecordsWaiting = [] {};
    intake.SetAsync(false);
    intake.TakeEverythingArrived();
    const int asked = hub.requests;
    const std::size_t tail = RecordIntake::kMaxWaiting + 300;
    for (std::size_t i = 0; i < tail; ++i) {
        hub.Arrive("x01", "t" + std::to_string(i));
        hub.Deliver(intake);
    }
    EXPECT_EQ(hub.pauses, std::vector<bool>{false}) << "no pause at the bound";
    intake.ServerTimerTick();
    EXPECT_EQ(hub.requests, asked) << "no request after the 1002";
    EXPECT_EQ(intake.Received(), std::int64_t(tail));
    intake.ShowWaiting([&] { return shown.size() < 10; });
    const auto rest = intake.TakeWaiting();
    ASSERT_EQ(shown.size() + rest.size(), tail);
    EXPECT_EQ(rest.front(), "t10");
    EXPECT_EQ(intake.Waiting(), 0u);

    // The next link is bounded and asks again.
    intake.NewLink();
    intake.ServerTimerTick();
    EXPECT_EQ(hub.requests, asked + 1);
}
