#include "common/OleDate.h"
#include "flags/ModuleClass.h"
#include "flags/ModuleSettings.h"
#include "flags/MonitorFlagLine.h"
#include "flags/SendToMonitor.h"
#include "tests/support/memory/FakeClock.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace zeva {
namespace {

// The monitor's kind of store: keys in a map, every write recorded.
class MapModuleSettings final : public ModuleSettings {
  public:
    std::string Read(const std::string& key, const std::string& def) override {
        auto it = values.find(key);
        return it == values.end() ? def : it->second;
    }
    bool Write(const std::string& key, const std::string& value) override {
        values[key] = value;
        return true;
    }
    std::map<std::string, std::string> values;
};

TEST(ModuleIdentifier, NormalisesCaseAndRejectsWildcards) {
    // A one-digit number is written with two places; characters after the third are not read.
    for (const auto& [in, out] :
         {std::pair{"S01", "s01"}, {"s99", "s99"}, {"m00", "m00"}, {"s7", "s07"}, {"x0123", "x01"}})
        EXPECT_EQ(ModuleClass::NormaliseIdentifier(in), out) << in;
    for (const char* bad : {"s??", "s**", "m**", "*01", "?01", "101", "", "s", "sab", "s-1", "s-5", " s01"})
        EXPECT_EQ(ModuleClass::NormaliseIdentifier(bad), std::nullopt) << bad;
}

TEST(ModuleConnect, LoadsTablesOnceForAValidIdentifierAndRefusesIndexesOutsideThem) {
    FakeClock clock;
    ModuleClass modules(clock);
    // Nothing is looked up before the tables are loaded, so no flag can leave without a source.
    EXPECT_EQ(modules.GetActionNo("TEST"), -1);
    EXPECT_FALSE(modules.Connect("s**"));
    ASSERT_TRUE(modules.Connect("S05"));
    EXPECT_EQ(std::tuple(modules.Connected(), modules.Userid(), modules.ModuleIndex(),
                         modules.GetActionNo("PWLOCK")),
              std::tuple(true, "s05", 2, 9));
    // The screen client keeps the built-in table and saves nothing.
    EXPECT_FALSE(modules.SaveModuleRegistryMonitorOnly());

    // Lookups in the built-in tables compare exactly; indexes outside them are refused.
    EXPECT_EQ(modules.id("x01"), 0);
    EXPECT_EQ(modules.id("i01"), modules.Sizeof() - 1);
    EXPECT_EQ(modules.id("S01"), -1); // group letters compare exactly
    for (std::int16_t n = 0; n < modules.ESizeof(); ++n)
        EXPECT_EQ(modules.GetActionNo(modules.EId(n)), n);
    for (const char* miss : {"pwlock", "PWLOCK ", ""})
        EXPECT_EQ(modules.GetActionNo(miss), -1) << miss;
    // Valid() tells whether the last read was inside its table (a braced list is read in order).
    EXPECT_EQ((std::tuple{modules.Title(10), modules.Valid(), modules.Title(9), modules.Valid(),
                          modules.EId(25), modules.Valid()}),
              (std::tuple{"", false, "IHub", true, "", false}));
    EXPECT_EQ(std::tuple(modules.SetTitle(10, "X"), modules.SetState(-1, 1), modules.SetETitle(25, "X")),
              std::tuple(false, false, false));

    // A mask must keep one place per flag; a group must stay one letter an identifier can start with.
    for (const std::string& bad : {std::string("011"), std::string(25, '2'), std::string(26, '1')})
        EXPECT_FALSE(modules.SetError(2, bad)) << bad;
    EXPECT_TRUE(modules.SetError(2, std::string(25, '1')));
    for (const char* bad : {"S", "ss"})
        EXPECT_FALSE(modules.Setgroup(2, bad)) << bad;
    EXPECT_TRUE(modules.Setgroup(2, "q"));
    EXPECT_TRUE(modules.SetEId(2, "TST"));

    // Only the first call counts, even with another identifier.
    modules.SetState(2, 7);
    EXPECT_TRUE(modules.Connect("m01"));
    EXPECT_EQ(std::tuple(modules.Userid(), modules.State(2)), std::tuple("s05", 7));
    EXPECT_TRUE(modules.Disconnect());
}

TEST(ModuleSettingsStore, StoredRowsOverrideAndUnusableValuesKeepDefaults) {
    FakeClock clock;
    MapModuleSettings store;
    store.values = {{"Title02", "DISPLAY"},
                    {"MaximumClients02", "20"},
                    {"MinimumClients02", "lots"},
                    {"Error Enabled02", "111"},
                    {"Error Enabled03", "1111111111111111111111111"},
                    {"Group08", "**"},
                    {"Description02", "ignored"},
                    {"Updated", "40000"}};
    ModuleClass modules(clock, &store);
    ASSERT_TRUE(modules.Connect("s01"));
    // Title, maximum, minimum, two error masks, a group, a description.
    EXPECT_EQ(std::tuple(modules.Title(2), modules.Maximum(2), modules.Minimum(2), modules.Error(2),
                         modules.Error(3), modules.group(8), modules.Description(2)),
              std::tuple("DISPLAY", 20, 1, "0110011100000000000000000", std::string(25, '1'), "m",
                         "The Screen display client "));
    EXPECT_DOUBLE_EQ(modules.Updated(), 40000.0);

    // The monitor's save writes every row under the numbered keys.
    MapModuleSettings saved;
    ModuleClass writer(clock, &saved);
    ASSERT_TRUE(writer.Connect("m01"));
    ASSERT_TRUE(writer.SetMaximum(9, 3));
    ASSERT_TRUE(writer.SaveModuleRegistryMonitorOnly());
    EXPECT_EQ(saved.values.size(), 51u);
    EXPECT_EQ(std::tuple(saved.values.at("Group09"), saved.values.at("MaximumClients09"),
                         saved.values.at("Error Enabled00")),
              std::tuple("i", "3", "0110011100011111100000001"));
}

double At(int y, int mo, int d, int h, int mi, int s) {
    return OleFromCalendar({y, mo, d, h, mi, s}).value();
}

// A flag's texts as the monitor reads them: Text1 (the flag number) to Text8, joined by "|".
std::string Texts(const CommType& p) {
    return p.Text1 + "|" + p.Text2 + "|" + p.Text3 + "|" + p.Text4 + "|" + p.Text5 + "|" + p.Text6 + "|" +
           p.Text7 + "|" + p.Text8;
}

class FlagPacketTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(modules.Connect("S07")); }
    FakeClock clock{At(2024, 2, 29, 13, 5, 9)};
    ModuleClass modules{clock};
};

