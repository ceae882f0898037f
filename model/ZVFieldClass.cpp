#include "model/ZVFieldClass.h"
#include "model/MapIndex.h"

#include "common/Convert.h"
#include "common/TextUtil.h"
#include "model/FieldDatabase.h"
#include "platform/FlexGrid.h"
#include "platform/ListBox.h"
#include "platform/MessageBox.h"
#include "settings/SettingsDatabase.h"

#include <algorithm>
#include <cstdio>

namespace zeva {

namespace {

// Attribute column defaults: title, grid column, width, enabled.
const ZVFieldClass::Column kDefaultColumns[ZVFieldClass::kAttributes] = {
    {"Identifier", 0, 800, false},  {"Title", 1, 1000, true},         {"VType", 2, 800, true},
    {"Description", 3, 4000, true}, {"Default Value", 4, 1200, true}, {"Format", 5, 1000, true},
    {"Minimum", 6, 1000, true},     {"Maximum", 7, 1000, true},       {"DBase", 8, 800, true},
};

} // namespace

ZVFieldClass::ZVFieldClass(SettingsDatabase* settings, MessageBox* messages)
    : settings_(settings), messages_(messages) {
    DefaultColumns();
}

ZVFieldClass::~ZVFieldClass() = default;

bool ZVFieldClass::Valid() {
    const bool v = valid_;
    valid_ = false;
    return v;
}

bool ZVFieldClass::SetupFGrid(FlexGrid* grid, ListBox* list) {
    grid_ = grid;
    list_ = list;
    gridReady_ = grid != nullptr;
    return gridReady_;
}

bool ZVFieldClass::SetupFDBase(FieldDatabase* database) {
    database_ = database;
    databaseReady_ = database != nullptr;
    return databaseReady_;
}

bool ZVFieldClass::SetupRLogging(const std::string& folder) {
    logRequested_ = true;
    logFolder_ = folder.empty() ? std::string(".") : folder;
    return false;
}

// ---- connect and disconnect ----

bool ZVFieldClass::Connect(const std::string& source) {
    char letter = source.empty() ? ' ' : source[0];
    if (letter >= 'A' && letter <= 'Z')
        letter = static_cast<char>(letter - 'A' + 'a');
    else if (!((letter >= 'a' && letter <= 'z') || letter == '*' || letter == '?'))
        letter = ' ';
    const std::string digits = Mid(source, 2, 2);
    const auto number = ToInt16(digits);
    if (digits == "??" || digits == "**" || !number || *number < 0) return false;
    userid_ = std::string(1, letter) + ZeroPadded(*number, 2);

    std::vector<ZVFieldType> rows;
    const bool haveTable = databaseReady_ && database_ != nullptr;
    if (haveTable && !database_->ReadFields(rows)) {
        if (messages_)
            messages_->Show(IntText(database_->LastErrorCode()) + ":" + database_->LastError(),
                            MessageIcon::Critical);
        return false;
    }

    if (gridReady_) {
        if (list_) list_->Clear();
        listData_.clear();
        grid_->SetCols(kAttributes);
        grid_->SetRows(2);
        colours_[0] = grid_->CellBackColor(1, 0);
        grid_->SetRows(1);
        SetRowStates(2);
        grid_->SetRedraw(true);
    }

    bool outcome = true;
    if (haveTable)
        outcome = LoadTable(rows);
    else
        for (const auto& f : fields_)
            UpdateListLine(*f); // fields added before Connect keep their lines

    if (gridReady_) {
        LoadColumns();
        LoadFieldMapFromReg();
        RefreshQueues();
    }

    if (logRequested_) {
        // The record log is a trail beside the displays: a folder it cannot write leaves the log
        // off (RecordLogOn says so) rather than the field class unconnected and the station down.
        log_ = logFactory_ ? logFactory_() : nullptr;
        if (log_ && !log_->Connect(logFolder_, userid_)) log_.reset();
    }
    connected_ = connected_ || outcome;
    return outcome;
}

bool ZVFieldClass::LoadTable(const std::vector<ZVFieldType>& rows) {
    fields_.clear();
    byId_.clear();
    for (const auto& row : rows) {
        // Negative numbers can never appear in a record text, and -1/-2 mean "none" and
        // "built-in" to the grids.
        if (row.Identifier < 0 || byId_.count(row.Identifier)) continue;
        auto f = std::make_unique<ZVFieldType>(row);
        f->QMapTo = -1;
        byId_[f->Identifier] = f.get();
        fields_.push_back(std::move(f));
        UpdateListLine(*fields_.back());
    }
    tableLoaded_ = true;
    return true;
}

bool ZVFieldClass::Disconnect() {
    if (gridReady_) {
        TakeWidths();
        SaveColumns();
        SaveFieldMapToReg(true);
        for (int r = 0; r < grid_->Rows(); ++r)
            for (int c = 0; c < grid_->Cols(); ++c)
                grid_->SetTextMatrix(r, c, "");
        grid_->SetRows(1);
        SetRowStates(1);
        if (list_) list_->Clear();
        listData_.clear();
    }
    if (log_) {
        log_->AddLog(1, "Calling ZVFieldClass disconnecting...");
        log_->Disconnect();
        log_.reset();
    }
    connected_ = false;
    logRequested_ = false;
    gridReady_ = false;
    databaseReady_ = false;
    return true;
}

// ---- table look-ups ----

ZVFieldType* ZVFieldClass::Find(std::int16_t id) {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

ZVFieldType* ZVFieldClass::Lookup(std::int16_t id) {
    ZVFieldType* f = Find(id);
    valid_ = f != nullptr;
    return f;
}

int ZVFieldClass::PositionOf(std::int16_t id) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i]->Identifier == id) return static_cast<int>(i);
    return -1;
}

