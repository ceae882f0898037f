#include "display/DisplayFormatEditor.h"

#include "common/Convert.h"
#include "common/TextUtil.h"
#include "model/ZVFieldClass.h"
#include "platform/ListBox.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <cstdio>

namespace zeva {

namespace {

constexpr const char* kNoEntry = "No entry selected.";
constexpr const char* kNoItem = "No Item selected";
constexpr const char* kTooMany = "To many entries already.  You must first delete an entry";
constexpr const char* kNothingToPaste = "Nothing to paste";
constexpr int kMaxSizeLow = 1, kMaxSizeHigh = 500;
constexpr int kPostSpaceLow = 1, kPostSpaceHigh = 500;

std::string Digits4(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d", n);
    return buffer;
}

} // namespace

std::string NumericBoxText(const std::string& text, int digits) {
    std::string out;
    for (char c : text)
        if (c >= '0' && c <= '9' && int(out.size()) < digits) out += c;
    return out;
}

int NumericBoxValue(const std::string& text, int previous, int low, int high) {
    // Any number of digits may arrive (a pasted text): out of range of 32 bits is the top of the range.
    const std::string digits = NumericBoxText(text, 32);
    if (digits.empty() || digits.size() != text.size()) return std::clamp(previous, low, high);
    if (digits.size() > 9) return high;
    return std::clamp(ToInt32(digits).value_or(previous), low, high);
}

DisplayFormatEditor::DisplayFormatEditor(ListBox& list, MessageBox& messages)
    : list_(list), messages_(messages) {
    chooser_.push_back({"9999 Text", kLiteralItem});
}

std::vector<DisplayFormatEditor::ChooserItem> DisplayFormatEditor::ChooserItemsOf(ZVFieldClass& fields) {
    std::vector<ChooserItem> items{{"9999 Text", kLiteralItem}};
    for (std::int32_t position = 1; position <= 1000; ++position) {
        const ZVFieldType& f = fields.FField(position);
        if (f.Identifier == -1) break;
        char number[16];
        std::snprintf(number, sizeof number, "%04d ", int(f.Identifier));
        items.push_back({number + f.Title, f.Identifier});
    }
    return items;
}

void DisplayFormatEditor::SetChooserItems(std::vector<ChooserItem> items) {
    const std::int16_t chosen = controls_.Chooser >= 0 && controls_.Chooser < int(chooser_.size())
                                    ? chooser_[std::size_t(controls_.Chooser)].Data
                                    : std::int16_t(-1);
    chooser_ = std::move(items);
    controls_.Chooser = -1;
    for (std::size_t i = 0; i < chooser_.size(); ++i)
        if (chooser_[i].Data == chosen) controls_.Chooser = int(i);
}

void DisplayFormatEditor::LoadList(const std::vector<std::string>& lines) {
    list_.Clear();
    for (const std::string& line : lines)
        list_.AddItem(line == "NULL" ? std::string() : line);
    if (lines.empty() || !list_.List(list_.ListCount() - 1).empty()) list_.AddItem("");
    editing_ = false;
    editIndex_ = -1;
    list_.SetEnabled(true);
    list_.SetListIndex(0);
}

std::vector<std::string> DisplayFormatEditor::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(std::max(list_.ListCount(), 0)));
    for (int i = 0; i < list_.ListCount(); ++i)
        lines.push_back(list_.List(i));
    // The closing line is never an entry and is always empty, whatever an editor left there.
    if (!lines.empty()) lines.back().clear();
    return lines;
}

bool DisplayFormatEditor::RealEntrySelected() const {
    const int i = list_.ListIndex();
    return i >= 0 && i < list_.ListCount() - 1;
}

