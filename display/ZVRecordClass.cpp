#include "display/ZVRecordClass.h"
#include "model/MapIndex.h"

#include "common/Convert.h"
#include "common/TextUtil.h"
#include "model/RecordText.h"
#include "model/ZVFieldClass.h"
#include "platform/FlexGrid.h"
#include "platform/ListBox.h"
#include "settings/SettingsDatabase.h"

#include <algorithm>
#include <cstdio>

namespace zeva {

namespace {

bool InRange(int id) {
    return id >= 0 && id <= ZVRecordClass::kMaxIdentifier;
}

// The identifier of a list line: its first four characters.
int LineIdentifier(const std::string& line) {
    return ToInt16(std::string_view(line).substr(0, 4)).value_or(-1);
}

} // namespace

ZVRecordClass::ZVRecordClass(SettingsDatabase* settings) : settings_(settings) {
    DefaultColumns();
}

ZVRecordClass::~ZVRecordClass() = default;

bool ZVRecordClass::SetupRGrid(FlexGrid* grid, ListBox* list) {
    grid_ = grid;
    list_ = list;
    valid_ = grid != nullptr;
    return valid_;
}

// ---- connect and disconnect ----

bool ZVRecordClass::Connect(const std::string& source, ZVFieldClass* fields) {
    userid_ = source;
    fields_ = fields;
    connected_ = true;
    LoadColumns();
    // Columns whose field no longer exists were titled "Invalid666" by the load; they go now.
    for (std::size_t i = columns_.size(); i-- > 0;)
        if (columns_[i].Title == kInvalidTitle && columns_[i].RFieldId != -2)
            columns_.erase(columns_.begin() + static_cast<std::ptrdiff_t>(i));
    NormaliseColumns();
    if (list_) {
        list_->Clear();
        for (const auto& r : records_)
            AddListLine(r->Identifier);
    }
    RefreshQueues();
    valid_ = true;
    Trim();
    return true;
}

bool ZVRecordClass::Disconnect() {
    TakeWidths();
    SaveColumns();
    SaveFieldMapToReg();
    if (GridReady()) {
        grid_->SetRows(1);
        for (int c = 0; c < grid_->Cols(); ++c)
            grid_->SetTextMatrix(0, c, "");
    }
    if (list_) list_->Clear();
    connected_ = false;
    valid_ = true;
    return true;
}

// ---- records ----

ZVRecordType* ZVRecordClass::Find(std::int16_t id) {
    return InRange(id) ? byId_[std::size_t(id)] : nullptr;
}

const ZVRecordType* ZVRecordClass::Find(std::int16_t id) const {
    return InRange(id) ? byId_[std::size_t(id)] : nullptr;
}

bool ZVRecordClass::Exists(std::int16_t id) const {
    return Find(id) != nullptr;
}

std::int16_t ZVRecordClass::Allocate() {
    for (std::size_t b = 0; b < bitmap_.size(); ++b) {
        if (bitmap_[b] == 255) continue;
        for (int k = 0; k < 8; ++k)
            if (!(bitmap_[b] & (1u << k))) {
                const int id = static_cast<int>(b) * 8 + k;
                return InRange(id) ? static_cast<std::int16_t>(id) : std::int16_t{-1};
            }
    }
    return -1;
}

std::int16_t ZVRecordClass::NewRecord() {
    const std::int16_t id = Allocate();
    if (id < 0) {
        valid_ = false;
        return -1;
    }
    auto r = std::make_unique<ZVRecordType>();
    r->Identifier = id;
    byId_[std::size_t(id)] = r.get();
    bitmap_[std::size_t(id) / 8] = static_cast<std::uint8_t>(bitmap_[std::size_t(id) / 8] | (1u << (id % 8)));
    records_.push_back(std::move(r));
    lastIdentifier_ = id;
    AddListLine(id);
    PlaceRow(*records_.back(), 1);
    Trim();
    valid_ = true;
    return id;
}

void ZVRecordClass::SetFIdentifier(std::int16_t index, std::int16_t target) {
    if (index == -1 && target == -1) {
        NewRecord();
    } else if (target == -1) {
        valid_ = Exists(index);
        if (valid_) DeleteRecord(index);
    } else {
        valid_ = Exists(index) && InRange(target) && !Exists(target);
        if (valid_) Rekey(index, target);
    }
}

void ZVRecordClass::Trim() {
    if (displayRows_ < 1) return;
    for (int n = 0; n<kMaxTrim&& static_cast<int>(records_.size())> displayRows_; ++n)
        DeleteRecord(records_.front()->Identifier);
}

void ZVRecordClass::DeleteRecord(std::int16_t id) {
    ZVRecordType* r = Find(id);
    if (!r) return;
    // The grid row goes with the record: a row left behind would never be reused and could show a
    // stale record under an identifier handed out again.
    RemoveRow(*r);
    RemoveListLine(id);
    byId_[std::size_t(id)] = nullptr;
    bitmap_[std::size_t(id) / 8] =
        static_cast<std::uint8_t>(bitmap_[std::size_t(id) / 8] & ~(1u << (id % 8)));
    const auto it =
        std::find_if(records_.begin(), records_.end(), [&](const auto& p) { return p.get() == r; });
    if (it != records_.end()) records_.erase(it);
}

void ZVRecordClass::Rekey(std::int16_t from, std::int16_t to) {
    ZVRecordType* r = Find(from);
    byId_[std::size_t(from)] = nullptr;
    bitmap_[std::size_t(from) / 8] =
        static_cast<std::uint8_t>(bitmap_[std::size_t(from) / 8] & ~(1u << (from % 8)));
    r->Identifier = to;
    rowKey_[std::size_t(to)] = rowKey_[std::size_t(from)];
    byId_[std::size_t(to)] = r;
    bitmap_[std::size_t(to) / 8] = static_cast<std::uint8_t>(bitmap_[std::size_t(to) / 8] | (1u << (to % 8)));
    if (lastIdentifier_ == from) lastIdentifier_ = to;
    SetListLine(from, to);
    WriteRow(*r);
}

std::string ZVRecordClass::ImportPipeRecord(const std::string& line) {
    const std::int16_t id = NewRecord();
    if (id < 0) return {};
    SetRRawData(id, RecordText::ImportPipeRecord(line));
    return RRawData(id);
}

std::string ZVRecordClass::RRawData(std::int16_t id) const {
    const ZVRecordType* r = Find(id);
    return r ? r->RawData() : std::string();
}

void ZVRecordClass::SetRRawData(std::int16_t id, const std::string& text) {
    ZVRecordType* r = Find(id);
    valid_ = r != nullptr;
    if (!r) return;
    r->SetRawData(text);
    WriteRow(*r);
}

std::string ZVRecordClass::RField(std::int16_t id, std::int16_t fieldId) const {
    const ZVRecordType* r = Find(id);
    return r ? r->field(static_cast<int>(fieldId)) : std::string();
}

std::string ZVRecordClass::RFieldNext(std::int16_t id, std::int16_t& fieldId) {
    ZVRecordType* r = Find(id);
    if (!r) {
        fieldId = -1;
        return {};
    }
    return r->field(fieldId);
}

void ZVRecordClass::SetRField(std::int16_t id, std::int16_t fieldId, const std::string& value) {
    ZVRecordType* r = Find(id);
    valid_ = r != nullptr && r->SetField(fieldId, value);
    if (valid_) WriteRow(*r);
}

void ZVRecordClass::SetDisplayRows(std::int16_t rows) {
    if (rows < 1) {
        valid_ = false;
        return;
    }
    displayRows_ = rows;
    valid_ = true;
    if (connected_) Trim();
}

std::int16_t ZVRecordClass::QMapTo(std::int16_t id) const {
    const ZVRecordType* r = Find(id);
    return r ? static_cast<std::int16_t>(RowOf(*r)) : std::int16_t{-1};
}

std::vector<std::int16_t> ZVRecordClass::Identifiers() const {
    std::vector<std::int16_t> ids;
    ids.reserve(records_.size());
    for (const auto& r : records_)
        ids.push_back(r->Identifier);
    return ids;
}

std::vector<std::int16_t> ZVRecordClass::GridOrder() const {
    std::vector<std::int16_t> order;
    order.reserve(rows_.size());
    for (const ZVRecordType* r : rows_)
        order.push_back(r->Identifier);
    return order;
}

std::int16_t ZVRecordClass::RecordAtRow(int row) const {
    if (row < 1 || static_cast<std::size_t>(row) > rows_.size()) return -1;
    return rows_[static_cast<std::size_t>(row - 1)]->Identifier;
}

// ---- grid rows ----

int ZVRecordClass::RowOf(const ZVRecordType& r) const {
    const long long key = rowKey_[static_cast<std::size_t>(r.Identifier)];
    const std::size_t row = static_cast<std::size_t>(key - topKey_);
    // Keys of records without a row may lie anywhere; the row must hold this very record.
    return key >= topKey_ && row < rows_.size() && rows_[row] == &r ? static_cast<int>(row) + 1 : -1;
}

void ZVRecordClass::PlaceRow(ZVRecordType& r, int row) {
    if (RowOf(r) != -1) RemoveRow(r);
    row = std::clamp(row, 1, static_cast<int>(rows_.size()) + 1);
    if (row == 1) {
        rows_.push_front(&r);
        rowKey_[std::size_t(r.Identifier)] = --topKey_;
    } else {
        rows_.insert(rows_.begin() + (row - 1), &r);
        for (std::size_t k = static_cast<std::size_t>(row - 1); k < rows_.size(); ++k)
            rowKey_[std::size_t(rows_[k]->Identifier)] = topKey_ + static_cast<long long>(k);
    }
    if (GridReady() && grid_->Rows() >= row) {
        grid_->AddItem(row);
        WriteRow(r);
    }
}

void ZVRecordClass::RemoveRow(ZVRecordType& r) {
    const int row = RowOf(r);
    if (row == -1) return;
    if (row == 1) {
        rows_.pop_front();
        ++topKey_;
    } else {
        rows_.erase(rows_.begin() + (row - 1));
        for (std::size_t k = static_cast<std::size_t>(row - 1); k < rows_.size(); ++k)
            rowKey_[std::size_t(rows_[k]->Identifier)] = topKey_ + static_cast<long long>(k);
    }
    if (GridReady() && row < grid_->Rows()) grid_->RemoveItem(row);
}

std::string ZVRecordClass::CellText(const ZVRecordType& r, const Column& c, std::size_t index) const {
    if (c.RFieldId == -2) return index == 0 ? ZeroPadded(r.Identifier, 4) : r.RawData();
    if (c.RFieldId < 0) return {};
    const std::string raw = r.field(static_cast<int>(c.RFieldId));
    return fields_ ? fields_->FFormatField(c.RFieldId, raw) : raw;
}

void ZVRecordClass::WriteRow(const ZVRecordType& r) {
    if (!GridReady()) return;
    const int row = RowOf(r);
    if (row < 1 || row >= grid_->Rows()) return;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& c = columns_[i];
        if (c.MapTo < 0 || c.MapTo >= grid_->Cols()) continue;
        grid_->SetTextMatrix(row, c.MapTo, CellText(r, c, i));
    }
}