ZVFieldType& ZVFieldClass::NotFound() {
    valid_ = false;
    notFound_.Clear();
    notFound_.Identifier = -1;
    return notFound_;
}

ZVFieldType& ZVFieldClass::FField(const std::string& key) {
    const auto id = ToInt16(key);
    ZVFieldType* f = id ? Lookup(*id) : nullptr;
    return f ? *f : NotFound();
}

ZVFieldType& ZVFieldClass::FField(std::int32_t position) {
    if (position < 1 || position > Count()) return NotFound();
    valid_ = true;
    return *fields_[static_cast<std::size_t>(position - 1)];
}

void ZVFieldClass::SetFField(std::int32_t index, const ZVFieldType& cdfield) {
    if (index < INT16_MIN || index > INT16_MAX) {
        valid_ = false;
        return;
    }
    const auto id = static_cast<std::int16_t>(index);
    const ZVFieldType copy = cdfield; // cdfield may be the stored object itself
    SetFIdentifier(-1, id);
    if (!valid_) return;
    SetFDBase(id, copy.DBase);
    SetFDefault(id, FieldValue(copy.Default));
    SetFDescription(id, copy.Description);
    SetFFormat(id, copy.DFormat);
    SetFMaxsize(id, FieldValue(copy.Maxsize));
    SetFMinsize(id, FieldValue(copy.Minsize));
    SetFVType(id, copy.VType);
    // The new field was still a text field when its default and limits went in above, and a text
    // field takes no limits: now that it has its type they go in again, so a copy keeps them.
    if (const auto typedDefault = FieldValue::Convert(copy.VType, copy.Default))
        SetFDefault(id, *typedDefault);
    SetFMaxsize(id, FieldValue(copy.Maxsize));
    SetFMinsize(id, FieldValue(copy.Minsize));
    SetFTitle(id, copy.Title);
    valid_ = true;
}

// ---- adding, renumbering, deleting ----

std::int16_t ZVFieldClass::FIdentifier() {
    if (!current_) current_ = std::make_unique<ZVFieldType>();
    valid_ = true;
    return current_->Identifier;
}

std::int16_t ZVFieldClass::FIdentifier(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? f->Identifier : 0;
}

void ZVFieldClass::SetFIdentifier(std::int16_t target) {
    if (!current_) current_ = std::make_unique<ZVFieldType>();
    current_->Identifier = target;
    valid_ = true;
}

void ZVFieldClass::SetFIdentifier(std::int16_t index, std::int16_t target) {
    if (index == -1 && target != -1)
        AddField(target);
    else if (index != -1 && target == -1)
        DeleteField(index);
    else if (index != -1)
        Renumber(index, target);
    else
        valid_ = false;
}

