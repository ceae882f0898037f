#pragma once
#include "model/FieldValue.h"
#include "model/RecordLogChannel.h"
#include "model/ZVFieldType.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zeva {

class FieldDatabase;
class FlexGrid;
class ListBox;
class MessageBox;
class SettingsDatabase;

// The field definitions of the caller record and the Fields window that shows them.
//
// The table is keyed by field number and kept in insertion order (positions count from 1). Each
// attribute change is stored, shown in the member grid and list, written back to the field database
// (which start-up opens read-only, so the write is refused and ignored), logged to the record log
// when one is on, and announced through FieldChange. Without a grid the screen updates are skipped;
// without a database the write-backs report success and do nothing. The records themselves (the
// queue, RField and SetRField) live in ZVRecordClass.
//
// Lifetime: the grid, list, settings, message box and database handed in must outlive the class
// (the main window owns them all). Call order: SetupFDBase, SetupFGrid, Connect(userid); at
// shutdown Disconnect, which stores the grid layout in the settings section "FIELDS_Window".
class ZVFieldClass {
  public:
    static constexpr int kAttributes = 9;
    static constexpr int kMaxGridRows = 200;
    static constexpr int kStateCols = 100;
    static constexpr const char* kSection = "FIELDS_Window";

    struct Column {
        std::string Title;
        std::int16_t MapTo = -1;
        std::int32_t Width = 1000;
        bool Enabled = true;
    };
    // source = the changed definition; etype 1 title, 2 deleted, 4 format, 5 value type, 9 DBase.
    using FieldChangeHandler = std::function<void(ZVFieldType& source, std::int16_t etype)>;

    explicit ZVFieldClass(SettingsDatabase* settings = nullptr, MessageBox* messages = nullptr);
    ~ZVFieldClass();
    ZVFieldClass(const ZVFieldClass&) = delete;
    ZVFieldClass& operator=(const ZVFieldClass&) = delete;

    std::string Version() const { return "1.00.00"; }
    bool SetupFGrid(FlexGrid* grid, ListBox* list);
    bool SetupFDBase(FieldDatabase* database);
    // Switches the record log on for the next Connect; the result is always false. The log file
    // lives under folder (LOGS inside it), the current folder by default.
    bool SetupRLogging(const std::string& folder = ".");
    // Whether the record log is on and writing (a log that could not start leaves it off).
    bool RecordLogOn() const { return log_ != nullptr; }
    void SetRecordLogFactory(RecordLogFactory factory) { logFactory_ = std::move(factory); }
    void SetFieldChangeHandler(FieldChangeHandler handler) { onFieldChange_ = std::move(handler); }
    // When on, a newly added field is placed at grid row 1 at once (off by default).
    void SetAutoMap(bool on) { autoMap_ = on; }

    bool Connect(const std::string& source);
    bool Disconnect();

    const std::string& Userid() const { return userid_; }
    bool Connected() const { return connected_; }
    // The outcome of the last keyed operation; reading resets it to false.
    bool Valid();
    std::int16_t QFields() const { return kAttributes; }
    // Number of field definitions in the table.
    int Count() const { return static_cast<int>(fields_.size()); }

    // Field number: get of a field; set adds (index -1), renumbers or deletes (target -1).
    std::int16_t FIdentifier();
    std::int16_t FIdentifier(std::int16_t index);
    void SetFIdentifier(std::int16_t target);
    void SetFIdentifier(std::int16_t index, std::int16_t target);

    std::string FTitle();
    std::string FTitle(std::int16_t index);
    void SetFTitle(const std::string& value);
    void SetFTitle(std::int16_t index, const std::string& value);
    std::string FDescription();
    std::string FDescription(std::int16_t index);
    void SetFDescription(const std::string& value);
    void SetFDescription(std::int16_t index, const std::string& value);
    std::string FFormat();
    std::string FFormat(std::int16_t index);
    void SetFFormat(const std::string& value);
    void SetFFormat(std::int16_t index, const std::string& value);
    std::int16_t FVType();
    std::int16_t FVType(std::int16_t index);
    void SetFVType(std::int16_t value);
    void SetFVType(std::int16_t index, std::int16_t value);
    bool FDBase();
    bool FDBase(std::int16_t index);
    void SetFDBase(bool value);
    void SetFDBase(std::int16_t index, bool value);
    // Typed by the field's VType (Part of value formatting): the default converts to the field's
    // type or gives that type's empty value; limits of text fields are lengths (16-bit), of
    // variants 32-bit, of types without a value the stored text.
    FieldValue FDefault();
    FieldValue FDefault(std::int16_t index);
    void SetFDefault(const FieldValue& value);
    void SetFDefault(std::int16_t index, const FieldValue& value);
    FieldValue FMinsize();
    FieldValue FMinsize(std::int16_t index);
    void SetFMinsize(const FieldValue& value);
    void SetFMinsize(std::int16_t index, const FieldValue& value);
    FieldValue FMaxsize();
    FieldValue FMaxsize(std::int16_t index);
    void SetFMaxsize(const FieldValue& value);
    void SetFMaxsize(std::int16_t index, const FieldValue& value);
    // Grid row of a field (row 0 is the header), -1 none. Setting a row inserts the field there
    // (refused at 200 rows or past the end); -1 takes it off the grid.
    std::int16_t QMapTo();
    std::int16_t QMapTo(std::int16_t index);
    void SetQMapTo(std::int16_t value);
    void SetQMapTo(std::int16_t index, std::int16_t value);