void ZVRecordClass::RefreshQueues() {
    if (!GridReady()) return;
    grid_->SetRedraw(false);
    const int shown = ShownColumns();
    grid_->SetCols(shown);
    grid_->SetRows(1 + static_cast<int>(rows_.size()));
    grid_->SetFixedRows(1);
    grid_->SetFixedCols(shown > 0 ? 1 : 0);
    for (const auto& c : columns_) {
        if (c.MapTo < 0 || c.MapTo >= shown) continue;
        grid_->SetTextMatrix(0, c.MapTo, c.Title);
        grid_->SetColWidth(c.MapTo, c.Width);
    }
    for (const auto& r : records_)
        WriteRow(*r);
    grid_->SetRedraw(true);
}

// ---- list lines ----

void ZVRecordClass::AddListLine(std::int16_t id) {
    // Newest on top, as the grid shows it; not selected, since choosing a line opens the record.
    if (list_ && connected_) list_->AddItem(ZeroPadded(id, 4), 0);
}

void ZVRecordClass::RemoveListLine(std::int16_t id) {
    if (!list_ || !connected_) return;
    for (int i = list_->ListCount() - 1; i >= 0; --i)
        if (LineIdentifier(list_->List(i)) == id) {
            list_->RemoveItem(i);
            return;
        }
}