void ZVFieldClass::AddField(std::int16_t id) {
    if (id < 0 || Find(id)) {
        valid_ = false;
        return;
    }
    auto f = std::make_unique<ZVFieldType>();
    f->Identifier = id;
    ZVFieldType& added = *f;
    byId_[id] = f.get();
    fields_.push_back(std::move(f));
    if (databaseReady_ && database_) database_->InsertField(added);
    UpdateListLine(added);
    if (autoMap_ && InsertRow(added, 1)) RefreshQueues();
    valid_ = true;
}

void ZVFieldClass::Renumber(std::int16_t from, std::int16_t to) {
    ZVFieldType* f = Find(from);
    if (!f || to < 0 || Find(to)) {
        valid_ = false;
        return;
    }
    const int pos = PositionOf(from);
    auto owned = std::move(fields_[static_cast<std::size_t>(pos)]);
    fields_.erase(fields_.begin() + pos);
    byId_.erase(from);
    RemoveListLine(from);
    owned->Identifier = to;
    byId_[to] = owned.get();
    fields_.push_back(std::move(owned));
    UpdateListLine(*f);
    if (databaseReady_ && database_) database_->Renumber(from, to);
    UpdateCell(*f, kIdentifier);
    valid_ = true;
}

void ZVFieldClass::DeleteField(std::int16_t id) {
    ZVFieldType* f = Find(id);
    if (!f) {
        valid_ = false;
        return;
    }
    if (f->QMapTo != -1) {
        RemoveRow(*f);
        RefreshQueues();
    }
    Raise(*f, 2);
    // The handler may have changed the table; look the field up again.
    const int pos = PositionOf(id);
    if (pos >= 0) {
        fields_.erase(fields_.begin() + pos);
        byId_.erase(id);
    }
    RemoveListLine(id);
    if (databaseReady_ && database_) database_->DeleteField(id);
    valid_ = true;
}

// ---- attributes ----

namespace {
ZVFieldType& Current(std::unique_ptr<ZVFieldType>& current) {
    if (!current) current = std::make_unique<ZVFieldType>();
    return *current;
}
} // namespace

std::string ZVFieldClass::FTitle() {
    valid_ = true;
    return Current(current_).Title;
}
std::string ZVFieldClass::FTitle(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? f->Title : std::string();
}
void ZVFieldClass::SetFTitle(const std::string& value) {
    Current(current_).Title = value;
    valid_ = true;
}
void ZVFieldClass::SetFTitle(std::int16_t index, const std::string& value) {
    ZVFieldType* f = Lookup(index);
    if (!f || EqualsNoCase(f->Title, value)) return;
    f->Title = value;
    Changed(*f, kTitle, true, true, 1);
    if (databaseReady_ && database_) database_->UpdateColumn(f->Identifier, "Title", value);
    Raise(*f, 1);
}

std::string ZVFieldClass::FDescription() {
    valid_ = true;
    return Current(current_).Description;
}
std::string ZVFieldClass::FDescription(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? f->Description : std::string();
}
void ZVFieldClass::SetFDescription(const std::string& value) {
    Current(current_).Description = value;
    valid_ = true;
}
void ZVFieldClass::SetFDescription(std::int16_t index, const std::string& value) {
    ZVFieldType* f = Lookup(index);
    if (!f || EqualsNoCase(f->Description, value)) return;
    f->Description = value;
    Changed(*f, kDescription, true, true, 0);
    if (databaseReady_ && database_) database_->UpdateColumn(f->Identifier, "Description", value);
}

std::string ZVFieldClass::FFormat() {
    valid_ = true;
    return Current(current_).DFormat;
}
std::string ZVFieldClass::FFormat(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? f->DFormat : std::string();
}
void ZVFieldClass::SetFFormat(const std::string& value) {
    Current(current_).DFormat = value;
    valid_ = true;
}
void ZVFieldClass::SetFFormat(std::int16_t index, const std::string& value) {
    ZVFieldType* f = Lookup(index);
    if (!f || EqualsNoCase(f->DFormat, value)) return;
    f->DFormat = value;
    Changed(*f, kFormat, true, false, 4);
    if (databaseReady_ && database_) database_->UpdateColumn(f->Identifier, "Format", value);
    Raise(*f, 4);
}

