#include "model/RecordText.h"
#include "model/ZVFieldType.h"
#include "model/ZVRecordType.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeva {
namespace {

const std::string kTab = "\t";

TEST(FieldPacket, ClearedDefinitionWritesItsPieces) {
    ZVFieldType f;
    std::string packet;
    ASSERT_TRUE(f.CreatePacket(packet));
    EXPECT_EQ(packet, "0000"
                      "0" +
                          kTab + "8" + kTab +
                          "000000000000000000000000"
                          "0004True");
}

TEST(FieldPacket, RoundTripKeepsEveryCarriedMember) {
    ZVFieldType f;
    f.Identifier = 101;
    f.Title = "NAME";
    f.VType = 7;
    f.Description = "Call date\twith a tab";
    f.Default = "01/02/2001";
    f.DFormat = "dd/mm/yyyy";
    f.Minsize = "1";
    f.Maxsize = "99";
    f.DBase = false;
    f.QMapTo = 4;
    std::string packet;
    ASSERT_TRUE(f.CreatePacket(packet));
    EXPECT_EQ(packet.substr(0, 18), "0000101" + kTab + "7" + kTab + "0004NAME");

    ZVFieldType back;
    ASSERT_TRUE(back.ExtractPacket(packet));
    EXPECT_EQ(back.Identifier, 101);
    EXPECT_EQ(back.VType, 7);
    EXPECT_EQ(back.Title, "NAME");
    EXPECT_EQ(back.Description, "Call date\twith a tab");
    EXPECT_EQ(back.Default, "01/02/2001");
    EXPECT_EQ(back.DFormat, "dd/mm/yyyy");
    EXPECT_EQ(back.Minsize, "1");
    EXPECT_EQ(back.Maxsize, "99");
    EXPECT_FALSE(back.DBase);
    EXPECT_EQ(back.QMapTo, -1); // not carried
}

TEST(FieldPacket, WrongCheckFieldLeavesTheObjectCleared) {
    ZVFieldType f;
    f.Title = "OLD";
    EXPECT_FALSE(f.ExtractPacket("0001101" + kTab + "8" + kTab + "0004NAME"));
    EXPECT_EQ(f.Title, "");
    EXPECT_EQ(f.Identifier, 0);
    EXPECT_FALSE(f.ExtractPacket("abcd"));
    EXPECT_FALSE(f.ExtractPacket("00"));
    EXPECT_FALSE(f.ExtractPacket(""));
}

TEST(FieldPacket, CutShortPacketReadsItsSoundFront) {
    ZVFieldType f;
    // Title complete, Description's count runs past the end: the rest stays cleared.
    EXPECT_TRUE(f.ExtractPacket("0000101" + kTab + "2" + kTab + "0004NAME0010abc"));
    EXPECT_EQ(f.Identifier, 101);
    EXPECT_EQ(f.VType, 2);
    EXPECT_EQ(f.Title, "NAME");
    EXPECT_EQ(f.Description, "");
    EXPECT_TRUE(f.DBase);
    // A count that is not four digits (a sign) ends the read too.
    EXPECT_TRUE(f.ExtractPacket("0000101" + kTab + "2" + kTab + "-004NAME"));
    EXPECT_EQ(f.Title, "");
    // Without a TAB the rest of the line is the value; a number that does not convert fails.
    EXPECT_FALSE(f.ExtractPacket("0000abc"));
    EXPECT_FALSE(f.ExtractPacket("0000101" + kTab + "x" + kTab));
}

TEST(FieldPacket, TextTooLongForItsCountFails) {
    ZVFieldType f;
    f.Identifier = 5;
    f.Title = "T";
    f.Description = std::string(10000, 'x');
    std::string packet;
    EXPECT_FALSE(f.CreatePacket(packet));
    EXPECT_EQ(packet, "00005" + kTab + "8" + kTab + "0001T");
}

TEST(FieldPacket, OverlongSourceIsCutAtTenThousand) {
    ZVFieldType f;
    f.Title = std::string(9980, 'a');
    std::string packet;
    ASSERT_TRUE(f.CreatePacket(packet));
    ASSERT_GT(packet.size(), ZVFieldType::kMaxPacket);
    ZVFieldType back;
    EXPECT_TRUE(back.ExtractPacket(packet));
    EXPECT_EQ(back.Title.size(), 9980u);
    EXPECT_EQ(back.Description, ""); // the cut fell inside the later pieces
}

TEST(FieldPacket, CopyCopiesAllTenMembers) {
    ZVFieldType a;
    a.Identifier = 9;
    a.Title = "T";
    a.QMapTo = 3;
    a.DBase = false;
    ZVFieldType b;
    ASSERT_TRUE(a.Copy(b));
    EXPECT_EQ(b.Identifier, 9);
    EXPECT_EQ(b.QMapTo, 3);
    EXPECT_FALSE(b.DBase);
    b.Clear();
    EXPECT_EQ(b.VType, 8);
    EXPECT_EQ(b.QMapTo, -1);
    EXPECT_TRUE(b.DBase);
}

std::vector<std::pair<int, std::string>> Iterate(ZVRecordType& r) {
    std::vector<std::pair<int, std::string>> out;
    std::int16_t source = -2;
    for (std::string v = r.field(source); source != -1; v = r.field(source = -1))
        out.emplace_back(source, v);
    return out;
}

TEST(RecordText, SettingAgainMovesTheFieldToTheEnd) {
    ZVRecordType r;
    r.SetField(101, "A");
    r.SetField(102, "B");
    r.SetField(101, "C");
    EXPECT_EQ(r.RawData, "00050102B00050101C");
    auto all = Iterate(r);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], std::make_pair(102, std::string("B")));
    EXPECT_EQ(all[1], std::make_pair(101, std::string("C")));
    EXPECT_EQ(r.field(101), "C");
}

