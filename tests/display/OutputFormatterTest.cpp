#include "DisplayFixture.h"

#include "display/DisplayFormatEntry.h"
#include "display/OutputFormatter.h"
#include "display/OutputTest.h"
#include "model/RecordText.h"
#include "tests/support/memory/FakeClock.h"

namespace zeva::test {
namespace {

// The Output window as text: every line followed by "|" so trailing blanks show.
std::string Block(const MemoryListBox& l) {
    std::string s;
    for (const auto& line : l.Lines())
        s += line + "|\n";
    return s;
}

// An entry line: field 9999 is a literal text, any other field number is shown with the title "Title".
std::string Entry(int id, const std::string& text, const char* size, int post, const char* flags) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s %s %04d %04d ", flags, size, post, id);
    return buffer + text;
}
std::string Literal(const std::string& text, int post = 0, const char* size = "EOF ",
                    const char* flags = "   ") {
    return Entry(9999, text, size, post, flags);
}
std::string FieldLine(int id, const char* size, int post = 0, const char* flags = "   ") {
    return Entry(id, "Title", size, post, flags);
}

class Output : public DisplayFixture {
  protected:
    void SetUp() override {
        DisplayFixture::SetUp();
        records = Start(10);
        formatter = std::make_unique<OutputFormatter>(*records, fields.get(), cs, output, full);
    }
    void Show(const std::vector<std::string>& entries, const std::string& pipe = "") {
        auto lines = entries;
        lines.emplace_back(); // closing line
        formatter->ParseDisplayFormatList(lines);
        records->ImportPipeRecord(pipe);
        formatter->FormatRecordToOutput(records->LastIdentifier());
    }
    ClientSettings cs;
    FakeClock clock{45000.5}; // 12:00:00 15/03/2023
    MemoryListBox output, full;
    std::unique_ptr<ZVRecordClass> records;
    std::unique_ptr<OutputFormatter> formatter;
};

TEST(OutputEntry, ParsesColumnsSkipsBadLinesAndKeepsAtMostHundred) {
    const std::vector<std::string> lines = {
        "NUV 0020 0001 0101 Surname",
        "    EOF  0000 9999 literal text ",
        "    EOL  0002 0105",    // no title: still an entry
        "    0x20 0001 0101 X",  // not numeric
        "    0020 0001",         // short
        "",                      // empty
        "    0020 0001 99999 X", // field number 9999 followed by "9": the text " X" from column 20
        "closing line never parsed 0000 0000 0000"};
    const auto e = ParseDisplayFormatList(lines);
    // Flags, size, post space, field and text of each entry, as one line.
    std::vector<std::string> parsed;
    for (const auto& x : e)
        parsed.push_back(std::string(x.NewLine ? "N" : "-") + (x.UpperCase ? "U" : "-") +
                         (x.FixedSize ? "V" : "-") + " " + std::to_string(x.MaxSize) + " " +
                         std::to_string(x.PostSpace) + " " + std::to_string(x.FieldId) + " [" + x.Text + "]");
    const std::string eof = std::to_string(DisplayFormatEntry::kEof),
                      eol = std::to_string(DisplayFormatEntry::kEol);
    EXPECT_EQ(parsed,
              (std::vector<std::string>{"NUV 20 1 101 [Surname]", "--- " + eof + " 0 9999 [literal text ]",
                                        "--- " + eol + " 2 105 []", "--- 20 1 9999 [ X]"}));
    // Lines are written back in the same columns.
    EXPECT_EQ(std::tuple(e[0].Line(), e[1].Line()), std::tuple(lines[0], lines[1]));

    // At most 100 entries, however long the lines; the closing line alone gives none.
    EXPECT_EQ(ParseDisplayFormatList(
                  std::vector<std::string>(150, "    EOF  0000 9999 " + std::string(100000, 'x')))
                  .size(),
              100u);
    EXPECT_TRUE(ParseDisplayFormatList({}).empty());
    EXPECT_TRUE(ParseDisplayFormatList({"    EOF  0000 9999 only the closing line"}).empty());
}

TEST_F(Output, OneRecordThroughTheBreakLoop) {
    struct Case {
        const char* name;
        int width, lines, indent;
        bool fixedLines;
        std::vector<std::string> entries;
        const char* pipe;
        const char* expected; // a file in tests/data/display, or the block itself
    };
    // clang-format off
    const Case cases[] = {
        // CP1252 letters beyond a-z change case too; sharp s, micro sign and the division sign stay.
        {"upper case takes every letter of the code page", 40, 0, 0, false, {FieldLine(101, "EOF ", 0, " U ")},
         "caf\xE9 \xF1o\xEBl \x9A\x9C\x9E\xFF\xFE \xDF\xB5\xF7", "CAF\xC9 \xD1O\xCBL \x8A\x8C\x8E\x9F\xDE \xDF\xB5\xF7|\n"},
        {"first entry with N: blank first line", 10, 3, 0, false, {Literal("HELLO", 0, "EOF ", "N  ")}, "",
         "first-newline.txt"},
        {"a word moves whole after the indent", 20, 3, 2, false,
         {Literal("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG")}, "", "word-moved-indent.txt"},
        {"no blank near the break", 10, 3, 0, false, {Literal("ABCDEFGHIJKLMNOPQRSTUVWXYZ")}, "", "hyphen-split.txt"},
        {"text past the last line", 10, 2, 0, false, {Literal("ABCDEFGHIJKLMNOPQRSTUVWXYZ")}, "", "more-indicator.txt"},
        {"fixed lines pad the record", 10, 3, 0, true, {Literal("HI")}, "", "fixed-lines.txt"},
        // The post space after a moved word keeps the next value apart from it.
        {"post space survives a wrap", 10, 2, 0, false, {Literal("HELLO WORLDS", 1), Literal("X")}, "",
         "HELLO     |\nWORLDS X|\n"},
        {"sizes, upper case, fixed size, missing fields", 40, 0, 0, false,
         {FieldLine(101, "0003", 1, " UV"), FieldLine(102, "0006", 1, "  V"), FieldLine(999, "0004", 1, "  V"),
          FieldLine(103, "0002", 0)}, "abcdef|xy|hello", "ABC xy          he|\n"}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cs = ClientSettings{};
        cs.CharactersPerPage = static_cast<std::int16_t>(c.width);
        if (c.lines) cs.LinesPerRecord = static_cast<std::int16_t>(c.lines);
        cs.LineIndentCharacters = static_cast<std::int16_t>(c.indent);
        cs.FixedLinesPerRecord = c.fixedLines;
        output.Clear();
        Show(c.entries, c.pipe);
        const std::string expected = c.expected;
        EXPECT_EQ(Block(output), expected.ends_with(".txt") ? ReadData(expected) : expected);
    }
}

TEST_F(Output, MoreMarksOnlyRealTextBeyondTheLastLine) {
    cs.CharactersPerPage = 10;
    cs.LinesPerRecord = 2;
    // Trailing blanks beyond the last line, or text that exactly fills it, give no mark.
    cs.TextFormat = false;
    Show({Literal("ABCDE", 30)});
    Show({Literal("ABCDEFGHIJKLMNOPQRST", 40)});
    EXPECT_EQ(Block(output), "ABCDEFGHIJ|\nKLMNOPQRST|\nABCDE|\n");

    // Entries after the last break still count: text there is cut but marked.
    output.Clear();
    Show({Literal("ABCDEFGHIJKLMNOPQRSTU"), Literal("   "), Literal("Z")});
    EXPECT_EQ(Block(output), "ABCDEFGHIJ|\nKLMN{more}|\n");

    // Values count as laid out, cut to their Max Size: blanks left after the cut are no text.
    cs.LinesPerRecord = 1;
    cs.TextFormat = true;
    output.Clear();
    const std::vector<std::string> cut = {FieldLine(101, "0010"), FieldLine(102, "0003", 1),
                                          FieldLine(103, "0002")};
    Show(cut, "0311112222|   456|  7");
    Show(cut, "0311112222|   456| 7");
    EXPECT_EQ(Block(output), "0311{more}|\n0311112222|\n");
    cs.LinesPerRecord = 2;
    cs.TextFormat = false;
    cs.ShowTruncIndicator = false;
    output.Clear();
    Show({Literal("ABCDEFGHIJKLMNOPQRSTUVWXYZ")});
    EXPECT_EQ(Block(output), "ABCDEFGHIJ|\nKLMNOPQRST|\n");

    // An EOL entry takes the rest of the line for every record; fixed size does not pad it.
    cs = ClientSettings{};
    cs.CharactersPerPage = 10;
    output.Clear();
    const std::vector<std::string> list = {Literal("AB"), FieldLine(101, "EOL ", 0, "  V")};
    Show(list, "0123456789XYZ");
    Show(list, "XY");
    EXPECT_EQ(Block(output), ReadData("eol-after-records.txt"));
}

TEST_F(Output, PostLinesInsertionOrderAndTheEntryCap) {
    cs.CharactersPerPage = 5;
    cs.LinesPerRecord = 2;
    cs.NoOfPostLines = 1;
    cs.TextFormat = false;
    const std::vector<std::string> list = {FieldLine(101, "EOF ")};
    Show(list, "AAAAABB");
    Show(list, "CCCCCDD");
    EXPECT_EQ(Block(output), "CCCCC|\nDD|\n|\nAAAAA|\nBB|\n|\n");
    // A record with no text gives only its post lines.
    Show(list, "");
    EXPECT_EQ(Block(output), "|\nCCCCC|\nDD|\n|\nAAAAA|\nBB|\n|\n");

    // MaxEntriesInOutput caps the window; "Single Record" clears it first.
    cs.NoOfPostLines = 0;
    cs.MaxEntriesInOutput = 5;
    for (int i = 0; i < 20; ++i)
        Show(list, "R" + std::to_string(i));
    EXPECT_EQ(Block(output), "R19|\nR18|\nR17|\nR16|\nR15|\n") << "the oldest lines go";
    EXPECT_EQ(output.ListIndex(), 0);
    formatter->SingleRecord = true;
    Show(list, "LAST");
    EXPECT_EQ(Block(output), "LAST|\n");
}

TEST_F(Output, ExtremeSettingsStayBounded) {
    const std::string longText(5000, 'W');
    struct Case {
        int width, lines, indent;
        bool textFormat;
    } cases[] = {{1, 1, 0, true},
                 {1000, 50, 1000, true},
                 {7, 50, 7, false},
                 {-5, 0, -3, true},
                 {32767, 32767, 32767, true}};
    for (const auto& c : cases) {
        cs.CharactersPerPage = static_cast<std::int16_t>(c.width);
        cs.LinesPerRecord = static_cast<std::int16_t>(c.lines);
        cs.LineIndentCharacters = static_cast<std::int16_t>(c.indent);
        cs.TextFormat = c.textFormat;
        cs.MaxEntriesInOutput = 10000;
        output.Clear();
        Show({Literal(longText), Literal("A B C D E F G H", 3), FieldLine(101, "EOL ", 2, "N  ")}, longText);
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.lines));
        EXPECT_TRUE(output.ListCount() >= 1 && output.ListCount() <= std::clamp(c.lines, 1, 50));
        for (const auto& line : output.Lines())
            EXPECT_LE(static_cast<int>(line.size()), std::clamp(c.width, 1, 1000));
    }
}

