#pragma once
#include "display/DisplayFormatEntry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zeva {

class ListBox;
class ZVFieldClass;
class ZVRecordClass;
struct ClientSettings;

// The shape settings of one output block, clamped to the ranges the setup boxes allow so a stored
// value out of range still gives a bounded block.
struct OutputLayout {
    int Width = 138;        // W, 1..1000
    int Lines = 1;          // L, 1..50
    int Indent = 0;         // I, 0..W
    bool TextFormat = true; // word-aware breaks
    bool TruncIndicator = true;
    bool FixedLines = false;

    static OutputLayout From(const ClientSettings& s);
};

// Lays one record out by the entry table: the record's output lines, top first (at most L, each at
// most W characters; none for a record that gives no text). field(n) gives the value of field n.
std::vector<std::string> LayoutRecord(const std::vector<DisplayFormatEntry>& entries,
                                      const OutputLayout& layout,
                                      const std::function<std::string(std::int16_t)>& field);

// The Output window and the Full fields list: shows records of the record queue laid out by the
// display-format list. Settings are read from the ClientSettings at every record, so a change on
// the setup screen applies to the next record; the entry table changes only when the list is
// parsed again. Every Output line goes through InsertInDisplay (newest on top, selected, capped at
// MaxEntriesInOutput).
class OutputFormatter {
  public:
    OutputFormatter(ZVRecordClass& records, ZVFieldClass* fields, const ClientSettings& settings,
                    ListBox& output, ListBox& fullFields);

    void ParseDisplayFormatList(const std::vector<std::string>& lines);
    const std::vector<DisplayFormatEntry>& Entries() const { return entries_; }

    void FormatRecordToOutput(std::int16_t recordId);
    // The Output block of a record text that has no place in the record queue.
    void FormatRecordTextToOutput(const std::string& recordText);
    // How many record lines the last Output block had (the top lines of the Output window after it).
    std::size_t LastBlockLines() const { return lastBlockLines_; }
    void ShowFullFields(std::int16_t recordId);
    // Data intake's steps after a record is stored: the Output block, the Full fields list when
    // "&Auto Update FF" is ticked, the beep when "&Beep" is ticked.
    void PresentRecord(std::int16_t recordId);
    // Data intake's whole road for one arrived record text: a new queue entry, then PresentRecord.
    // A record the queue cannot take (every identifier in use) is still laid out in the Output
    // window, under kQueueFullLine; the result is false then.
    bool ShowRecordText(const std::string& recordText);
    static constexpr const char* kQueueFullLine = "Record queue full: record shown in the Output window only";
    // A line at the top of the Output window.
    void InsertLine(const std::string& line);
    void ClearOutput();

    // "Single Record" (chkODSingle): the Output window is cleared before each record.
    bool SingleRecord = false;
    bool AutoUpdateFF() const { return autoUpdateFF_; }
    bool BeepOn() const { return beep_; }
    void SetAutoUpdateFF(bool on) { autoUpdateFF_ = on; }
    void SetBeep(bool on) { beep_ = on; }
    // The menu items: toggle the check mark, return the new state. Ticking "&Auto Update FF" shows
    // the last record at once.
    bool ToggleAutoUpdateFF();
    bool ToggleBeep();
    // Sounds the system beep; set by the window.
    std::function<void()> Beep;

  private:
    void OutputBlock(const std::function<std::string(std::int16_t)>& field);

    ZVRecordClass& records_;
    ZVFieldClass* fields_;
    const ClientSettings& settings_;
    ListBox& output_;
    ListBox& fullFields_;
    std::vector<DisplayFormatEntry> entries_;
    bool autoUpdateFF_ = false;
    std::size_t lastBlockLines_ = 0;
    bool beep_ = false;
};

} // namespace zeva