TEST(RecordText, EmptyValuesAndAbsentFields) {
    ZVRecordType r;
    r.SetField(7, "");
    EXPECT_EQ(r.RawData, "00040007");
    std::int16_t source = 8;
    EXPECT_EQ(r.field(source), "");
    EXPECT_EQ(source, 8); // a plain get leaves source alone
    source = 7;
    EXPECT_EQ(r.field(source), "");
    EXPECT_EQ(RecordText::Get("", 101), "");
    EXPECT_FALSE(RecordText::Find("00040007", 8).has_value());
    EXPECT_TRUE(RecordText::Find("00040007", 7).has_value());
}

TEST(RecordText, NumbersAndValuesThatDoNotFitAreRefused) {
    ZVRecordType r;
    EXPECT_FALSE(r.SetField(10000, "x"));
    EXPECT_FALSE(r.SetField(-1, "x"));
    EXPECT_FALSE(r.SetField(5, std::string(9996, 'v')));
    EXPECT_TRUE(r.SetField(5, std::string(9995, 'v')));
    EXPECT_EQ(r.RawData.substr(0, 8), "99990005");
    EXPECT_EQ(r.field(5).size(), 9995u);
}

TEST(RecordText, MalformedTextsReadTheirSoundFrontAndEnd) {
    const std::string good = "000501013"; // field 101 = 3
    struct Case {
        const char* name;
        std::string tail;
    };
    const std::vector<Case> cases = {
        {"length past the end", "00990102abc"},
        {"length below four", "00020102"},
        {"length zero", "00000102"},
        {"negative length", "-0040102"},
        {"blank in length", " 0050102x"},
        {"field number not numeric", "0005ab02x"},
        {"header cut off", "0005010"},
        {"one stray character", "9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZVRecordType r;
        r.RawData = good + c.tail;
        EXPECT_EQ(r.field(101), "3");
        EXPECT_EQ(r.field(102), "");
        auto all = Iterate(r);
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(RecordText::SoundLength(r.RawData), good.size());
        // Setting a field drops the unreadable tail so the new entry can be read back.
        ASSERT_TRUE(r.SetField(103, "new"));
        EXPECT_EQ(r.RawData, good + "00070103new");
        EXPECT_EQ(r.field(103), "new");
    }
}

TEST(RecordText, SettingAFieldHeldTwiceReplacesBothCopies) {
    ZVRecordType r;
    r.RawData = "000501013"
                "00060102xy"
                "00050101z";
    ASSERT_TRUE(r.SetField(101, "new"));
    EXPECT_EQ(r.RawData, "00060102xy"
                         "00070101new");
    EXPECT_EQ(r.field(101), "new");
}

TEST(RecordText, ImportPipeRecordNumbersEveryValueFrom101) {
    EXPECT_EQ(RecordText::ImportPipeRecord(""), "00040101");
    EXPECT_EQ(RecordText::ImportPipeRecord("a||b|"), "00050101a0004010200050103b00040104");
    const std::string line = "3|123456|2001-02-03|04:05:06|0311112222|A|TOLE|MARGARET|THE LAMP "
                             "KEEPER|MS|FL|12|B|14|B|FL|210|C|EAST "
                             "BUILDING||||456|||||WATERLOO|ST|||||HOLTON||VIC|3000|LE||AAA|THE RIVERBRIDGE "
                             "TV STUDIOS||0355554444||"
                             "TELCOA|2001-02-03 04:00:00|2001-02-03 04:00:00|T|555|MAINS SERVICE NSW||F|F";
    ZVRecordType r;
    r.RawData = RecordText::ImportPipeRecord(line);
    auto all = Iterate(r);
    ASSERT_EQ(all.size(), 53u);
    EXPECT_EQ(all.front().first, 101);
    EXPECT_EQ(all.back().first, 153);
    EXPECT_EQ(r.field(105), "0311112222");
    EXPECT_EQ(r.field(128), "WATERLOO");
    EXPECT_EQ(r.field(146), "2001-02-03 04:00:00");
    EXPECT_EQ(r.field(151), "");
    EXPECT_EQ(r.field(153), "F");
    EXPECT_EQ(r.RawData.substr(0, 27), "000501013001001021234560014");
}

TEST(RecordText, ImportStopsNumberingAtTheLastFieldNumber) {
    std::string line(10000, '|'); // 10001 values
    const std::string text = RecordText::ImportPipeRecord(line);
    EXPECT_EQ(text.size(), (9999u - 100u) * 8u);
    EXPECT_TRUE(RecordText::Find(text, 9999).has_value());
}

TEST(RecordText, CopyAndClearOfARecord) {
    ZVRecordType a;
    a.Identifier = 4;
    a.QMapTo = 2;
    a.SetField(1, "x");
    ZVRecordType b;
    ASSERT_TRUE(a.Copy(b));
    EXPECT_EQ(b.RawData, a.RawData);
    EXPECT_EQ(b.QMapTo, 2);
    b.Clear();
    EXPECT_EQ(b.RawData, "");
    EXPECT_EQ(b.QMapTo, -1);
}

} // namespace
} // namespace zeva
