#include "shell/CommsMenu.h"
#include "shell/HubMember.h"
#include "shell/RecordAlert.h"
#include "shell/SetupBoxes.h"

#include <gtest/gtest.h>

using namespace zeva;

TEST(CommsMenu, EnablingFollowsLockAndConnection) {
    // locked, lock, connected -> Connect/Setup, Disconnect/Auto items, Show/Lock items, caption
    struct Row {
        bool locked, lock, connected, connect, disconnect, show;
        const char* caption;
    } rows[] = {
        {false, false, false, true, true, true, "Stop"},
        {false, false, true, false, true, true, "Disconnect"},
        {false, true, false, false, false, true, "Stop"},
        {true, false, false, false, false, false, "Stop"},
        {true, true, true, false, false, false, "Disconnect"},
    };
    for (const Row& r : rows) {
        const CommsMenuState s = CommsMenuEnabling(r.locked, r.lock, r.connected);
        EXPECT_EQ(std::tuple(s.Connect, s.Setup, s.Disconnect, s.AutoConnect, s.AutoShow, s.ShowCommClass,
                             s.LockCommsSetup, s.DisconnectCaption),
                  std::tuple(r.connect, r.connect, r.disconnect, r.disconnect, r.disconnect, r.show, r.show,
                             r.caption))
            << "row " << &r - rows;
    }
}

// Each box's range is the setting's own, checked against the reader by the settings catalogue's test.
TEST(SetupBoxes, EachBoxStoresItsOwnSettingClampedAndATextThatDoesNotConvertKeepsIt) {
    const std::pair<SetupBox, std::int16_t ClientSettings::*> rows[] = {
        {SetupBox::CharWidth, &ClientSettings::CharactersPerPage},
        {SetupBox::LinesPerEntry, &ClientSettings::LinesPerRecord},
        {SetupBox::PostLines, &ClientSettings::NoOfPostLines},
        {SetupBox::MaxDisplayEntries, &ClientSettings::MaxEntriesInOutput},
        {SetupBox::FullFieldsJustify, &ClientSettings::FullFieldsJustify},
        {SetupBox::MaxRecords, &ClientSettings::MaxEntriesInRecords},
        {SetupBox::Indent, &ClientSettings::LineIndentCharacters},
    };
    for (const auto& [box, value] : rows) {
        ClientSettings s;
        const ClientSettings before = s;
        const int high = SetupBoxRuleOf(box, s).high;
        SCOPED_TRACE(high);
        EXPECT_EQ(TakeSetupBox(box, std::to_string(high + 1), s), high);
        EXPECT_EQ(s.*value, high);
        s.*value = before.*value;
        for (SetupBox other : kSetupBoxes) { // no other setting moved
            const auto member = SetupBoxRuleOf(other, s).value;
            EXPECT_EQ(s.*member, before.*member);
        }
        for (const char* bad : {"x", "", "99999999999"}) // beyond 32 bits does not convert
            EXPECT_EQ(TakeSetupBox(box, bad, s), before.*value) << bad;
    }
    ClientSettings narrow;
    narrow.CharactersPerPage = 40;
    EXPECT_EQ(SetupBoxRuleOf(SetupBox::Indent, narrow).high, 40) << "an indent is at most a line's width";
}

TEST(HubMember, AsynchronousAndSynchronousLogins) {
    ClientSettings s;
    s.RemoteAddress = "10.1.2.3";
    s.RemotePort = 6001;
    CommMemberType m;
    FillHubMember(m, s, "s05", "DESK7");
    EXPECT_EQ(std::tuple(m.Mode, m.Description, m.Identifier, m.ServerAddress, m.ServerPort),
              std::tuple(276, std::string("Screen Client on \"DESK7\" (ASYNC)"), "s05", "10.1.2.3", 6001));
    EXPECT_DOUBLE_EQ(m.WatchDog * 86400, 120.0);
    s.AsyncComms = false;
    FillHubMember(m, s, "s05", "DESK7");
    EXPECT_EQ(std::tuple(m.Mode, m.Description), std::tuple(279, "Screen Client on \"DESK7\" (SYNC)"));
}

TEST(RecordAlert, AFloodAsksOnceUntilTheWindowIsActivated) {
    RecordAlert flash(RecordAlert::kFlash);
    EXPECT_FALSE(flash.RecordArrived(true).Flash) << "the active window asks nothing";
    const RecordAlert::Request first = flash.RecordArrived(false);
    EXPECT_TRUE(first.Flash);
    EXPECT_FALSE(first.Bell);
    EXPECT_FALSE(flash.RecordArrived(false).Flash) << "a flood asks once";
    flash.Activated();
    EXPECT_TRUE(flash.RecordArrived(false).Flash) << "after activation the next record asks again";
    EXPECT_FALSE(flash.RecordArrived(true).Flash);
    EXPECT_TRUE(flash.RecordArrived(false).Flash) << "a record seen in the active window ends the request";

    RecordAlert bell(RecordAlert::kFlashAndBell);
    const RecordAlert::Request rung = bell.RecordArrived(false);
    EXPECT_TRUE(rung.Flash && rung.Bell);
    EXPECT_FALSE(bell.RecordArrived(false).Bell);

    EXPECT_FALSE(RecordAlert(RecordAlert::kNone).RecordArrived(false).Flash);
    EXPECT_EQ(RecordAlert(7).Mode(), RecordAlert::kFlash) << "an unknown value is the default";
    EXPECT_EQ(RecordAlert(-1).Mode(), RecordAlert::kFlash);
}
