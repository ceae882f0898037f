#pragma once
#include "model/ZVRecordType.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zeva {

class FlexGrid;
class ListBox;
class SettingsDatabase;
class ZVFieldClass;
class ZVFieldType;

// The record queue: the most recent caller records, each under a small identifier (0..9999, the
// lowest free one), shown in the Records window as a list of identifiers and a grid with one row
// per record (newest at row 1) and one column per chosen field.
//
// The column map (which fields are columns, their order, titles and widths) is edited from the
// grid's pop-up menu and stored in the settings section "RECORD_Window" at Disconnect. Column
// positions are kept dense (0..shown-1) whatever the stored layout held, and at most 50 columns
// are shown.
//
// Lifetime: the grid, list, settings and field class handed in must outlive the class (the main
// window owns them all). Call order: SetupRGrid, Connect(userid, fields); at shutdown Disconnect.
// Without a grid only the screen updates are skipped. Nothing throws; failures show in Valid().
class ZVRecordClass {
  public:
    static constexpr int kMaxIdentifier = 9999;
    static constexpr int kMaxGridColumns = 50;
    static constexpr int kMaxTrim = 300;
    static constexpr int kMaxColumns = 1000;
    static constexpr const char* kSection = "RECORD_Window";
    static constexpr const char* kInvalidTitle = "Invalid666";

    struct Column {
        std::int16_t RFieldId = -1; // -2 built-in, -1 none, else a field number
        std::string Title;
        std::int16_t MapTo = -1; // grid column, -1 hidden
        std::int32_t Width = 1000;
        bool Enabled = true;
    };

    explicit ZVRecordClass(SettingsDatabase* settings = nullptr);
    ~ZVRecordClass();
    ZVRecordClass(const ZVRecordClass&) = delete;
    ZVRecordClass& operator=(const ZVRecordClass&) = delete;

    bool SetupRGrid(FlexGrid* grid, ListBox* list);
    // Loads the column map, builds the grid from the queue and drops columns whose field is gone.
    bool Connect(const std::string& source, ZVFieldClass* fields);
    // Stores the column map (with the widths the operator gave the columns) and the row order,
    // then empties the grid and the list.
    bool Disconnect();
    bool Connected() const { return connected_; }

    // Whether the last operation succeeded.
    bool Valid() const { return valid_; }

    // Record management: (-1, -1) creates a record under the lowest free identifier and trims the
    // queue to DisplayRows; (i, -1) deletes record i; (i, t) re-keys record i as t when t is free.
    void SetFIdentifier(std::int16_t index, std::int16_t target);
    // Creates a record; its identifier, or -1 when all 10000 are in use.
    std::int16_t NewRecord();
    // A pipe-delimited line stored as a new record (values numbered from 101); the record text.
    std::string ImportPipeRecord(const std::string& line);

    bool Exists(std::int16_t id) const;
    std::string RRawData(std::int16_t id) const;
    void SetRRawData(std::int16_t id, const std::string& text);
    // One field value; "" when the record or the field is missing.
    std::string RField(std::int16_t id, std::int16_t fieldId) const;
    // Iteration: fieldId -2 starts, -1 steps; it comes back as the field's number, -1 at the end.
    std::string RFieldNext(std::int16_t id, std::int16_t& fieldId);
    void SetRField(std::int16_t id, std::int16_t fieldId, const std::string& value);
    // The scratch record, for callers without an identifier.
    ZVRecordType& Scratch() { return scratch_; }

    int QRecords() const { return static_cast<int>(records_.size()); }
    std::int16_t LastIdentifier() const { return lastIdentifier_; }
    std::int16_t DisplayRows() const { return displayRows_; }
    // Capacity; values below 1 are refused. Trims at once when connected.
    void SetDisplayRows(std::int16_t rows);
    // Grid row of a record, -1 none.
    std::int16_t QMapTo(std::int16_t id) const;
    // Identifiers oldest first, and by grid row (row 1 first).
    std::vector<std::int16_t> Identifiers() const;
    std::vector<std::int16_t> GridOrder() const;
    // The record shown in a grid row (>= 1), -1 none.
    std::int16_t RecordAtRow(int row) const;