void ZVRecordClass::SetListLine(std::int16_t from, std::int16_t to) {
    if (!list_ || !connected_) return;
    for (int i = list_->ListCount() - 1; i >= 0; --i)
        if (LineIdentifier(list_->List(i)) == from) {
            list_->SetList(i, ZeroPadded(to, 4));
            return;
        }
}

// ---- column map ----

void ZVRecordClass::DefaultColumns() {
    columns_.clear();
    columns_.push_back({-2, "Identifier", 0, 800, false});
    columns_.push_back({-2, "RawData", 1, 800, true});
}

std::string ZVRecordClass::FieldTitle(std::int16_t fieldId, bool& exists) const {
    exists = false;
    if (!fields_ || fieldId < 0) return {};
    ZVFieldType& f = fields_->FField(IntText(fieldId));
    exists = f.Identifier != -1;
    return exists ? f.Title : std::string();
}

void ZVRecordClass::LoadColumns() {
    DefaultColumns();
    if (!settings_) return;
    const int stored = std::clamp(int{ToInt16(settings_->RegGetSetting(1, SettingsDatabase::kApplication,
                                                                       kSection, "NumberofFields", 2))
                                          .value_or(2)},
                                  0, kMaxColumns);
    const std::vector<Column> defaults = columns_;
    columns_.clear();
    for (int n = 0; n < stored; ++n) {
        const std::string s = IntText(n);
        Column c = n < static_cast<int>(defaults.size()) ? defaults[std::size_t(n)] : Column{};
        const std::string title = settings_->RegGetSetting(2, SettingsDatabase::kApplication, kSection,
                                                           "Record Title" + s, c.Title);
        c.RFieldId = ToInt16(settings_->RegGetSetting(1, SettingsDatabase::kApplication, kSection,
                                                      "RField Id" + s, int(c.RFieldId)))
                         .value_or(c.RFieldId);
        c.Enabled = ToBool(settings_->RegGetSetting(0, SettingsDatabase::kApplication, kSection,
                                                    "Record Enabled" + s, c.Enabled))
                        .value_or(c.Enabled);
        c.MapTo = ToInt16(settings_->RegGetSetting(1, SettingsDatabase::kApplication, kSection,
                                                   "Record MapTo" + s, int(c.MapTo)))
                      .value_or(c.MapTo);
        c.Width = ToInt32(settings_->RegGetSetting(1, SettingsDatabase::kApplication, kSection,
                                                   "Record Width" + s, int(c.Width)))
                      .value_or(c.Width);
        if (c.RFieldId == -2) {
            c.Title = (title.empty() || title == "NULL") ? c.Title : title;
        } else {
            bool exists = false;
            const std::string fieldTitle = FieldTitle(c.RFieldId, exists);
            c.Title = exists ? fieldTitle : kInvalidTitle;
        }
        columns_.push_back(std::move(c));
    }
    // The identifier column is what ties a grid row to its record: it is always there.
    if (columns_.empty() || columns_[0].RFieldId != -2) columns_.insert(columns_.begin(), defaults[0]);
    NormaliseColumns();
}

