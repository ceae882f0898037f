#pragma once
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace zeva {

// The one wrapper over sqlite3*. Rules: every statement is prepared, its values bound as
// parameters (never spliced into the SQL), stepped and finalized inside one call; no transaction is
// left open between calls. Texts go in and out as UTF-8 (callers convert CP1252 at their boundary).
// Errors never throw: each call reports false / nullopt and keeps the message in LastError().
class SqliteDatabase {
  public:
    enum class Mode { ReadOnly, ReadWrite, Create };

    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // ReadOnly and ReadWrite never create a missing file. A file that is not a database opens
    // (SQLite reads lazily) but fails at the first statement.
    [[nodiscard]] bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    // How long a statement waits for another process's lock before failing (default 2000 ms).
    void SetBusyTimeout(int ms);
    int BusyTimeout() const { return busyTimeoutMs_; }

    using Row = std::vector<std::optional<std::string>>; // nullopt = SQL NULL
    // Runs one statement with positional text parameters (?1, ?2, ...). Rows are appended to *rows
    // when given. Returns false on any error.
    [[nodiscard]] bool Exec(const std::string& sql,
                            const std::vector<std::optional<std::string>>& params = {},
                            std::vector<Row>* rows = nullptr);
    // Runs several statements without parameters (schema scripts).
    [[nodiscard]] bool ExecScript(const std::string& sql);
    // Rows changed by the last INSERT/UPDATE/DELETE.
    int Changes() const;
    long long LastInsertRowId() const;

    int LastErrorCode() const { return lastCode_; }
    const std::string& LastError() const { return lastError_; }

    sqlite3* Handle() const { return db_; }

  private:
    void SetError(int code);
    sqlite3* db_ = nullptr;
    int busyTimeoutMs_ = 2000;
    int lastCode_ = 0;
    std::string lastError_;
};

// True for SQLite's result codes of a lock another connection holds (SQLITE_BUSY, SQLITE_LOCKED and
// their extended forms).
bool IsLockCode(int code);

// Quotes a name as an SQL identifier ("a""b"), so any text can name a table or column safely.
std::string QuoteIdentifier(const std::string& name);

} // namespace zeva