    // Column map, by map column index.
    std::int16_t NumberOfColumns() const { return static_cast<std::int16_t>(columns_.size()); }
    const Column* ColumnAt(std::int16_t index) const;
    std::int16_t CField(std::int16_t index) const;
    std::string ctitle(std::int16_t index) const;
    void Setctitle(std::int16_t index, const std::string& value);
    std::int16_t CMapTo(std::int16_t index) const;
    // Refused for a column that is not Enabled or a target outside -1..49; otherwise the column
    // lands just after grid column target (-1 hides it).
    void SetCMapTo(std::int16_t index, std::int16_t target);
    // Places an Enabled column at exactly grid column 0..49 (the others make room).
    void PlaceColumnAt(std::int16_t index, std::int16_t gridColumn);
    bool CVisible(std::int16_t index) const { return CMapTo(index) != -1; }
    void SetCVisible(std::int16_t index, bool visible);
    bool CEnabled(std::int16_t index) const;
    void SetCEnabled(std::int16_t index, bool enabled);
    // The same by field number.
    std::int16_t CRMapTo(std::int16_t fieldId) const { return CMapTo(SearchRField(fieldId)); }
    void SetCRMapTo(std::int16_t fieldId, std::int16_t target) { SetCMapTo(SearchRField(fieldId), target); }
    bool CRVisible(std::int16_t fieldId) const { return CVisible(SearchRField(fieldId)); }
    void SetCRVisible(std::int16_t fieldId, bool v) { SetCVisible(SearchRField(fieldId), v); }
    bool CREnabled(std::int16_t fieldId) const { return CEnabled(SearchRField(fieldId)); }
    void SetCREnabled(std::int16_t fieldId, bool e) { SetCEnabled(SearchRField(fieldId), e); }
    // The map column shown at a grid column, -1 none.
    std::int16_t ColumnAtGrid(int gridColumn) const;

    // Adds a hidden column for a defined field that has none yet.
    bool RFieldAdd(std::int16_t fieldId);
    // Removes a column that shows a real field; built-in columns stay.
    bool RFieldDelete(std::int16_t index);
    std::int16_t SearchRField(std::int16_t fieldId) const;
    bool VolatileKey(std::int16_t index) const;

    // Field class notification: 1 title changed, 2 field deleted, 4 format, 5 value type.
    void ZVFClass_FieldChange(ZVFieldType& source, std::int16_t etype);

    void RefreshQueues();
    void LoadFieldMapFromReg();
    void SaveFieldMapToReg();

  private:
    ZVRecordType* Find(std::int16_t id);
    const ZVRecordType* Find(std::int16_t id) const;
    std::int16_t Allocate();
    void DeleteRecord(std::int16_t id);
    void Rekey(std::int16_t from, std::int16_t to);
    void Trim();
    void PlaceRow(ZVRecordType& r, int row);
    void RemoveRow(ZVRecordType& r);
    int RowOf(const ZVRecordType& r) const;
    void WriteRow(const ZVRecordType& r);
    std::string CellText(const ZVRecordType& r, const Column& c, std::size_t index) const;
    void AddListLine(std::int16_t id);
    void RemoveListLine(std::int16_t id);
    void SetListLine(std::int16_t from, std::int16_t to);
    int ShownColumns() const;
    void NormaliseColumns();
    void PlaceColumn(std::size_t index, int dest);
    void TakeWidths();
    void DefaultColumns();
    void LoadColumns();
    void SaveColumns();
    std::string FieldTitle(std::int16_t fieldId, bool& exists) const;
    bool GridReady() const { return grid_ != nullptr && connected_; }

    SettingsDatabase* settings_;
    ZVFieldClass* fields_ = nullptr;
    FlexGrid* grid_ = nullptr;
    ListBox* list_ = nullptr;
    bool connected_ = false, valid_ = false;
    std::string userid_;

    std::deque<std::unique_ptr<ZVRecordType>> records_; // oldest first
    std::array<ZVRecordType*, kMaxIdentifier + 1> byId_{};
    std::array<std::uint8_t, 1250> bitmap_{};
    ZVRecordType scratch_;
    std::int16_t lastIdentifier_ = -1;
    std::int16_t displayRows_ = -1;
    // The grid rows, row 1 first. A placed record's row is its key less the top row's key, plus 1:
    // a record placed on top or taken from the top or the bottom moves no other record's key.
    std::deque<ZVRecordType*> rows_;
    std::array<long long, kMaxIdentifier + 1> rowKey_{};
    long long topKey_ = 0;

    std::vector<Column> columns_;
};

} // namespace zeva