DisplayFormatEditor::State DisplayFormatEditor::state() const {
    State s;
    s.EditorMode = editing_;
    s.ListEnabled = !editing_;
    s.OkVisible = editing_;
    const bool entry = !editing_ && RealEntrySelected();
    s.Add = !editing_ && controls_.Chooser >= 0;
    s.Edit = s.Cut = s.Copy = s.Delete = entry;
    s.Paste = !editing_ && !clipboard_.empty();
    s.LiteralEnabled = controls_.Chooser >= 0 && controls_.Chooser < int(chooser_.size()) &&
                       chooser_[std::size_t(controls_.Chooser)].Data == kLiteralItem;
    s.MaxSizeEnabled = controls_.MaxSizeOption == kNormal;
    s.ClipBoard = clipboard_;
    return s;
}

void DisplayFormatEditor::ChooseField(int index) {
    controls_.Chooser = index >= 0 && index < int(chooser_.size()) ? index : -1;
}

void DisplayFormatEditor::ChooseMaxSizeOption(int option) {
    switch (option) {
    case kEndOfLine:
        controls_.MaxSize = "EOL ";
        break;
    case kEndOfField:
        controls_.MaxSize = "EOF ";
        break;
    default:
        option = kNormal;
        controls_.MaxSize = "100";
        break;
    }
    controls_.MaxSizeOption = option;
}

void DisplayFormatEditor::LeaveMaxSize() {
    if (controls_.MaxSizeOption != kNormal) return;
    const std::string digits = NumericBoxText(controls_.MaxSize, kMaxSizeDigits);
    controls_.MaxSize = std::to_string(NumericBoxValue(digits, 0, kMaxSizeLow, kMaxSizeHigh));
}

void DisplayFormatEditor::LeavePostSpace() {
    const std::string digits = NumericBoxText(controls_.PostSpace, kPostSpaceDigits);
    controls_.PostSpace = std::to_string(NumericBoxValue(digits, 0, kPostSpaceLow, kPostSpaceHigh));
}

std::optional<std::string> DisplayFormatEditor::BuildEntry(std::string* why) const {
    const auto fail = [why](const char* reason) -> std::optional<std::string> {
        if (why) *why = reason;
        return std::nullopt;
    };
    const Controls& c = controls_;
    if (c.Chooser < 0 || c.Chooser >= int(chooser_.size())) return fail(kNoEntry);
    std::string line;
    line += c.NewLine ? 'N' : ' ';
    line += c.UpperCase ? 'U' : ' ';
    line += c.FixedSize ? 'V' : ' ';
    line += ' ';
    if (c.MaxSizeOption == kEndOfLine || c.MaxSize == "EOL ") {
        line += "EOL  ";
    } else if (c.MaxSizeOption == kEndOfField || c.MaxSize == "EOF ") {
        line += "EOF  ";
    } else {
        // Clamped here too: a box never left would otherwise write five digits into four columns.
        const auto size = ToInt32(NumericBoxText(c.MaxSize, kMaxSizeDigits));
        if (!size) return fail("The Max Size box must hold a number from 1 to 500.");
        line += Digits4(std::clamp(*size, kMaxSizeLow, kMaxSizeHigh)) + " ";
    }
    const auto post = ToInt32(NumericBoxText(c.PostSpace, kPostSpaceDigits));
    if (!post) return fail("The Post Space box must hold a number from 0 to 500.");
    line += Digits4(std::clamp(*post, 0, kPostSpaceHigh)) + " ";
    const ChooserItem& item = chooser_[std::size_t(c.Chooser)];
    if (item.Data == kLiteralItem)
        line += "9999 " + c.LiteralText;
    else
        line += item.Text;
    return line;
}