std::int16_t ZVFieldClass::FVType() {
    valid_ = true;
    return Current(current_).VType;
}
std::int16_t ZVFieldClass::FVType(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? f->VType : 0;
}
void ZVFieldClass::SetFVType(std::int16_t value) {
    Current(current_).VType = value;
    valid_ = true;
}
void ZVFieldClass::SetFVType(std::int16_t index, std::int16_t value) {
    ZVFieldType* f = Lookup(index);
    if (!f || f->VType == value) return;
    f->VType = value;
    Changed(*f, kVType, true, true, 5);
    if (databaseReady_ && database_) database_->UpdateVType(f->Identifier, value);
    Raise(*f, 5);
}

bool ZVFieldClass::FDBase() {
    valid_ = true;
    return Current(current_).DBase;
}
bool ZVFieldClass::FDBase(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? f->DBase : false;
}
void ZVFieldClass::SetFDBase(bool value) {
    Current(current_).DBase = value;
    valid_ = true;
}
void ZVFieldClass::SetFDBase(std::int16_t index, bool value) {
    ZVFieldType* f = Lookup(index);
    if (!f || f->DBase == value) return;
    f->DBase = value;
    Changed(*f, kDBase, true, true, 9);
    if (databaseReady_ && database_) database_->UpdateDBase(f->Identifier, value);
    Raise(*f, 9);
}

bool ZVFieldClass::CarriesLimits(std::int16_t vtype) {
    switch (vtype) {
    case 1:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 8192:
        return false;
    default:
        return true;
    }
}

FieldValue ZVFieldClass::TypedDefault(const ZVFieldType& f) const {
    if (auto v = FieldValue::Convert(f.VType, f.Default)) return *v;
    return FieldValue::EmptyOf(f.VType);
}

FieldValue ZVFieldClass::TypedLimit(const ZVFieldType& f, const std::string& stored) const {
    std::int16_t as = f.VType;
    if (f.VType == 8)
        as = 2; // text limits are lengths
    else if (f.VType == 12)
        as = 3;
    else if (!FieldValue::CarriesValue(f.VType))
        return FieldValue(stored);
    if (auto v = FieldValue::Convert(as, stored)) return *v;
    return FieldValue::EmptyOf(as);
}

FieldValue ZVFieldClass::FDefault() {
    valid_ = true;
    return TypedDefault(Current(current_));
}
FieldValue ZVFieldClass::FDefault(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? TypedDefault(*f) : FieldValue();
}
void ZVFieldClass::SetFDefault(const FieldValue& value) {
    ZVFieldType& f = Current(current_);
    if (value.VType() == f.VType) f.Default = value.Text();
    valid_ = true;
}
void ZVFieldClass::SetFDefault(std::int16_t index, const FieldValue& value) {
    ZVFieldType* f = Lookup(index);
    if (!f || value.VType() != f->VType) return;
    const std::string text = value.Text();
    if (EqualsNoCase(f->Default, text)) return;
    f->Default = text;
    Changed(*f, kDefault, true, false, 0);
    if (databaseReady_ && database_) database_->UpdateColumn(f->Identifier, "Default", text);
}

FieldValue ZVFieldClass::FMinsize() {
    valid_ = true;
    return TypedLimit(Current(current_), current_->Minsize);
}
FieldValue ZVFieldClass::FMinsize(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? TypedLimit(*f, f->Minsize) : FieldValue();
}
void ZVFieldClass::SetFMinsize(const FieldValue& value) {
    ZVFieldType& f = Current(current_);
    if (CarriesLimits(f.VType)) f.Minsize = value.Text();
    valid_ = true;
}
void ZVFieldClass::SetFMinsize(std::int16_t index, const FieldValue& value) {
    ZVFieldType* f = Lookup(index);
    if (!f || !CarriesLimits(f->VType)) return;
    const std::string text = value.Text();
    if (EqualsNoCase(f->Minsize, text)) return;
    f->Minsize = text;
    Changed(*f, kMinsize, false, false, 0);
    if (databaseReady_ && database_) database_->UpdateColumn(f->Identifier, "Minsize", text);
}

