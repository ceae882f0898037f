#include "model/RecordText.h"
#include "model/ZVFieldType.h"
#include "model/ZVRecordType.h"

#include "tests/model/FieldLine.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace zeva {
namespace {

using test::FieldLine;

const std::string kTab = "\t";

TEST(FieldPacket, RoundTripKeepsEveryCarriedMemberAndCopyAndClearReachEveryMember) {
    std::string packet;
    ASSERT_TRUE(ZVFieldType{}.CreatePacket(packet));
    EXPECT_EQ(packet, "00000" + kTab + "8" + kTab + "000000000000000000000000" + "0004True");
    const ZVFieldType f{.Identifier = 101,
                        .Title = "NAME",
                        .VType = 7,
                        .Description = "Call date\twith a tab",
                        .Default = "01/02/2001",
                        .DFormat = "dd/mm/yyyy",
                        .Minsize = "1",
                        .Maxsize = "99",
                        .DBase = false,
                        .QMapTo = 4};
    ASSERT_TRUE(f.CreatePacket(packet));
    EXPECT_EQ(packet.substr(0, 18), "0000101" + kTab + "7" + kTab + "0004NAME");
    ZVFieldType back;
    ASSERT_TRUE(back.ExtractPacket(packet));
    EXPECT_EQ(FieldLine(back), FieldLine(f));
    EXPECT_EQ(back.QMapTo, -1); // not carried

    ZVFieldType a;
    a.Identifier = 9;
    a.QMapTo = 3;
    ASSERT_TRUE(a.Copy(back));
    EXPECT_EQ(std::tuple(FieldLine(back), back.QMapTo), std::tuple("9|8|||||||True", 3));
    a.DBase = false;
    a.Clear();
    EXPECT_EQ(std::tuple(FieldLine(a), a.QMapTo), std::tuple("0|8|||||||True", -1));
}

TEST(FieldPacket, BadOrCutShortPacketsReadTheirSoundFront) {
    ZVFieldType f;
    f.Title = "OLD";
    // A wrong check field leaves the object cleared.
    EXPECT_FALSE(f.ExtractPacket("0001101" + kTab + "8" + kTab + "0004NAME"));
    EXPECT_EQ(FieldLine(f), FieldLine(ZVFieldType{}));
    for (const char* bad : {"abcd", "00", "", "0000abc"}) // without a TAB the rest is the value
        EXPECT_FALSE(f.ExtractPacket(bad)) << bad;
    EXPECT_FALSE(f.ExtractPacket("0000101" + kTab + "x" + kTab));

    // Title complete, Description's count runs past the end: the rest stays cleared.
    EXPECT_TRUE(f.ExtractPacket("0000101" + kTab + "2" + kTab + "0004NAME0010abc"));
    EXPECT_EQ(FieldLine(f), "101|2|NAME||||||True");
    // A count that is not four digits (a sign) ends the read too.
    EXPECT_TRUE(f.ExtractPacket("0000101" + kTab + "2" + kTab + "-004NAME"));
    EXPECT_EQ(f.Title, "");
}

TEST(FieldPacket, TextTooLongForItsCountFailsAndOverlongPacketIsCut) {
    ZVFieldType f;
    f.Identifier = 5;
    f.Title = "T";
    f.Description = std::string(10000, 'x');
    std::string packet;
    EXPECT_FALSE(f.CreatePacket(packet));
    EXPECT_EQ(packet, "00005" + kTab + "8" + kTab + "0001T");
    f.Clear();
    f.Title = std::string(9980, 'a');
    ASSERT_TRUE(f.CreatePacket(packet));
    ASSERT_GT(packet.size(), ZVFieldType::kMaxPacket);
    ZVFieldType back;
    EXPECT_TRUE(back.ExtractPacket(packet));
    // The cut fell inside the later pieces.
    EXPECT_EQ(std::tuple(back.Title.size(), back.Description), std::tuple(9980u, ""));
}

std::vector<std::pair<int, std::string>> Iterate(ZVRecordType& r) {
    std::vector<std::pair<int, std::string>> out;
    std::int16_t source = -2;
    for (std::string v = r.field(source); source != -1; v = r.field(source = -1))
        out.emplace_back(source, v);
    return out;
}

TEST(RecordText, SettingAgainMovesTheFieldToTheEndReplacesEveryCopyAndACopyTakesTheResult) {
    ZVRecordType r;
    r.SetField(101, "A");
    r.SetField(102, "B");
    r.SetField(101, "C");
    EXPECT_EQ(r.RawData(), "00050102B00050101C");
    EXPECT_EQ(Iterate(r), (std::vector<std::pair<int, std::string>>{{102, "B"}, {101, "C"}}));
    EXPECT_EQ(r.field(101), "C");
    r.SetRawData("000501013"
                 "00060102xy"
                 "00050101z");
    EXPECT_EQ(r.field(101), "3"); // the first of two entries, as a walk from the start finds it
    ASSERT_TRUE(r.SetField(101, "new"));
    EXPECT_EQ(r.RawData(), "00060102xy"
                           "00070101new");
    ZVRecordType copy;
    ASSERT_TRUE(r.Copy(copy));
    EXPECT_EQ(copy.field(102), "xy");
    copy.Clear();
    EXPECT_EQ(copy.RawData(), "");
}

TEST(RecordText, EmptyValuesAbsentFieldsAndValuesThatDoNotFit) {
    ZVRecordType r;
    r.SetField(7, "");
    EXPECT_EQ(r.RawData(), "00040007");
    std::int16_t source = 8;
    EXPECT_EQ(r.field(source), "");
    EXPECT_EQ(source, 8); // a plain get leaves source alone
    EXPECT_EQ(RecordText::Get("", 101), "");
    EXPECT_FALSE(RecordText::Find("00040007", 8).has_value());
    EXPECT_TRUE(RecordText::Find("00040007", 7).has_value());
    ZVRecordType gap;
    gap.SetField(7, "seven");
    gap.SetField(9, "nine");
    EXPECT_EQ(gap.field(8), ""); // absent between two present fields: not the next one's value
    EXPECT_FALSE(r.SetField(10000, "x"));
    EXPECT_FALSE(r.SetField(-1, "x"));
    EXPECT_FALSE(r.SetField(5, std::string(9996, 'v')));
    EXPECT_TRUE(r.SetField(5, std::string(9995, 'v')));
    EXPECT_EQ(r.RawData().substr(8, 8), "99990005");
    EXPECT_EQ(r.field(5).size(), 9995u);
}

TEST(RecordText, MalformedTextsReadTheirSoundFrontAndEnd) {
    const std::string good = "000501013"; // field 101 = 3
    const std::pair<const char*, std::string> cases[] = {{"length past the end", "00990102abc"},
                                                         {"length below four", "00020102"},
                                                         {"negative length", "-0040102"},
                                                         {"field number not numeric", "0005ab02x"},
                                                         {"header cut off", "0005010"}};
    for (const auto& [name, tail] : cases) {
        SCOPED_TRACE(name);
        ZVRecordType r;
        r.SetRawData(good + tail);
        EXPECT_EQ(
            std::tuple(r.field(101), r.field(102), Iterate(r).size(), RecordText::SoundLength(r.RawData())),
            std::tuple("3", "", 1u, good.size()));
        // Setting a field drops the unreadable tail so the new entry can be read back.
        ASSERT_TRUE(r.SetField(103, "new"));
        EXPECT_EQ(std::tuple(r.RawData(), r.field(103)), std::tuple(good + "00070103new", "new"));
    }
}

TEST(RecordText, ImportPipeRecordNumbersEveryValueFrom101UpTo9999) {
    EXPECT_EQ(RecordText::ImportPipeRecord(""), "00040101");
    EXPECT_EQ(RecordText::ImportPipeRecord("a||b|"), "00050101a0004010200050103b00040104");
    const std::string text = RecordText::ImportPipeRecord(std::string(10000, '|')); // 10001 values
    EXPECT_EQ(text.size(), (9999u - 100u) * 8u);
    EXPECT_TRUE(RecordText::Find(text, 9999).has_value());
}

} // namespace
} // namespace zeva
