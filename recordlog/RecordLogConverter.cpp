#include "recordlog/RecordLogConverter.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/FormatValue.h"
#include "common/OleDate.h"
#include "common/SqliteDatabase.h"
#include "common/TextUtil.h"
#include "common/WholeFile.h"
#include "model/FieldValue.h"
#include "model/RecordText.h"
#include "model/ZVFieldType.h"
#include "platform/Clock.h"

namespace zeva {
namespace {

// SQLite allows 2000 columns by default; "ID" and "Date" take two.
constexpr std::size_t kMaxFieldColumns = 1998;

// One prepared statement, reset after each run so it can be bound again.
class Statement {
  public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Prepare(sqlite3* db, const std::string& sql) {
        return sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) ==
               SQLITE_OK;
    }
    void Int(int index, long long value) { sqlite3_bind_int64(stmt_, index, value); }
    void Real(int index, double value) { sqlite3_bind_double(stmt_, index, value); }
    void Text(int index, const std::string& value) {
        sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    bool Run() {
        const bool ok = sqlite3_step(stmt_) == SQLITE_DONE;
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        return ok;
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
};

// Removes a database file with the journal SQLite may have left beside it; false when the file
// stays.
bool RemoveDatabase(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path + "-journal", ec);
    std::filesystem::remove(path, ec);
    return !ec;
}

bool Exec(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Column type of a stored field by its value type; none for types without a column.
const char* ColumnType(std::int16_t vtype) {
    switch (vtype) {
    case 2:
        return "SMALLINT";
    case 3:
        return "INTEGER";
    case 4:
        return "FLOAT";
    case 5:
        return "DOUBLE";
    case 7:
        return "DATETIME";
    case 17:
        return "TINYINT";
    case 8:
    case 12:
        return "TEXT";
    case 11:
        return "BOOLEAN";
    default:
        return nullptr;
    }
}

std::string IsoDate(double date) {
    const CalendarTime c = OleToCalendar(date);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return text;
}

// Binds a record value converted to its column's type; a value that does not convert stays NULL.
void BindValue(Statement& st, int index, std::int16_t vtype, std::string_view text) {
    const auto v = FieldValue::Convert(vtype, text);
    if (!v) return;
    switch (vtype) {
    case 2:
    case 3:
    case 17:
        st.Int(index, v->Int());
        break;
    case 11:
        st.Int(index, v->Bool() ? 1 : 0);
        break;
    case 4:
    case 5:
        st.Real(index, v->Real());
        break;
    case 7:
        st.Text(index, IsoDate(v->Real()));
        break;
    default:
        st.Text(index, Cp1252ToUtf8(v->String()));
        break;
    }
}

// The column name of a field: its title, made unique (SQLite compares names without regard to
// ASCII case) by appending "_" and the field number, then a running count.
std::string ColumnName(const ZVFieldType& f, std::set<std::string>& used) {
    std::string title = Cp1252ToUtf8(f.Title);
    for (char& c : title)
        if (static_cast<unsigned char>(c) < 0x20) c = '_';
    std::string name = title;
    if (name.empty() || used.count(ToLower(name))) name = title + "_" + IntText(f.Identifier);
    for (int n = 2; used.count(ToLower(name)); ++n)
        name = title + "_" + IntText(f.Identifier) + "_" + IntText(n);
    used.insert(ToLower(name));
    return name;
}

class DataTable {
  public:
    // Creates and prepares the table; nullptr when the database refuses it.
    static std::unique_ptr<DataTable> Create(sqlite3* db, int number, const std::vector<ZVFieldType>& defs) {
        auto t = std::make_unique<DataTable>();
        const std::string table = QuoteIdentifier("Data" + FormatValue(number, "0000"));
        std::string create = "CREATE TABLE " + table + " (\"ID\" INTEGER, \"Date\" DATETIME";
        std::string insert = "INSERT INTO " + table + " VALUES (?1, ?2";
        std::set<std::string> used = {"id", "date"};
        for (const auto& f : defs) {
            const char* type = ColumnType(f.VType);
            if (!f.DBase || !type || t->vtypes_.size() >= kMaxFieldColumns) continue;
            create += ", " + QuoteIdentifier(ColumnName(f, used)) + " " + type;
            t->vtypes_.push_back(f.VType);
            t->column_[f.Identifier] = t->vtypes_.size() + 2; // parameter index
            insert += ", ?" + IntText(static_cast<long long>(t->vtypes_.size()) + 2);
        }
        create += ")";
        insert += ")";
        if (!Exec(db, create) || !t->insert_.Prepare(db, insert)) return nullptr;
        return t;
    }

    bool AddRow(std::int32_t id, const LogEntry& e) {
        insert_.Int(1, id);
        if (e.dateValid) insert_.Text(2, IsoDate(e.date));
        for (auto entry = RecordText::EntryAt(e.data, 0); entry;
             entry = RecordText::EntryAt(e.data, entry->next)) {
            const auto it = column_.find(entry->number);
            if (it == column_.end()) continue;
            BindValue(insert_, static_cast<int>(it->second), vtypes_[it->second - 3], entry->value);
        }
        return insert_.Run();
    }

  private:
    Statement insert_;
    std::vector<std::int16_t> vtypes_;
    std::unordered_map<int, std::size_t> column_;
};

} // namespace

void RecordLogConverter::Failed(Failure failure, std::string error) {
    failure_ = failure;
    error_ = std::move(error);
}

std::string RecordLogConverter::NameFor(const std::string& source) const {
    const double now = clock_.Now();
    return source + FormatValue(now, "hhmmss") + FormatValue(now, "ddmmyyyy") + kExtension;
}

bool RecordLogConverter::CreateTables(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec) || ec) {
        Failed(Failure::Exists, path + " exists already");
        return false;
    }
    SqliteDatabase db;
    const bool ok =
        db.Open(path, SqliteDatabase::Mode::Create) &&
        db.ExecScript("CREATE TABLE \"RawRecords\" (\"ID\" INTEGER, \"Date\" DATETIME, \"LType\" INTEGER, "
                      "\"Raw\" TEXT);"
                      "CREATE TABLE \"Log\" (\"ID\" INTEGER, \"Date\" DATETIME, \"LType\" INTEGER, "
                      "\"Log\" TEXT);");
    // SQLite says "unable to open database file" for a folder that is missing or cannot be written.
    const PathProblem problem = ok ? PathProblem{} : WriteProblem(path);
    if (!ok)
        Failed(Failure::Create, "cannot create " + path + ": " + (problem ? problem.text : db.LastError()));
    db.Close();
    if (!ok) RemoveDatabase(path);
    return ok;
}

