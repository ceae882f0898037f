#include "display/DisplayFormatEditor.h"

#include "DisplayFixture.h"
#include "tests/support/memory/RecordingMessageBox.h"

#include <algorithm>
#include <tuple>

namespace zeva::test {
namespace {

constexpr const char* kTooMany = "To many entries already.  You must first delete an entry";

class DisplayFormatEditorTest : public DisplayFixture {
  protected:
    void SetUp() override {
        DisplayFixture::SetUp();
        editor.SetChooserItems(DisplayFormatEditor::ChooserItemsOf(*fields));
    }
    std::vector<std::string> Messages() { return messages.TakeTexts(); }
    int Item(std::int16_t field) {
        const auto& items = editor.ChooserItems();
        return int(std::ranges::find(items, field, &DisplayFormatEditor::ChooserItem::Data) - items.begin());
    }

    MemoryListBox lines;
    RecordingMessageBox messages;
    DisplayFormatEditor editor{lines, messages};
};

TEST_F(DisplayFormatEditorTest, ChooserItemsAndAStoredListLoadWithTheirClosingLine) {
    const auto& items = editor.ChooserItems();
    ASSERT_EQ(items.size(), 54u);
    EXPECT_EQ(items[5].Text, "0105 CLI");

    editor.LoadList({"    EOF  0001 9999 A:", "NULL"});
    EXPECT_EQ(lines.Lines(), (std::vector<std::string>{"    EOF  0001 9999 A:", ""}));

    editor.LoadList({"entry without closing line"});
    EXPECT_EQ(editor.Lines(), (std::vector<std::string>{"entry without closing line", ""}));
}

TEST_F(DisplayFormatEditorTest, AddBuildsEntriesColumnByColumnAndRefusesWhatItCannotBuild) {
    editor.LoadList({""});
    lines.SetListIndex(-1);
    editor.Add();
    EXPECT_EQ(Messages(), std::vector<std::string>{"No entry selected."});

    editor.ChooseField(Item(108));
    auto& c = editor.controls();
    c.NewLine = c.UpperCase = true;
    c.MaxSize = "20";
    c.PostSpace = "1";
    editor.Add(); // nothing selected: before the closing line
    EXPECT_EQ(std::tuple(lines.Lines(), lines.ListIndex()),
              std::tuple(std::vector<std::string>{"NU  0020 0001 0108 FamilyName", ""}, 0));

    // A five-digit Max Size typed and never left is built clamped into its four columns.
    editor.ChooseField(0);
    c = {.Chooser = 0, .LiteralText = "Name: ", .MaxSize = "99999", .PostSpace = "0"};
    editor.Add();
    EXPECT_EQ(lines.List(0), "    0500 0000 9999 Name: ");

    editor.ChooseMaxSizeOption(DisplayFormatEditor::kEndOfLine);
    editor.Add();
    EXPECT_EQ(lines.List(0), "    EOL  0000 9999 Name: ");

    editor.ChooseMaxSizeOption(DisplayFormatEditor::kNormal);
    EXPECT_EQ(c.MaxSize, "100");
    c.PostSpace = "";
    editor.Add();
    EXPECT_EQ(
        std::tuple(Messages(), lines.ListCount()),
        std::tuple(std::vector<std::string>{"The Post Space box must hold a number from 0 to 500."}, 4));
}

TEST_F(DisplayFormatEditorTest, HundredEntriesRefuseAddAndPasteAndARefusedPasteKeepsTheClipboard) {
    std::vector<std::string> full(100, "    EOF  0001 9999 x");
    full.emplace_back();
    editor.LoadList(full);
    editor.Cut();
    EXPECT_EQ(editor.state().ClipBoard, "    EOF  0001 9999 x");
    editor.ChooseField(0);
    editor.Add(); // 100 lines: still room for one
    editor.Paste();
    EXPECT_EQ(Messages(), std::vector<std::string>{kTooMany});
    EXPECT_EQ(editor.state().ClipBoard, "    EOF  0001 9999 x") << "kept after the refusal";
    editor.Add();
    EXPECT_EQ(std::tuple(Messages(), lines.ListCount()),
              std::tuple(std::vector<std::string>{kTooMany}, DisplayFormatEditor::kMaxLines));

    editor.Delete();
    editor.Paste();
    EXPECT_EQ(lines.ListCount(), DisplayFormatEditor::kMaxLines);
    EXPECT_TRUE(editor.state().ClipBoard.empty() && !editor.state().Paste);
    editor.Paste();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Nothing to paste"});

    // A stored list longer than 100 entries keeps every line; it only cannot grow.
    std::vector<std::string> longer(130, "    EOF  0001 9999 y");
    longer.emplace_back();
    editor.LoadList(longer);
    EXPECT_EQ(editor.Lines().size(), 131u);
}

TEST_F(DisplayFormatEditorTest, CutCopyDeleteSelectTheLineNowThereAndRefuseTheClosingLine) {
    editor.LoadList({"a", "b", ""});
    lines.SetListIndex(2); // the closing line
    for (auto command : {&DisplayFormatEditor::Edit, &DisplayFormatEditor::Cut, &DisplayFormatEditor::Copy,
                         &DisplayFormatEditor::Delete})
        (editor.*command)();
    EXPECT_EQ(Messages(), std::vector<std::string>(4, "No Item selected"));
    lines.SetListIndex(1);
    editor.Copy();
    editor.Cut();
    EXPECT_EQ(std::tuple(lines.Lines(), lines.ListIndex()), std::tuple(std::vector<std::string>{"a", ""}, 1));
    lines.SetListIndex(0);
    editor.Paste();
    EXPECT_EQ(lines.Lines(), (std::vector<std::string>{"b", "a", ""}));
    editor.Delete();
    EXPECT_EQ(std::tuple(lines.Lines(), lines.ListIndex()), std::tuple(std::vector<std::string>{"a", ""}, 0));
}

TEST_F(DisplayFormatEditorTest, EditIsAModeAndFindsTheFieldByItsNumber) {
    // Written when field 108 had another title.
    editor.LoadList({"NUV 0020 0001 0108 Surname", "    EOL  0000 9999 Tail", ""});
    lines.SetListIndex(0);
    editor.Edit();
    auto st = editor.state();
    EXPECT_TRUE(st.EditorMode && st.OkVisible && !lines.Enabled());
    EXPECT_FALSE(st.Add || st.Cut || st.Delete || st.Paste || st.Edit);
    const auto& c = editor.controls();
    EXPECT_TRUE(c.NewLine && c.UpperCase && c.FixedSize);
    // Max Size, its option, Post Space, the chosen item and the literal; loading never runs the
    // Normal option's 100.
    EXPECT_EQ(std::tuple(c.MaxSize, c.MaxSizeOption, c.PostSpace, c.Chooser, c.LiteralText),
              std::tuple("0020", DisplayFormatEditor::kNormal, "0001", Item(108), ""));

    // The list commands do nothing while an entry is edited.
    lines.SetListIndex(2);
    editor.Cut();
    editor.Delete();
    editor.Add();
    editor.Ok();
    EXPECT_EQ(lines.List(0), "NUV 0020 0001 0108 FamilyName") << "the edited line, with the current title";
    EXPECT_EQ(std::tuple(lines.ListCount(), lines.Enabled()), std::tuple(3, true));

    lines.SetListIndex(1);
    editor.Edit();
    EXPECT_EQ(std::tuple(c.MaxSizeOption, c.LiteralText, c.Chooser),
              std::tuple(DisplayFormatEditor::kEndOfLine, "Tail", 0));
    editor.controls().LiteralText = "changed";
    editor.Escape();
    EXPECT_EQ(std::tuple(lines.List(1), editor.state().EditorMode),
              std::tuple("    EOL  0000 9999 Tail", false));

    // An entry whose field is gone cannot be rebuilt: Ok says why and stays in the editor.
    lines.SetList(0, "    0010 0001 0999 Gone");
    lines.SetListIndex(0);
    editor.Edit();
    editor.Ok();
    EXPECT_EQ(std::tuple(Messages().size(), editor.state().EditorMode), std::tuple(1u, true));
    editor.Escape();

    // Hand-edited lines load as far as they are sound.
    for (const std::string bad : {"N", "NU  00x0 0001 0108", "    99999999999999", "    EOF  zzzz 01"}) {
        lines.SetList(0, bad);
        lines.SetListIndex(0);
        editor.Edit();
        editor.Escape();
    }
    EXPECT_EQ(editor.controls().MaxSize, "EOF ") << "the last sound Max Size stays";
}

TEST_F(DisplayFormatEditorTest, NumericBoxesFilterPastedTextAndClampOnLeaving) {
    EXPECT_EQ(NumericBoxText("12a3-4567", 5), "12345");
    const struct {
        const char* text;
        int previous, low, high, expected;
    } cases[] = {
        {"1001", 138, 1, 1000, 1000}, {"0", 138, 1, 1000, 1},
        {"", 138, 1, 1000, 138},      {"12345678901234567890", 5, 1, 500, 500},
        {"1 2", 7, 0, 20, 7},
    };
    for (const auto& k : cases)
        EXPECT_EQ(NumericBoxValue(k.text, k.previous, k.low, k.high), k.expected) << k.text;

    // Leaving a box: what it holds after. A post space of 0 turns into 1, a click in and out keeps the
    // value, and a character the box refuses never counts: read as the box keeps it, left or not.
    auto& c = editor.controls();
    const auto leave = [&](bool maxSize, const char* typed) {
        std::string& box = maxSize ? c.MaxSize : c.PostSpace;
        box = typed;
        maxSize ? editor.LeaveMaxSize() : editor.LeavePostSpace();
        return box;
    };
    EXPECT_EQ((std::vector{leave(true, "0600"), leave(false, "0"), leave(false, "0007"), leave(true, "25a"),
                           leave(false, "3;")}),
              (std::vector<std::string>{"500", "1", "7", "25", "3"}));
    c.PostSpace = "0;";
    editor.ChooseField(0);
    EXPECT_EQ(editor.BuildEntry().value_or(""), "    0025 0000 9999 ");
    editor.ChooseMaxSizeOption(DisplayFormatEditor::kEndOfField);
    editor.LeaveMaxSize();
    EXPECT_EQ(c.MaxSize, "EOF ");
}

} // namespace
} // namespace zeva::test