TEST_F(FlagPacketTest, TestFlagFieldsOptionalTextsAndUnknownCodes) {
    CommType expected; // PacketType, Data and the rest stay cleared
    expected.Source = "s07";
    expected.Destination = "m**";
    expected.Created = clock.Now();
    expected.Text1 = "2";
    expected.Text2 = "s07";
    expected.Text3 = "s07";
    std::vector<CommType> sent;
    auto send = [&](const CommType& p) { return sent.push_back(p), true; };
    ASSERT_TRUE(SendToMonitor(modules, send, "TEST", "", ""));
    EXPECT_EQ(sent, std::vector<CommType>{expected});

    EXPECT_EQ(Texts(modules.GenerateError(9, "setup", "", true)), "9|setup|s07|||0||True");
    EXPECT_EQ(Texts(modules.GenerateError(8, "", "two", false)), "8|s07|two|||0||False");
    for (const char* unknown : {"NOSUCH", "test"})
        EXPECT_FALSE(SendToMonitor(modules, send, unknown, "", "")) << unknown;
    EXPECT_FALSE(SendToMonitor(modules, PacketSendFunction{}, "TEST", "", ""));
    // The link's answer is passed on.
    EXPECT_FALSE(SendToMonitor(
        modules, [](const CommType&) { return false; }, "PWLOCK", "", ""));
    ModuleClass unconnected(clock);
    EXPECT_FALSE(SendToMonitor(unconnected, send, "TEST", "", ""));
    EXPECT_EQ(sent.size(), 1u) << "nothing else reached the link";
}

TEST_F(FlagPacketTest, MonitorCompletionFillsTextsAndLine) {
    // As the screen client sends it: Text2 and Text3 already hold the identifier and stay.
    CommType p = modules.GenerateError(modules.GetActionNo("PWLOCK"), "", "");
    EXPECT_EQ(modules.PostGenerateError(p), 9);
    EXPECT_EQ(Texts(p),
              "9|s07|s07|Module setup has been locked by user.|" + modules.EDescription(9) + "|2|SCREEN |");
    EXPECT_EQ(p.Data,
              "29/02/24 13:05:09 (s07) SCREEN      s07      Module setup has been locked by user. (s07)");

    // Empty texts come from the tables; the code is centred in twelve places or cut to them.
    CommType q;
    q.Source = "p01";
    q.Created = At(2006, 8, 25, 7, 0, 0);
    q.Text1 = "3";
    EXPECT_EQ(modules.PostGenerateError(q), 3);
    EXPECT_EQ(Texts(q),
              "3|p01|PRNT_OFF|Printer has been placed Off-Line|" + modules.EDescription(3) + "|3|PRINT  |");
    q.Text3.clear();
    q.Text1 = "24";
    q.Source = "t01";
    q.Text2.clear();
    EXPECT_EQ(modules.PostGenerateError(q), 24);
    EXPECT_EQ(q.Data.substr(18), "(t01) TCP   TELSTRA_IPFA Printer has been placed Off-Line (t01)");

    // No flag number, or one past the table: marked, never shown as a flag line.
    for (const char* bad : {"abc", "", "25", "-1"}) {
        CommType r;
        r.Source = "z01";
        r.Text1 = bad;
        EXPECT_EQ(modules.PostGenerateError(r), -1) << bad;
        EXPECT_EQ(r.Data, "- error -");
        EXPECT_EQ(Texts(r), std::string(bad) + "|z01||||-1||");
    }
}

TEST_F(FlagPacketTest, MonitorLineShowsCodeAndTitleFromTheFlagTable) {
    CommType p = modules.GenerateError(modules.GetActionNo("PWLOCK"), "", "desk 4");
    EXPECT_EQ(
        MonitorFlagLine(modules, p),
        "29/02/24 13:05:09 (s07) SCREEN     PWLOCK    Module setup has been locked by user. (s07) | desk 4");
    p.Text1 = "25";
    EXPECT_EQ(MonitorFlagLine(modules, p), "(s07) - error -: flag number \"25\" is not in the flag table");
}

} // namespace
} // namespace zeva