FieldValue ZVFieldClass::FMaxsize() {
    valid_ = true;
    return TypedLimit(Current(current_), current_->Maxsize);
}
FieldValue ZVFieldClass::FMaxsize(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? TypedLimit(*f, f->Maxsize) : FieldValue();
}
void ZVFieldClass::SetFMaxsize(const FieldValue& value) {
    ZVFieldType& f = Current(current_);
    if (CarriesLimits(f.VType)) f.Maxsize = value.Text();
    valid_ = true;
}
void ZVFieldClass::SetFMaxsize(std::int16_t index, const FieldValue& value) {
    ZVFieldType* f = Lookup(index);
    if (!f || !CarriesLimits(f->VType)) return;
    const std::string text = value.Text();
    if (EqualsNoCase(f->Maxsize, text)) return;
    f->Maxsize = text;
    Changed(*f, kMaxsize, false, false, 0);
    if (databaseReady_ && database_) database_->UpdateColumn(f->Identifier, "MaxSize", text);
}

void ZVFieldClass::Changed(ZVFieldType& f, Attribute a, bool listLine, bool logPacket, std::int16_t) {
    UpdateCell(f, a);
    if (listLine) UpdateListLine(f);
    if (logPacket) LogPacket(f);
}

void ZVFieldClass::LogPacket(const ZVFieldType& f) {
    if (!log_) return;
    std::string packet;
    if (f.CreatePacket(packet)) log_->AddLog(2, packet);
}

void ZVFieldClass::Raise(ZVFieldType& f, std::int16_t etype) {
    if (onFieldChange_) onFieldChange_(f, etype);
}

// ---- value formatting ----

std::string ZVFieldClass::FFormatField(std::int16_t index, std::string_view target) {
    const ZVFieldType* f = Find(index);
    if (!f) {
        valid_ = false;
        return {};
    }
    if (!FieldValue::CarriesValue(f->VType)) {
        valid_ = true;
        return {};
    }
    const auto value = FieldValue::Convert(f->VType, target);
    auto text = value ? value->Format(f->DFormat) : std::nullopt;
    valid_ = text.has_value();
    return text ? std::move(*text) : std::string();
}

// ---- grid rows ----

std::int16_t ZVFieldClass::QMapTo() {
    valid_ = true;
    return Current(current_).QMapTo;
}
std::int16_t ZVFieldClass::QMapTo(std::int16_t index) {
    const ZVFieldType* f = Lookup(index);
    return f ? f->QMapTo : -1;
}
void ZVFieldClass::SetQMapTo(std::int16_t value) {
    Current(current_).QMapTo = value;
    valid_ = true;
}
void ZVFieldClass::SetQMapTo(std::int16_t index, std::int16_t value) {
    ZVFieldType* f = Lookup(index);
    if (!f) return;
    if (value == -1) {
        if (f->QMapTo == -1) return;
        RemoveRow(*f);
    } else if (!InsertRow(*f, value)) {
        valid_ = false;
        return;
    }
    RefreshQueues();
}

int ZVFieldClass::PlacedCount() const {
    int n = 0;
    for (const auto& f : fields_)
        if (f->QMapTo != -1) ++n;
    return n;
}

bool ZVFieldClass::InsertRow(ZVFieldType& f, int row) {
    if (f.QMapTo == row) return true;
    int rows = 1 + PlacedCount();
    if (f.QMapTo != -1) { // a placed field moves: it leaves its row first
        if (row < 1 || row > rows) return false;
        RemoveRow(f);
        rows -= 1;
        row = std::min(row, rows);
    }
    if (rows >= kMaxGridRows || row < 1 || row > rows) return false;
    for (auto& g : fields_)
        if (g->QMapTo >= row) ++g->QMapTo;
    f.QMapTo = static_cast<std::int16_t>(row);
    return true;
}

void ZVFieldClass::RemoveRow(ZVFieldType& f) {
    const int row = f.QMapTo;
    f.QMapTo = -1;
    if (row == -1) return;
    for (auto& g : fields_)
        if (g->QMapTo > row) --g->QMapTo;
}

