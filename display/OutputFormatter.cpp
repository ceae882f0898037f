#include "display/OutputFormatter.h"

#include "common/Cp1252.h"
#include "common/TextUtil.h"
#include "display/InsertInDisplay.h"
#include "display/ZVRecordClass.h"
#include "model/ZVFieldClass.h"
#include "model/ZVRecordType.h"
#include "platform/ListBox.h"
#include "settings/ClientSettings.h"

#include <algorithm>
#include <cstdio>

namespace zeva {

namespace {

void RTrimBlanks(std::string& s) {
    const auto end = s.find_last_not_of(' ');
    s.erase(end == std::string::npos ? 0 : end + 1);
}

std::size_t FirstNonBlank(const std::string& s, std::size_t from) {
    const auto p = s.find_first_not_of(' ', from);
    return p == std::string::npos ? s.size() : p;
}

// One pass of the break loop at break position p (1-based: the last column of an output line).
// Precondition: line.size() > p.
void BreakAt(std::string& line, std::size_t p, const OutputLayout& layout) {
    const std::size_t indent = static_cast<std::size_t>(layout.Indent);
    if (!layout.TextFormat) {
        line.insert(p, indent, ' ');
        return;
    }
    if (line[p - 1] != ' ' && line[p] != ' ') {
        // A word runs across the break: move it whole when a blank lies within the last eight
        // columns, else split it with a hyphen in the last column.
        std::size_t j = 0;
        for (std::size_t k = p - 1; k >= 1 && k + 8 >= p; --k)
            if (line[k - 1] == ' ') {
                j = k;
                break;
            }
        if (j > 0)
            // The blanks after the word (its post space) stay: trimming them would run the next
            // entry's value into this word.
            line.insert(j, p - j, ' ');
        else
            line.insert(p - 1, 1, '-');
    }
    // The next line starts with the indent, then the text without its leading blanks.
    const std::size_t text = FirstNonBlank(line, p);
    line.replace(p, text - p, indent, ' ');
}

} // namespace

OutputLayout OutputLayout::From(const ClientSettings& s) {
    OutputLayout l;
    l.Width = std::clamp<int>(s.CharactersPerPage, 1, 1000);
    l.Lines = std::clamp<int>(s.LinesPerRecord, 1, 50);
    l.Indent = std::clamp<int>(s.LineIndentCharacters, 0, l.Width);
    l.TextFormat = s.TextFormat;
    l.TruncIndicator = s.ShowTruncIndicator;
    l.FixedLines = s.FixedLinesPerRecord;
    return l;
}

std::vector<std::string> LayoutRecord(const std::vector<DisplayFormatEntry>& entries,
                                      const OutputLayout& layout,
                                      const std::function<std::string(std::int16_t)>& field) {
    const std::size_t W = static_cast<std::size_t>(std::clamp(layout.Width, 1, 1000));
    const std::size_t L = static_cast<std::size_t>(std::clamp(layout.Lines, 1, 50));
    OutputLayout clamped = layout;
    clamped.Indent = std::clamp(layout.Indent, 0, static_cast<int>(W));
    const std::size_t M = L * W;
    const std::size_t lastBreak = (L + 1) * W;

    std::string line;
    line.reserve(M + W);
    std::size_t P = W;
    // Once every break has run, what is appended lies past M and is cut; it is still laid out
    // (cut to its Max Size like any other value) because it decides whether the block ends in
    // "{more}". The line stays bounded by the record's own text.
    for (const auto& e : entries) {
        std::string value = e.FieldId == DisplayFormatEntry::kLiteral ? e.Text : field(e.FieldId);
        if (e.UpperCase) value = Cp1252ToUpper(value);
        if (e.NewLine) line.append(W - line.size() % W, ' ');
        if (e.MaxSize != DisplayFormatEntry::kEof) {
            const bool eol = e.MaxSize == DisplayFormatEntry::kEol;
            const std::size_t size =
                eol ? W - line.size() % W : static_cast<std::size_t>(std::max<int>(e.MaxSize, 0));
            if (value.size() >= size)
                value.resize(size);
            else if (e.FixedSize && !eol)
                value.append(size - value.size(), ' ');
        }
        value.append(static_cast<std::size_t>(std::max<int>(e.PostSpace, 0)), ' ');
        line += value;
        while (P < lastBreak && line.size() > P) {
            BreakAt(line, P, clamped);
            P += W;
        }
    }

    std::string trimmed = line;
    RTrimBlanks(trimmed);
    // The mark says exactly this: the laid-out text, without its trailing blanks, is longer than
    // the block.
    if (layout.TruncIndicator && M >= 6 && trimmed.size() > M) line.replace(M - 6, 6, "{more}");
    if (line.size() > M) line.resize(M);
    if (layout.FixedLines)
        line.resize(M, ' ');
    else
        RTrimBlanks(line);

    std::vector<std::string> pieces;
    for (std::size_t p = 0; p < line.size(); p += W)
        pieces.push_back(line.substr(p, W));
    return pieces;
}

OutputFormatter::OutputFormatter(ZVRecordClass& records, ZVFieldClass* fields, const ClientSettings& settings,
                                 ListBox& output, ListBox& fullFields)
    : records_(records), fields_(fields), settings_(settings), output_(output), fullFields_(fullFields) {}

void OutputFormatter::ParseDisplayFormatList(const std::vector<std::string>& lines) {
    entries_ = zeva::ParseDisplayFormatList(lines);
}

void OutputFormatter::InsertLine(const std::string& line) {
    InsertInDisplay(output_, line, settings_.MaxEntriesInOutput);
}

void OutputFormatter::ClearOutput() {
    output_.Clear();
}

void OutputFormatter::FormatRecordToOutput(std::int16_t recordId) {
    OutputBlock([&](std::int16_t n) { return records_.RField(recordId, n); });
}

void OutputFormatter::FormatRecordTextToOutput(const std::string& recordText) {
    ZVRecordType record;
    record.SetRawData(recordText);
    OutputBlock([&](std::int16_t n) { return record.field(int{n}); });
}

void OutputFormatter::OutputBlock(const std::function<std::string(std::int16_t)>& field) {
    if (SingleRecord) output_.Clear();
    const auto pieces = LayoutRecord(entries_, OutputLayout::From(settings_), field);
    lastBlockLines_ = pieces.size();
    const int postLines = std::clamp<int>(settings_.NoOfPostLines, 0, 20);
    for (int i = 0; i < postLines; ++i)
        InsertLine("");
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it)
        InsertLine(*it);
}