void ZVRecordClass::SaveColumns() {
    if (!settings_) return;
    // Update-or-insert, as the field grid's layout is saved: a plain insert would add rows at every
    // shutdown while reads keep returning the first one.
    settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "NumberofFields",
                              static_cast<int>(columns_.size()));
    for (std::size_t n = 0; n < columns_.size(); ++n) {
        const std::string s = IntText(static_cast<long long>(n));
        const Column& c = columns_[n];
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "Record Title" + s, c.Title);
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "RField Id" + s,
                                  static_cast<int>(c.RFieldId));
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "Record Enabled" + s,
                                  c.Enabled);
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "Record MapTo" + s,
                                  static_cast<int>(c.MapTo));
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "Record Width" + s,
                                  static_cast<int>(c.Width));
    }
}

int ZVRecordClass::ShownColumns() const {
    int n = 0;
    for (const auto& c : columns_)
        if (c.MapTo != -1) ++n;
    return n;
}

void ZVRecordClass::NormaliseColumns() {
    // Stored layouts may hold gaps, two columns on one place or more than the grid can show.
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].MapTo < 0)
            columns_[i].MapTo = -1;
        else
            shown.push_back(i);
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [&](std::size_t a, std::size_t b) { return columns_[a].MapTo < columns_[b].MapTo; });
    for (std::size_t k = 0; k < shown.size(); ++k)
        columns_[shown[k]].MapTo = k < kMaxGridColumns ? static_cast<std::int16_t>(k) : std::int16_t{-1};
}