std::vector<std::int16_t> ZVFieldClass::GridOrder() const {
    std::vector<std::int16_t> order(static_cast<std::size_t>(PlacedCount()), -1);
    for (const auto& f : fields_)
        if (f->QMapTo >= 1 && static_cast<std::size_t>(f->QMapTo) <= order.size())
            order[static_cast<std::size_t>(f->QMapTo - 1)] = f->Identifier;
    return order;
}

// ---- grid and list drawing ----

void ZVFieldClass::SetRowStates(int rows) {
    cellStates_.resize(static_cast<std::size_t>(std::max(rows, 0)), {});
}

std::int16_t ZVFieldClass::CellState(int row, int col) const {
    if (row < 0 || col < 0 || col >= kStateCols || static_cast<std::size_t>(row) >= cellStates_.size())
        return 0;
    return cellStates_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

std::string ZVFieldClass::CellText(const ZVFieldType& f, int attribute) const {
    switch (attribute) {
    case kIdentifier:
        return IntText(f.Identifier);
    case kTitle:
        return f.Title;
    case kVType:
        return FieldValue::TypeName(f.VType);
    case kDescription:
        return f.Description;
    case kDefault:
        return f.Default;
    case kFormat:
        return f.DFormat;
    case kMinsize:
        return f.Minsize;
    case kMaxsize:
        return f.Maxsize;
    default:
        return f.DBase ? " " : "NO";
    }
}

void ZVFieldClass::UpdateCell(const ZVFieldType& f, int attribute) {
    if (!gridReady_ || f.QMapTo < 1) return;
    const int col = columns_[static_cast<std::size_t>(attribute)].MapTo;
    const int row = f.QMapTo;
    if (col < 0 || col >= kStateCols || row >= grid_->Rows() || col >= grid_->Cols()) return;
    const std::string text = CellText(f, attribute);
    if (grid_->TextMatrix(row, col) != text) grid_->SetTextMatrix(row, col, text);
    const std::int16_t state = (attribute == kDBase && text == "NO") ? 1 : 0;
    if (static_cast<std::size_t>(row) >= cellStates_.size()) SetRowStates(row + 1);
    auto& stored = cellStates_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (stored != state) {
        grid_->SetCellBackColor(row, col, colours_[static_cast<std::size_t>(state)]);
        stored = state;
    }
}

void ZVFieldClass::UpdateListLine(const ZVFieldType& f, bool useDescription) {
    if (!gridReady_ || !list_) return;
    const std::string text = ZeroPadded(f.Identifier, 4) + " " + (useDescription ? f.Description : f.Title);
    for (int i = static_cast<int>(listData_.size()) - 1; i >= 0; --i) {
        if (listData_[static_cast<std::size_t>(i)] == f.Identifier) {
            if (i < list_->ListCount() && list_->List(i) != text) list_->SetList(i, text);
            return;
        }
    }
    list_->AddItem(text, 0);
    listData_.insert(listData_.begin(), f.Identifier);
}

void ZVFieldClass::RemoveListLine(std::int16_t id) {
    if (!gridReady_ || !list_) return;
    for (int i = static_cast<int>(listData_.size()) - 1; i >= 0; --i) {
        if (listData_[static_cast<std::size_t>(i)] == id) {
            if (i < list_->ListCount()) list_->RemoveItem(i);
            listData_.erase(listData_.begin() + i);
            return;
        }
    }
}

void ZVFieldClass::RefreshQueues() {
    if (!gridReady_) return;
    grid_->SetRedraw(false);
    int shown = 0;
    for (const auto& c : columns_)
        if (c.MapTo != -1) ++shown;
    grid_->SetCols(shown);
    for (const auto& c : columns_) {
        if (c.MapTo < 0 || c.MapTo >= shown) continue;
        if (grid_->TextMatrix(0, c.MapTo) != c.Title) grid_->SetTextMatrix(0, c.MapTo, c.Title);
        grid_->SetColWidth(c.MapTo, c.Width);
    }
    const int rows = 1 + PlacedCount();
    grid_->SetRows(rows);
    SetRowStates(rows);
    // Cells past the last column are gone from the grid; a column added later starts plain.
    for (auto& r : cellStates_)
        std::fill(r.begin() + std::min(shown, kStateCols), r.end(), std::int16_t{0});
    for (const auto& f : fields_)
        if (f->QMapTo != -1)
            for (int a = 0; a < kAttributes; ++a)
                UpdateCell(*f, a);
    grid_->SetRedraw(true);
}

// ---- attribute columns ----

void ZVFieldClass::DefaultColumns() {
    for (int i = 0; i < kAttributes; ++i)
        columns_[static_cast<std::size_t>(i)] = kDefaultColumns[i];
}

void ZVFieldClass::NormaliseColumns() {
    // Stored layouts may hold gaps or two columns on one place; the grid needs 0..count-1.
    std::vector<int> shown;
    for (int i = 0; i < kAttributes; ++i) {
        auto& c = columns_[static_cast<std::size_t>(i)];
        if (c.MapTo < 0)
            c.MapTo = -1;
        else
            shown.push_back(i);
    }
    std::stable_sort(shown.begin(), shown.end(), [&](int a, int b) {
        return columns_[static_cast<std::size_t>(a)].MapTo < columns_[static_cast<std::size_t>(b)].MapTo;
    });
    for (std::size_t k = 0; k < shown.size(); ++k)
        columns_[static_cast<std::size_t>(shown[k])].MapTo = static_cast<std::int16_t>(k);
}

void ZVFieldClass::LoadColumns() {
    DefaultColumns();
    if (settings_) {
        for (int n = 0; n < kAttributes; ++n) {
            const std::string suffix = IntText(n);
            const std::string title = settings_->RegGetSetting(2, SettingsDatabase::kApplication, kSection,
                                                               "Field Title" + suffix, "NULL");
            if (title.empty() || title == "NULL") continue;
            auto& c = columns_[static_cast<std::size_t>(n)];
            c.Title = title;
            c.Enabled = ToBool(settings_->RegGetSetting(0, SettingsDatabase::kApplication, kSection,
                                                        "Field Enabled" + suffix, true))
                            .value_or(true);
            c.MapTo = ToInt16(settings_->RegGetSetting(1, SettingsDatabase::kApplication, kSection,
                                                       "Field MapTo" + suffix, -1))
                          .value_or(-1);
            c.Width = ToInt32(settings_->RegGetSetting(1, SettingsDatabase::kApplication, kSection,
                                                       "Field Width" + suffix, 1000))
                          .value_or(1000);
        }
    }
    NormaliseColumns();
}

void ZVFieldClass::SaveColumns() {
    if (!settings_) return;
    for (int n = 0; n < kAttributes; ++n) {
        const std::string suffix = IntText(n);
        const auto& c = columns_[static_cast<std::size_t>(n)];
        // Update-or-insert: a plain insert would add a row at every shutdown while reads keep
        // returning the first one.
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "Field Title" + suffix,
                                  c.Title);
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "Field Enabled" + suffix,
                                  c.Enabled);
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "Field MapTo" + suffix,
                                  static_cast<int>(c.MapTo));
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "Field Width" + suffix,
                                  static_cast<int>(c.Width));
    }
}