    // The stored definition by key (field number as text) or by 1-based position. Not found:
    // Valid false and a fresh definition with Identifier -1. The reference is good until the table
    // changes.
    ZVFieldType& FField(const std::string& key);
    ZVFieldType& FField(std::int32_t position);
    // Adds field index and copies cdfield's attributes through the setters.
    void SetFField(std::int32_t index, const ZVFieldType& cdfield);

    // A raw value laid out by the field's type and display format; "" and Valid false when the
    // field is unknown or the value does not convert.
    std::string FFormatField(std::int16_t index, std::string_view target);

    // Attribute columns 0..8 of the member grid.
    std::string ctitle(std::int16_t index) const;
    void Setctitle(std::int16_t index, const std::string& value);
    std::int16_t CMapTo(std::int16_t index) const;
    void SetCMapTo(std::int16_t index, std::int16_t target);
    bool CVisible(std::int16_t index) const;
    void SetCVisible(std::int16_t index, bool visible);
    bool CEnabled(std::int16_t index) const;
    void SetCEnabled(std::int16_t index, bool enabled);
    std::int16_t CField(std::int16_t gridColumn) const;

    void RefreshQueues();
    void LoadFieldMapFromReg();
    void SaveFieldMapToReg(bool update = true);

    // Record log channel: a no-op (false / "" / 0) while the log is off, as in the screen client.
    bool StoreRecord(const std::string& source);
    void RLog_NewFile();
    std::string RLBackup();
    std::int32_t RLSizeof(std::int16_t index);
    std::string RLCreateDBase(const std::string& source);
    std::string ConvertRLogToDBase(const std::string& source);

    // The field numbers of the grid rows, row 1 first (for tests and the window).
    std::vector<std::int16_t> GridOrder() const;
    // Background state of a grid cell (0 plain, 1 yellow), for tests.
    std::int16_t CellState(int row, int col) const;
    // Item data of the member list lines, top first (the list keeps only the text).
    const std::vector<std::int16_t>& ListItemData() const { return listData_; }

  private:
    enum Attribute {
        kIdentifier,
        kTitle,
        kVType,
        kDescription,
        kDefault,
        kFormat,
        kMinsize,
        kMaxsize,
        kDBase
    };

    ZVFieldType* Find(std::int16_t id);
    ZVFieldType* Lookup(std::int16_t id); // sets Valid
    int PositionOf(std::int16_t id) const;
    ZVFieldType& NotFound();
    void AddField(std::int16_t id);
    void Renumber(std::int16_t from, std::int16_t to);
    void DeleteField(std::int16_t id);
    bool LoadTable(const std::vector<ZVFieldType>& rows);

    void Changed(ZVFieldType& f, Attribute a, bool listLine, bool logPacket, std::int16_t etype);
    void LogPacket(const ZVFieldType& f);
    void Raise(ZVFieldType& f, std::int16_t etype);
    std::string CellText(const ZVFieldType& f, int attribute) const;
    void UpdateCell(const ZVFieldType& f, int attribute);
    void UpdateListLine(const ZVFieldType& f, bool useDescription = false);
    void RemoveListLine(std::int16_t id);
    bool InsertRow(ZVFieldType& f, int row);
    void RemoveRow(ZVFieldType& f);
    int PlacedCount() const;
    void TakeWidths();
    void PlaceColumn(int index, int dest);
    void NormaliseColumns();
    void DefaultColumns();
    void LoadColumns();
    void SaveColumns();
    void SetRowStates(int rows);

    static bool CarriesLimits(std::int16_t vtype);
    FieldValue TypedLimit(const ZVFieldType& f, const std::string& stored) const;
    FieldValue TypedDefault(const ZVFieldType& f) const;

    SettingsDatabase* settings_;
    MessageBox* messages_;
    FieldDatabase* database_ = nullptr;
    FlexGrid* grid_ = nullptr;
    ListBox* list_ = nullptr;
    bool databaseReady_ = false, gridReady_ = false, tableLoaded_ = false;
    bool connected_ = false, valid_ = false, autoMap_ = false;
    bool logRequested_ = false;
    std::string logFolder_ = ".";
    std::string userid_ = "NOTINIT";

    std::vector<std::unique_ptr<ZVFieldType>> fields_;
    std::unordered_map<std::int16_t, ZVFieldType*> byId_;
    std::unique_ptr<ZVFieldType> current_;
    ZVFieldType notFound_;
    std::vector<std::int16_t> listData_;

    std::array<Column, kAttributes> columns_;
    std::vector<std::array<std::int16_t, kStateCols>> cellStates_;
    std::array<std::uint32_t, 3> colours_{0xFFFFFF, 65535, 255};

    RecordLogFactory logFactory_;
    std::unique_ptr<RecordLogChannel> log_;
    FieldChangeHandler onFieldChange_;
};

} // namespace zeva