void ZVRecordClass::TakeWidths() {
    if (!GridReady()) return;
    for (auto& c : columns_)
        if (c.MapTo >= 0 && c.MapTo < grid_->Cols()) c.Width = grid_->ColWidth(c.MapTo);
}

void ZVRecordClass::PlaceColumn(std::size_t index, int dest) {
    Column& c = columns_[index];
    if (c.MapTo != -1) {
        const int old = c.MapTo;
        c.MapTo = -1;
        for (auto& o : columns_)
            if (o.MapTo > old) --o.MapTo;
    }
    if (dest < 0) return;
    // Past the last shown column means at the end, so the positions stay 0..shown-1.
    dest = std::min(dest, ShownColumns());
    for (auto& o : columns_)
        if (o.MapTo >= dest) ++o.MapTo;
    c.MapTo = static_cast<std::int16_t>(dest);
}

const ZVRecordClass::Column* ZVRecordClass::ColumnAt(std::int16_t index) const {
    return (index >= 0 && static_cast<std::size_t>(index) < columns_.size()) ? &columns_[std::size_t(index)]
                                                                             : nullptr;
}

std::int16_t ZVRecordClass::CField(std::int16_t index) const {
    const Column* c = ColumnAt(index);
    return c ? c->RFieldId : std::int16_t{-1};
}

std::string ZVRecordClass::ctitle(std::int16_t index) const {
    const Column* c = ColumnAt(index);
    return c ? c->Title : std::string();
}

void ZVRecordClass::Setctitle(std::int16_t index, const std::string& value) {
    if (!ColumnAt(index)) return;
    Column& c = columns_[std::size_t(index)];
    c.Title = value;
    if (GridReady() && c.MapTo >= 0 && c.MapTo < grid_->Cols()) grid_->SetTextMatrix(0, c.MapTo, value);
}

std::int16_t ZVRecordClass::CMapTo(std::int16_t index) const {
    const Column* c = ColumnAt(index);
    return c ? c->MapTo : std::int16_t{-1};
}

void ZVRecordClass::SetCMapTo(std::int16_t index, std::int16_t target) {
    if (target == -1) {
        const Column* c = ColumnAt(index);
        valid_ = c && c->Enabled;
        if (!valid_) return;
        TakeWidths();
        PlaceColumn(std::size_t(index), -1);
        RefreshQueues();
        return;
    }
    // The grid has at most 50 columns: targets run -1..49 and the column lands after the target.
    if (target < -1 || target >= kMaxGridColumns) {
        valid_ = false;
        return;
    }
    PlaceColumnAt(index, static_cast<std::int16_t>(std::min<int>(target + 1, kMaxGridColumns - 1)));
}

void ZVRecordClass::SetCVisible(std::int16_t index, bool visible) {
    if (!visible) {
        SetCMapTo(index, -1);
        return;
    }
    PlaceColumnAt(index, kMaxGridColumns - 1); // past the last shown column means at the end
}