void ZVFieldClass::TakeWidths() {
    if (!gridReady_) return;
    for (auto& c : columns_)
        if (c.MapTo >= 0 && c.MapTo < grid_->Cols()) c.Width = grid_->ColWidth(c.MapTo);
}

std::string ZVFieldClass::ctitle(std::int16_t index) const {
    return (index >= 0 && index < kAttributes) ? columns_[static_cast<std::size_t>(index)].Title
                                               : std::string();
}

void ZVFieldClass::Setctitle(std::int16_t index, const std::string& value) {
    if (index < 0 || index >= kAttributes) return;
    auto& c = columns_[static_cast<std::size_t>(index)];
    if (c.Title == value) return;
    c.Title = value;
    if (gridReady_ && c.MapTo >= 0 && c.MapTo < grid_->Cols()) grid_->SetTextMatrix(0, c.MapTo, value);
}

std::int16_t ZVFieldClass::CMapTo(std::int16_t index) const {
    return (index >= 0 && index < kAttributes) ? columns_[static_cast<std::size_t>(index)].MapTo
                                               : std::int16_t{-1};
}

void ZVFieldClass::PlaceColumn(int index, int dest) {
    auto& c = columns_[static_cast<std::size_t>(index)];
    if (c.MapTo != -1) {
        const int old = c.MapTo;
        c.MapTo = -1;
        for (auto& o : columns_)
            if (o.MapTo > old) --o.MapTo;
    }
    if (dest < 0) return;
    int shown = 0;
    for (const auto& o : columns_)
        if (o.MapTo != -1) ++shown;
    // Past the last column means at the end: the grid never gets a column with nothing before it.
    dest = std::min(dest, shown);
    for (auto& o : columns_)
        if (o.MapTo >= dest) ++o.MapTo;
    c.MapTo = static_cast<std::int16_t>(dest);
}