TEST_F(Output, FullFieldsWithAndWithoutJustifyAutoUpdateAndBeep) {
    records->ImportPipeRecord("3|0311112222");
    records->SetRField(records->LastIdentifier(), 999, "odd");
    formatter->ShowFullFields(records->LastIdentifier());
    EXPECT_EQ(full.Lines(), (std::vector<std::string>{"[RECORD KEY = 0000]", "RecType = 3",
                                                      "Sequence = 0311112222", " = odd"}));
    cs.FullFieldsJustify = 12;
    formatter->ShowFullFields(records->LastIdentifier());
    EXPECT_EQ(full.Lines(), (std::vector<std::string>{"[RECORD KEY = 0000]", "RecType      = 3",
                                                      "Sequence     = 0311112222", "Unknown Fiel = odd"}));
    cs.FullFieldsJustify = 3;
    formatter->ShowFullFields(records->LastIdentifier());
    EXPECT_EQ(full.List(1), "Rec = 3");

    // "&Auto Update FF" shows the last record at once and every presented one; "&Beep" beeps.
    cs.FullFieldsJustify = 0;
    int beeps = 0;
    formatter->Beep = [&] { ++beeps; };
    records->ImportPipeRecord("7");
    EXPECT_TRUE(formatter->ToggleAutoUpdateFF());
    EXPECT_EQ(full.List(1), "RecType = 7"); // the last record at once
    EXPECT_TRUE(formatter->ToggleBeep());
    records->ImportPipeRecord("8");
    formatter->PresentRecord(records->LastIdentifier());
    EXPECT_EQ(std::tuple(full.List(1), beeps), std::tuple("RecType = 8", 1));
    EXPECT_FALSE(formatter->ToggleBeep() || formatter->ToggleAutoUpdateFF());
    records->ImportPipeRecord("9");
    formatter->PresentRecord(records->LastIdentifier());
    EXPECT_EQ(std::tuple(full.List(1), beeps), std::tuple("RecType = 8", 1));
    formatter->SetAutoUpdateFF(true); // as the stored menu state is applied at start-up
    EXPECT_TRUE(formatter->AutoUpdateFF());
}