void ZVRecordClass::PlaceColumnAt(std::int16_t index, std::int16_t gridColumn) {
    const Column* c = ColumnAt(index);
    valid_ = c && c->Enabled && gridColumn >= 0 && gridColumn < kMaxGridColumns &&
             (c->MapTo != -1 || ShownColumns() < kMaxGridColumns);
    if (!valid_) return;
    TakeWidths();
    PlaceColumn(std::size_t(index), gridColumn);
    RefreshQueues();
}

bool ZVRecordClass::CEnabled(std::int16_t index) const {
    const Column* c = ColumnAt(index);
    return c && c->Enabled;
}

void ZVRecordClass::SetCEnabled(std::int16_t index, bool enabled) {
    if (!enabled && CEnabled(index)) SetCMapTo(index, -1);
}

std::int16_t ZVRecordClass::ColumnAtGrid(int gridColumn) const {
    if (gridColumn < 0) return -1;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].MapTo == gridColumn) return static_cast<std::int16_t>(i);
    return -1;
}

std::int16_t ZVRecordClass::SearchRField(std::int16_t fieldId) const {
    if (fieldId < 0) return -1;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].RFieldId == fieldId) return static_cast<std::int16_t>(i);
    return -1;
}

bool ZVRecordClass::VolatileKey(std::int16_t index) const {
    const Column* c = ColumnAt(index);
    return c && c->RFieldId > -1;
}

bool ZVRecordClass::RFieldAdd(std::int16_t fieldId) {
    bool exists = false;
    const std::string title = FieldTitle(fieldId, exists);
    valid_ = exists && SearchRField(fieldId) == -1 && columns_.size() < std::size_t(kMaxColumns);
    if (valid_) columns_.push_back({fieldId, title, -1, 1000, true});
    return valid_;
}

bool ZVRecordClass::RFieldDelete(std::int16_t index) {
    valid_ = VolatileKey(index);
    if (!valid_) return false;
    TakeWidths();
    PlaceColumn(std::size_t(index), -1); // closes the gap the column leaves
    columns_.erase(columns_.begin() + index);
    RefreshQueues();
    return true;
}

void ZVRecordClass::ZVFClass_FieldChange(ZVFieldType& source, std::int16_t etype) {
    const std::int16_t index = SearchRField(source.Identifier);
    switch (etype) {
    case 1:
        if (index != -1) Setctitle(index, source.Title);
        break;
    case 2:
        if (index != -1) RFieldDelete(index);
        break;
    case 4:
    case 5:
        TakeWidths();
        RefreshQueues();
        break;
    default:
        break;
    }
}

// ---- row order ----

void ZVRecordClass::SaveFieldMapToReg() {
    // Built from the rows the queue holds, last row first, so loading (each group at row 1) gives
    // the same order back.
    if (settings_)
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "QMapIndex",
                                  MapIndexText(GridOrder()));
}

void ZVRecordClass::LoadFieldMapFromReg() {
    if (!settings_) return;
    const std::vector<std::int16_t> stored =
        ParseMapIndex(settings_->RegGetSetting(2, SettingsDatabase::kApplication, kSection, "QMapIndex", ""));
    if (stored.empty()) return;
    std::vector<bool> named(kMaxIdentifier + 1, false);
    std::deque<ZVRecordType*> rows;
    for (const std::int16_t id : stored) {
        ZVRecordType* r = Find(id);
        if (r && !named[std::size_t(id)]) {
            named[std::size_t(id)] = true;
            rows.push_front(r);
        }
    }
    // Records the stored order does not name keep a row, below the named ones, newest first.
    for (auto it = records_.rbegin(); it != records_.rend(); ++it)
        if (!named[std::size_t((*it)->Identifier)]) rows.push_back(it->get());
    rows_ = std::move(rows);
    topKey_ = 0;
    for (std::size_t k = 0; k < rows_.size(); ++k)
        rowKey_[std::size_t(rows_[k]->Identifier)] = static_cast<long long>(k);
    RefreshQueues();
}

} // namespace zeva
