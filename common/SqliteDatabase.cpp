#include "common/SqliteDatabase.h"

#include <sqlite3.h>

namespace zeva {

SqliteDatabase::~SqliteDatabase() {
    Close();
}

bool SqliteDatabase::Open(const std::string& path, Mode mode) {
    Close();
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        lastCode_ = rc;
        lastError_ = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return false;
    }
    db_ = db;
    // Another module may hold the file briefly; wait a little instead of failing at once.
    sqlite3_busy_timeout(db_, busyTimeoutMs_);
    lastCode_ = 0;
    lastError_.clear();
    return true;
}

void SqliteDatabase::SetBusyTimeout(int ms) {
    busyTimeoutMs_ = ms;
    if (db_) sqlite3_busy_timeout(db_, ms);
}

void SqliteDatabase::Close() {
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

bool IsLockCode(int code) {
    const int primary = code & 0xff; // SQLITE_BUSY_SNAPSHOT and the like count too
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

void SqliteDatabase::SetError(int code) {
    lastCode_ = code;
    lastError_ = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
}

bool SqliteDatabase::Exec(const std::string& sql, const std::vector<std::optional<std::string>>& params,
                          std::vector<Row>* rows) {
    if (!db_) {
        lastCode_ = SQLITE_MISUSE;
        lastError_ = "database is not open";
        return false;
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        SetError(rc);
        sqlite3_finalize(stmt);
        return false;
    }
    for (size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        rc = params[i] ? sqlite3_bind_text(stmt, index, params[i]->data(),
                                           static_cast<int>(params[i]->size()), SQLITE_TRANSIENT)
                       : sqlite3_bind_null(stmt, index);
        if (rc != SQLITE_OK) {
            SetError(rc);
            sqlite3_finalize(stmt);
            return false;
        }
    }
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (!rows) continue;
        Row row;
        const int n = sqlite3_column_count(stmt);
        for (int c = 0; c < n; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
                row.emplace_back(std::nullopt);
            } else {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                row.emplace_back(
                    std::string(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, c))));
            }
        }
        rows->push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        SetError(rc);
        sqlite3_finalize(stmt);
        return false;
    }
    sqlite3_finalize(stmt);
    lastCode_ = 0;
    lastError_.clear();
    return true;
}

bool SqliteDatabase::ExecScript(const std::string& sql) {
    if (!db_) return false;
    char* err = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        lastCode_ = rc;
        lastError_ = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        return false;
    }
    return true;
}

int SqliteDatabase::Changes() const {
    return db_ ? sqlite3_changes(db_) : 0;
}

long long SqliteDatabase::LastInsertRowId() const {
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

std::string QuoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace zeva
