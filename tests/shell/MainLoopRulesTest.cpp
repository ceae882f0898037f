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
        EXPECT_EQ(s.Connect, r.connect);
        EXPECT_EQ(s.Setup, r.connect);
        EXPECT_EQ(s.Disconnect, r.disconnect);
        EXPECT_EQ(s.AutoConnect, r.disconnect);
        EXPECT_EQ(s.AutoShow, r.disconnect);
        EXPECT_EQ(s.ShowCommClass, r.show);
        EXPECT_EQ(s.LockCommsSetup, r.show);
        EXPECT_EQ(s.DisconnectCaption, r.caption);
    }
}

TEST(SetupBoxes, ConvertClampOrKeepThePreviousValue) {
    EXPECT_EQ(SetupBoxValue("200", 138, 1, 1000), 200);
    EXPECT_EQ(SetupBoxValue("5000", 138, 1, 1000), 1000);
    EXPECT_EQ(SetupBoxValue("0", 138, 1, 1000), 1);
    EXPECT_EQ(SetupBoxValue("", 138, 1, 1000), 138);
    EXPECT_EQ(SetupBoxValue("99999999999", 50, 1, 10000), 50) << "beyond 32 bits does not convert";
}

TEST(SetupBoxes, EachBoxStoresItsOwnSettingWithinItsRange) {
    // box, typed text, setting it must change, value it must take
    struct Row {
        SetupBox box;
        const char* text;
        std::int16_t ClientSettings::*value;
        std::int16_t expected;
    } rows[] = {
        {SetupBox::CharWidth, "5000", &ClientSettings::CharactersPerPage, 1000},
        {SetupBox::LinesPerEntry, "51", &ClientSettings::LinesPerRecord, 50},
        {SetupBox::PostLines, "99", &ClientSettings::NoOfPostLines, 20},
        {SetupBox::MaxDisplayEntries, "0", &ClientSettings::MaxEntriesInOutput, 1},
        {SetupBox::FullFieldsJustify, "301", &ClientSettings::FullFieldsJustify, 300},
        {SetupBox::MaxRecords, "9999", &ClientSettings::MaxEntriesInRecords, 1000},
        {SetupBox::Indent, "500", &ClientSettings::LineIndentCharacters, 138}, // at most a line's width
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        ClientSettings s;
        const ClientSettings before = s;
        EXPECT_EQ(TakeSetupBox(r.box, r.text, s), r.expected);
        EXPECT_EQ(s.*r.value, r.expected);
        s.*r.value = before.*r.value;
        for (SetupBox other : kSetupBoxes) { // no other setting moved
            const auto member = SetupBoxRuleOf(other, s).value;
            EXPECT_EQ(s.*member, before.*member);
        }
        EXPECT_EQ(TakeSetupBox(r.box, "x", s), before.*r.value)
            << "a text that does not convert keeps the value";
    }
    ClientSettings narrow;
    narrow.CharactersPerPage = 40;
    EXPECT_EQ(SetupBoxRuleOf(SetupBox::Indent, narrow).high, 40);
    EXPECT_EQ(SetupBoxRuleOf(SetupBox::MaxDisplayEntries, narrow).digits, 5);
}

TEST(HubMember, AsynchronousAndSynchronousLogins) {
    ClientSettings s;
    s.RemoteAddress = "10.1.2.3";
    s.RemotePort = 6001;
    CommMemberType m;
    FillHubMember(m, s, "s05", "DESK7");
    EXPECT_EQ(m.Mode, 276);
    EXPECT_EQ(m.Description, "Screen Client on \"DESK7\" (ASYNC)");
    EXPECT_EQ(m.Identifier, "s05");
    EXPECT_EQ(m.ServerAddress, "10.1.2.3");
    EXPECT_EQ(m.ServerPort, 6001);
    EXPECT_DOUBLE_EQ(m.MemberExpire * 24, 1.0);
    EXPECT_DOUBLE_EQ(m.WatchDog * 86400, 120.0);
    s.AsyncComms = false;
    FillHubMember(m, s, "s05", "DESK7");
    EXPECT_EQ(m.Mode, 279);
    EXPECT_EQ(m.Description, "Screen Client on \"DESK7\" (SYNC)");
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