void ZVFieldClass::SetCMapTo(std::int16_t index, std::int16_t target) {
    if (index < 0 || index >= kAttributes) return;
    if (!columns_[static_cast<std::size_t>(index)].Enabled || target < -1 || target >= kStateCols) return;
    TakeWidths();
    PlaceColumn(index, target == -1 ? -1 : target + 1);
    RefreshQueues();
}

bool ZVFieldClass::CVisible(std::int16_t index) const {
    return CMapTo(index) != -1;
}

void ZVFieldClass::SetCVisible(std::int16_t index, bool visible) {
    if (!visible) {
        SetCMapTo(index, -1);
        return;
    }
    int shown = 0;
    for (const auto& o : columns_)
        if (o.MapTo != -1) ++shown;
    SetCMapTo(index, static_cast<std::int16_t>(shown));
}

bool ZVFieldClass::CEnabled(std::int16_t index) const {
    return index >= 0 && index < kAttributes && columns_[static_cast<std::size_t>(index)].Enabled;
}

void ZVFieldClass::SetCEnabled(std::int16_t index, bool enabled) {
    if (!enabled && CEnabled(index)) SetCMapTo(index, -1);
}

std::int16_t ZVFieldClass::CField(std::int16_t gridColumn) const {
    for (int i = 0; i < kAttributes; ++i)
        if (columns_[static_cast<std::size_t>(i)].MapTo == gridColumn && gridColumn != -1)
            return static_cast<std::int16_t>(i);
    return -1;
}

// ---- field map ----

void ZVFieldClass::SaveFieldMapToReg(bool) {
    // Built from the rows the table holds rather than read back from the grid's cells, so a hidden
    // number column cannot turn the map into zeros.
    if (settings_)
        settings_->RegSaveSetting(3, SettingsDatabase::kApplication, kSection, "QMapIndex",
                                  MapIndexText(GridOrder()));
}

void ZVFieldClass::LoadFieldMapFromReg() {
    for (auto& f : fields_)
        f->QMapTo = -1;
    if (!settings_) return;
    for (const std::int16_t id : ParseMapIndex(
             settings_->RegGetSetting(2, SettingsDatabase::kApplication, kSection, "QMapIndex", ""))) {
        ZVFieldType* f = Find(id);
        if (f && f->QMapTo == -1) InsertRow(*f, 1);
    }
}

// ---- record log ----

bool ZVFieldClass::StoreRecord(const std::string& source) {
    return log_ ? log_->AddLog(0, source) : false;
}

void ZVFieldClass::RLog_NewFile() {
    if (!log_) return;
    log_->AddLog(1, "Dumping current field information ...");
    for (const auto& f : fields_) {
        std::string packet;
        if (f->CreatePacket(packet)) log_->AddLog(2, packet);
    }
    log_->AddLog(1, "Finished dump of current field information ...");
}

std::string ZVFieldClass::RLBackup() {
    return log_ ? log_->Backup() : std::string();
}
std::int32_t ZVFieldClass::RLSizeof(std::int16_t index) {
    return log_ ? log_->Sizeof(index) : 0;
}
std::string ZVFieldClass::RLCreateDBase(const std::string& source) {
    return log_ ? log_->CreateDBase(source) : std::string();
}
std::string ZVFieldClass::ConvertRLogToDBase(const std::string& source) {
    return log_ ? log_->ConvertToDBase(source) : std::string();
}

} // namespace zeva
