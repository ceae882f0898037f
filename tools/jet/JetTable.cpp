#include "tools/jet/JetTable.h"

#include "common/Convert.h"

#include <mdbtools.h>
#include <memory>

namespace zeva::jet {

namespace {

std::string SqlTypeOf(int type) {
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return "INTEGER";
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_NUMERIC:
        return "REAL";
    default:
        return "TEXT";
    }
}

struct HandleCloser {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

} // namespace

bool ReadTable(const std::string& path, const std::string& name, Table& table, std::string& error) {
    table = {};
    std::unique_ptr<MdbHandle, HandleCloser> mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
    if (!mdb) {
        error = path + ": not an Access database libmdb can open";
        return false;
    }
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE)) {
        error = path + ": the list of tables cannot be read";
        return false;
    }
    std::string wanted = name;
    std::unique_ptr<MdbTableDef, TableFreer> def(mdb_read_table_by_name(mdb.get(), wanted.data(), MDB_TABLE));
    if (!def) {
        error = path + ": no table " + name;
        return false;
    }
    if (!mdb_read_columns(def.get())) {
        error = path + ": the columns of table " + name + " cannot be read";
        return false;
    }
    const unsigned count = def->num_cols;
    const std::size_t size = mdb->bind_size;
    std::vector<std::vector<char>> values(count, std::vector<char>(size + 1, '\0'));
    std::vector<int> lengths(count, 0);
    for (unsigned i = 0; i < count; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
        table.Columns.push_back({column->name, SqlTypeOf(column->col_type)});
        mdb_bind_column(def.get(), static_cast<int>(i + 1), values[i].data(), &lengths[i]);
    }
    mdb_rewind_table(def.get());
    while (mdb_fetch_row(def.get())) {
        auto& row = table.Rows.emplace_back();
        for (unsigned i = 0; i < count; ++i) {
            if (lengths[i] <= 0)
                row.emplace_back(std::nullopt);
            else
                row.emplace_back(std::string(values[i].data(), std::min<std::size_t>(lengths[i], size)));
        }
    }
    return true;
}

bool WriteTable(SqliteDatabase& db, const std::string& name, const Table& table, std::string& error) {
    if (table.Columns.empty()) {
        error = "table " + name + " has no columns";
        return false;
    }
    std::string create = "CREATE TABLE " + QuoteIdentifier(name) + " (";
    std::string insert = "INSERT INTO " + QuoteIdentifier(name) + " VALUES (";
    for (std::size_t i = 0; i < table.Columns.size(); ++i) {
        create += (i ? ", " : "") + QuoteIdentifier(table.Columns[i].Name) + " " + table.Columns[i].SqlType;
        insert += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    create += ")";
    insert += ")";
    bool ok = db.Exec(create) && db.Exec("BEGIN");
    for (std::size_t r = 0; ok && r < table.Rows.size(); ++r)
        ok = db.Exec(insert, table.Rows[r]);
    ok = ok && db.Exec("COMMIT");
    if (!ok) {
        error = db.LastError();
        if (!db.Exec("ROLLBACK")) return false; // nothing more to say than the first error
    }
    return ok;
}

} // namespace zeva::jet