void OutputFormatter::ShowFullFields(std::int16_t recordId) {
    fullFields_.Clear();
    char key[32];
    std::snprintf(key, sizeof key, "[RECORD KEY = %04d]", static_cast<int>(recordId));
    fullFields_.AddItem(key);
    const std::size_t justify =
        static_cast<std::size_t>(std::clamp<int>(settings_.FullFieldsJustify, 0, 300));
    std::int16_t id = -2;
    for (;;) {
        const std::string value = records_.RFieldNext(recordId, id);
        if (id == -1) break;
        std::string title = fields_ ? fields_->FTitle(id) : std::string();
        if (justify == 0) {
            fullFields_.AddItem(title + " = " + value);
        } else {
            if (title.empty()) {
                char unknown[40];
                std::snprintf(unknown, sizeof unknown, "Unknown Field (%03d)", static_cast<int>(id));
                title = unknown;
            }
            title.resize(justify, ' ');
            fullFields_.AddItem(title + " = " + value);
        }
        id = -1;
    }
}

void OutputFormatter::PresentRecord(std::int16_t recordId) {
    FormatRecordToOutput(recordId);
    if (autoUpdateFF_) ShowFullFields(recordId);
    if (beep_ && Beep) Beep();
}

bool OutputFormatter::ShowRecordText(const std::string& recordText) {
    const std::int16_t id = records_.NewRecord();
    if (id < 0) {
        // No record may vanish unseen: without a queue entry it still reaches the operator.
        FormatRecordTextToOutput(recordText);
        InsertLine(kQueueFullLine);
        if (beep_ && Beep) Beep();
        return false;
    }
    records_.SetRRawData(id, recordText);
    PresentRecord(id);
    return true;
}

bool OutputFormatter::ToggleAutoUpdateFF() {
    autoUpdateFF_ = !autoUpdateFF_;
    if (autoUpdateFF_) ShowFullFields(records_.LastIdentifier());
    return autoUpdateFF_;
}

bool OutputFormatter::ToggleBeep() {
    beep_ = !beep_;
    return beep_;
}

} // namespace zeva
