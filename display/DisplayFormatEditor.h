#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeva {

class ListBox;
class MessageBox;
class ZVFieldClass;

// The entry editor of the "Field Display Format" page: the list lstDFields (entry lines and the
// closing line), the entry controls, the one-entry clipboard and the commands Add, Edit, Ok, Cut,
// Copy, Paste and Delete with their refusal messages.
//
// The window keeps Controls() in step with its widgets as the operator types (without running any
// command), calls the commands, and shows State() and Controls() afterwards with its widgets'
// handlers blocked, so loading an entry never runs the Max Size options' handlers.
class DisplayFormatEditor {
  public:
    static constexpr int kMaxLines = 101; // 100 entries and the closing line
    static constexpr int kLiteralItem = 9999;
    enum MaxSizeOption { kNormal = 0, kEndOfLine = 1, kEndOfField = 2 };
    // The digits the Max Size and Post Space boxes hold; a character they refuse never counts.
    static constexpr int kMaxSizeDigits = 5, kPostSpaceDigits = 4;

    struct ChooserItem {
        std::string Text;
        std::int16_t Data = 0;
    };
    // What the entry controls hold. A fresh start holds usable values.
    struct Controls {
        int Chooser = -1; // index into the chooser items, -1 none
        std::string LiteralText;
        bool NewLine = false, UpperCase = false, FixedSize = false;
        int MaxSizeOption = kNormal;
        std::string MaxSize = "100";
        std::string PostSpace = "1";
    };
    struct State {
        bool EditorMode = false;
        bool ListEnabled = true;
        bool OkVisible = false;
        bool Add = false, Edit = false, Cut = false, Copy = false, Delete = false, Paste = false;
        bool LiteralEnabled = false;
        bool MaxSizeEnabled = true;
        std::string ClipBoard;
    };

    DisplayFormatEditor(ListBox& list, MessageBox& messages);

    // "9999 Text", then "0000 " + title per field definition (positions 1 to 1000, stopping at the
    // first position without a definition), item data the field number.
    static std::vector<ChooserItem> ChooserItemsOf(ZVFieldClass& fields);
    void SetChooserItems(std::vector<ChooserItem> items);
    const std::vector<ChooserItem>& ChooserItems() const { return chooser_; }

    // The list as stored, closing line included; a missing closing line is added, "NULL" lines
    // read as empty. The list starts enabled with its first line selected.
    void LoadList(const std::vector<std::string>& lines);
    std::vector<std::string> Lines() const;

    Controls& controls() { return controls_; }
    const Controls& controls() const { return controls_; }
    State state() const;

    // Choosing a chooser item, a Max Size option; leaving an entry's numeric box. The numeric boxes
    // are read as their filter keeps them ("25a" is 25), so a refused character never changes a value.
    void ChooseField(int index);
    void ChooseMaxSizeOption(int option);
    void LeaveMaxSize();
    void LeavePostSpace();

    void Add();
    void Edit(); // also a double-click on a line
    void Ok();
    void Escape(); // leaves the editor without a change
    void Copy();
    void Cut();
    void Delete();
    void Paste();

    // The entry line the controls describe; nullopt with the reason when it cannot be built.
    std::optional<std::string> BuildEntry(std::string* why = nullptr) const;
    // The controls set from an entry line, column by column, as far as the line is sound.
    void LoadEntry(const std::string& line);

  private:
    bool RealEntrySelected() const;
    void RemoveSelected();
    void SelectClosingLineIfNone();

    ListBox& list_;
    MessageBox& messages_;
    std::vector<ChooserItem> chooser_;
    Controls controls_;
    std::string clipboard_;
    bool editing_ = false;
    int editIndex_ = -1;
};

// The numeric boxes: digits only and at most their digit count, whether typed or pasted; on
// leaving, the text converted (a text that does not convert keeps the previous value) and clamped.
std::string NumericBoxText(const std::string& text, int digits);
int NumericBoxValue(const std::string& text, int previous, int low, int high);

} // namespace zeva