TEST_F(Output, ARecordTheQueueCannotTakeStillReachesTheOutputWindowAndADeletedRecordFreesItsIdentifier) {
    // A queue that is never trimmed runs out of identifiers after 10000 records.
    ZVRecordClass untrimmed(settings.get());
    OutputFormatter f(untrimmed, fields.get(), cs, output, full);
    f.ParseDisplayFormatList({FieldLine(105, "EOF "), ""});
    for (int i = 0; i <= 9999; ++i)
        ASSERT_TRUE(f.ShowRecordText("00050105" + std::to_string(i % 10)));
    output.Clear();
    EXPECT_FALSE(f.ShowRecordText(RecordText::ImportPipeRecord("3|4|5|6|0399990000")));
    EXPECT_EQ(Block(output), std::string(OutputFormatter::kQueueFullLine) + "|\n0399990000|\n");
    EXPECT_EQ(untrimmed.NewRecord(), -1);
    EXPECT_FALSE(untrimmed.Valid());
    EXPECT_EQ(untrimmed.ImportPipeRecord("1|2"), "");
    untrimmed.SetFIdentifier(1234, -1);
    EXPECT_EQ(untrimmed.NewRecord(), 1234);
}

TEST_F(Output, DefaultListShowsTheTestRecordAndSingleRecordClearsTheEndLineToo) {
    formatter->ParseDisplayFormatList(DefaultDisplayFormatList());
    OutputTest test(*formatter, *records, cs, clock);
    int counted = 0; // at the clock's time
    test.RecordCounted = [&](double now) { counted += now == 45000.5; };
    std::string box; // empty: filled with the default
    const int id = test.Run(box);
    EXPECT_EQ(std::tuple(box, cs.X25TestData, id, counted),
              std::tuple(kDefaultTestRecord, kDefaultTestRecord, 0, 1));
    EXPECT_EQ(Block(output), ReadData("output-test-default.txt"));
    EXPECT_EQ(grid.TextMatrix(1, 1), RecordText::ImportPipeRecord(kDefaultTestRecord)) << "the Records grid";

    // "Single Record" clears the end line too.
    formatter->SingleRecord = true;
    cs.NoOfPostLines = 1;
    box = "3|123456|x|y|0399998888";
    test.Run(box);
    EXPECT_EQ(Block(output), "********** USER TEST DATA ONLY (12:00:00 15/03/2023) - NOT VALID ***********|\n"
                             "CLI: 0399998888  NAME:     ADDR:|\n|\n");
}

} // namespace
} // namespace zeva::test