std::string RecordLogConverter::RLCreateDBase(const std::string& source) {
    Failed(Failure::None, {});
    const std::string name = NameFor(source);
    return CreateTables(name) ? name : std::string();
}

std::string RecordLogConverter::ConvertRLogToDBase(const std::string& source, const LogSource& log) {
    totals_ = {};
    Failed(Failure::None, {});
    const std::string name = NameFor(source);
    const std::string part = name + ".part";
    std::error_code ec;
    if (std::filesystem::exists(name, ec) || ec) {
        Failed(Failure::Exists, name + " exists already");
        return {};
    }
    if (!CreateTables(part)) return {};
    // Never over a database made meanwhile (another conversion in the same second).
    const WholeFileResult done = WriteThenRename(
        name, part, [&](const std::string& temp) { return Fill(temp, log); }, WholeFileReplace::No);
    if (done.Ok()) return name;
    if (done.step == WholeFileStep::Exists)
        Failed(Failure::Exists, "the finished database cannot be renamed to " + name + ": it exists already");
    else if (done.step == WholeFileStep::Rename)
        Failed(Failure::Create, "the finished database cannot be renamed to " + name + ": " + done.reason);
    if (!RemoveDatabase(part)) error_ += "; the unfinished " + part + " could not be removed";
    return {};
}

bool RecordLogConverter::Fill(const std::string& path, const LogSource& log) {
    SqliteDatabase db;
    if (!db.Open(path, SqliteDatabase::Mode::ReadWrite)) {
        Failed(Failure::Create, "cannot open " + path + ": " + db.LastError());
        return false;
    }
    sqlite3* h = db.Handle();
    const auto failed = [&](const std::string& what) {
        Failed(Failure::Write, path + ": " + what + " failed (" + sqlite3_errmsg(h) + ")");
        return false;
    };
    Statement raw, other;
    if (!raw.Prepare(h, "INSERT INTO \"RawRecords\" VALUES (?1, ?2, ?3, ?4)") ||
        !other.Prepare(h, "INSERT INTO \"Log\" VALUES (?1, ?2, ?3, ?4)") || !Exec(h, "BEGIN"))
        return failed("starting the conversion");

    std::vector<ZVFieldType> defs; // in the order first met
    std::unordered_map<int, std::size_t> defIndex;
    std::unique_ptr<DataTable> table;
    int tableNumber = 0;
    std::int32_t counter = counterStart_;
    LogEntry e;
    while (log(e)) {
        counter = (counter + 1) % kCounterModulus;
        ++totals_.lines;
        const auto line = [&] { return "line " + IntText(totals_.lines) + " of the log"; };
        Statement& copy = e.type == 0 ? raw : other;
        copy.Int(1, counter);
        if (e.dateValid) copy.Text(2, IsoDate(e.date));
        copy.Int(3, e.type);
        copy.Text(4, Cp1252ToUtf8(e.data));
        if (!copy.Run()) return failed("writing " + line() + " to " + (e.type == 0 ? "RawRecords" : "Log"));

        if (e.type == 2) {
            if (table) {
                table.reset();
                ++tableNumber;
            }
            ZVFieldType f;
            if (f.ExtractPacket(e.data)) {
                const auto [it, added] = defIndex.try_emplace(f.Identifier, defs.size());
                if (added)
                    defs.push_back(f);
                else
                    defs[it->second] = f;
            }
        } else if (e.type == 0) {
            ++totals_.records;
            const auto tableName = [&] { return "Data" + FormatValue(tableNumber, "0000"); };
            if (!table && !defs.empty()) {
                table = DataTable::Create(h, tableNumber, defs);
                if (!table) return failed("creating " + tableName() + " at " + line());
                ++totals_.dataTables;
            }
            if (table) {
                if (!table->AddRow(counter, e)) return failed("writing " + line() + " to " + tableName());
                ++totals_.dataRows;
            }
        }
    }
    table.reset();
    if (!Exec(h, "COMMIT")) return failed("the final commit");
    return true;
}

} // namespace zeva