void DisplayFormatEditor::LoadEntry(const std::string& line) {
    Controls& c = controls_;
    c.NewLine = Mid(line, 1, 1) == "N";
    c.UpperCase = Mid(line, 2, 1) == "U";
    c.FixedSize = Mid(line, 3, 1) == "V";
    const std::string size = Mid(line, 5, 4);
    if (size == "EOL ") {
        c.MaxSize = size;
        c.MaxSizeOption = kEndOfLine;
    } else if (size == "EOF ") {
        c.MaxSize = size;
        c.MaxSizeOption = kEndOfField;
    } else if (const auto n = ToInt32(size); n && NumericBoxText(size, 4) == size) {
        c.MaxSize = Digits4(*n);
        c.MaxSizeOption = kNormal;
    }
    const std::string post = Mid(line, 10, 4);
    if (const auto n = ToInt32(post); n && NumericBoxText(post, 4) == post) c.PostSpace = Digits4(*n);
    const std::string id = Mid(line, 15, 4);
    const auto field = NumericBoxText(id, 4) == id ? ToInt16(id) : std::nullopt;
    c.Chooser = -1;
    if (field) {
        // By the field number: a title changed since the entry was written still finds its field.
        for (std::size_t i = 0; i < chooser_.size(); ++i)
            if (chooser_[i].Data == *field) c.Chooser = int(i);
    }
    c.LiteralText = field == kLiteralItem ? Mid(line, 20) : std::string();
}

void DisplayFormatEditor::SelectClosingLineIfNone() {
    if (list_.ListIndex() < 0 && list_.ListCount() > 0) list_.SetListIndex(list_.ListCount() - 1);
}

void DisplayFormatEditor::Add() {
    if (editing_) return;
    if (controls_.Chooser < 0) {
        messages_.Show(kNoEntry);
        return;
    }
    SelectClosingLineIfNone();
    if (list_.ListCount() >= kMaxLines) {
        messages_.Show(kTooMany);
        return;
    }
    std::string why;
    const auto line = BuildEntry(&why);
    if (!line) {
        messages_.Show(why);
        return;
    }
    const int at = std::max(list_.ListIndex(), 0);
    list_.AddItem(*line, at);
    list_.SetListIndex(at);
}

void DisplayFormatEditor::Edit() {
    if (editing_) return;
    if (!RealEntrySelected()) {
        messages_.Show(kNoItem);
        return;
    }
    editIndex_ = list_.ListIndex();
    LoadEntry(list_.List(editIndex_));
    editing_ = true;
    list_.SetEnabled(false);
}

void DisplayFormatEditor::Ok() {
    if (!editing_) return;
    std::string why;
    const auto line = BuildEntry(&why);
    if (!line) {
        messages_.Show(why);
        return; // stays in the editor
    }
    if (editIndex_ >= 0 && editIndex_ < list_.ListCount() - 1) {
        list_.SetList(editIndex_, *line);
        list_.SetListIndex(editIndex_);
    }
    Escape();
}

void DisplayFormatEditor::Escape() {
    editing_ = false;
    editIndex_ = -1;
    list_.SetEnabled(true);
}

void DisplayFormatEditor::Copy() {
    if (editing_) return;
    if (!RealEntrySelected()) {
        messages_.Show(kNoItem);
        return;
    }
    clipboard_ = list_.List(list_.ListIndex());
}

void DisplayFormatEditor::RemoveSelected() {
    const int at = list_.ListIndex();
    list_.RemoveItem(at);
    list_.SetListIndex(std::min(at, list_.ListCount() - 1));
}

void DisplayFormatEditor::Cut() {
    if (editing_) return;
    if (!RealEntrySelected()) {
        messages_.Show(kNoItem);
        return;
    }
    clipboard_ = list_.List(list_.ListIndex());
    RemoveSelected();
}

void DisplayFormatEditor::Delete() {
    if (editing_) return;
    if (!RealEntrySelected()) {
        messages_.Show(kNoItem);
        return;
    }
    RemoveSelected();
}

void DisplayFormatEditor::Paste() {
    if (editing_) return;
    if (clipboard_.empty()) {
        messages_.Show(kNothingToPaste);
        return;
    }
    SelectClosingLineIfNone();
    if (list_.ListCount() >= kMaxLines) {
        messages_.Show(kTooMany); // the clipboard keeps the entry
        return;
    }
    const int at = std::max(list_.ListIndex(), 0);
    list_.AddItem(clipboard_, at);
    list_.SetListIndex(at);
    clipboard_.clear();
}

} // namespace zeva
