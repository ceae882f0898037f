#pragma once
#include "settings/SettingValue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zeva {

class SqliteDatabase;

// Process-wide identity set by start-up and read by the settings layer and every class's Connect.
struct Session {
    std::string Userid;     // "s01".."s99"
    bool AdminMode = false; // settings writable, main menu reachable, settings saved at shutdown
};

// The settings database: one SQLite file with the table StartUp (Key_Description, Key_Data,
// Description), one row per setting, keyed by section + "\" + key name.
//
// Rules: opening never creates the file; it is opened read-only unless the session is in admin
// mode, and every write is skipped outside admin mode. A connection is opened and closed around
// each read or write. Database errors become "Dbase Error[n]  text" lines through the error sink
// (306 open, 307 close, 309 read, 310 update, 315 insert) and the call returns its empty result.
// Values are CP1252 in the program and UTF-8 in the file.
class SettingsDatabase {
  public:
    using ErrorSink = std::function<void(const std::string& line)>;
    static constexpr const char* kFileName = "ZEVARegistry.mdb";
    // The application every setting is filed under, the first argument of RegGetSetting.
    static constexpr const char* kApplication = "ZEVA";

    SettingsDatabase(std::string path, const Session& session, ErrorSink sink = {});
    ~SettingsDatabase();
    SettingsDatabase(const SettingsDatabase&) = delete;
    SettingsDatabase& operator=(const SettingsDatabase&) = delete;

    void SetErrorSink(ErrorSink sink) { sink_ = std::move(sink); }
    const ErrorSink& Sink() const { return sink_; }
    const std::string& Path() const { return path_; }

    // Storage operations.
    bool OpenSettingsDb();
    bool CloseSettingsDb(); // the connection state after closing (false)
    bool IsOpen() const;
    std::string ReadKeyData(const std::string& fullKey);
    // "" after updating the row; "EMPTY" when no row has the key; "FAILED" when the update failed
    // (its error line is reported).
    std::string UpdateKeyData(const std::string& fullKey, const std::string& value);
    bool InsertKey(const std::string& fullKey, const std::string& value, const std::string& description);
    // The stored text or the default; "BAD" when the database does not open.
    std::string GetKeyOrDefault(const std::string& key, const std::string& section, const std::string& def);
    bool SetKey(const std::string& key, const std::string& value, const std::string& section);

    // Setting operations. kind 0 marks a Boolean setting; 1 integer, 2 text, 3 other, 4 single or
    // date-time. For saves, kind 3 updates or inserts; any other kind inserts a new row.
    std::string RegGetSetting(std::int16_t kind, const std::string& application, const std::string& section,
                              const std::string& key, const SettingValue& def);
    bool RegSaveSetting(std::int16_t kind, const std::string& application, const std::string& section,
                        const std::string& key, const SettingValue& value);

    // Typed reads over RegGetSetting: a stored text that does not convert reads as the default.
    bool GetBool(const std::string& section, const std::string& key, bool def);
    std::int32_t GetInt(const std::string& section, const std::string& key, std::int32_t def,
                        std::int16_t kind = 1);
    double GetDouble(const std::string& section, const std::string& key, double def, std::int16_t kind = 4);
    std::string GetText(const std::string& section, const std::string& key, const std::string& def);

    // The text a key holds exactly as stored ("NULL" is the text NULL); nullopt when the key has no
    // row or the database does not open. For texts whose default must never stand in for what was
    // stored, such as the setup password.
    std::optional<std::string> ReadStored(const std::string& section, const std::string& key);
    // Update or insert the text exactly, an empty one too (an ordinary insert stores it as "NULL",
    // which would read back as a password NULL). False outside admin mode or on a database error.
    bool PutStored(const std::string& section, const std::string& key, const std::string& text);

    // Writes with kind 3 (update or insert). False outside admin mode or when the write failed (its
    // error line is reported).
    bool Put(const std::string& section, const std::string& key, const SettingValue& value);

    // True when the last failure was another program holding the file locked (an open sqlite3
    // session's transaction, a running zeva-settings), not a fault of the file itself.
    bool LockedByAnother() const;
    // Why the last call failed, as SQLite said it ("file is not a database").
    const std::string& LastError() const;
    // In admin mode: whether the file takes writes now, found by a write that is rolled back; false
    // (LastError and LockedByAnother say why) when it cannot be written or another program holds it.
    // True outside admin mode, where nothing is written.
    bool TakesWrites();
    // How long each read or write waits for a lock another program holds, in milliseconds.
    int LockWaitMs() const;
    // Every write fails at once from now on: a save of many keys that met a lock would otherwise
    // wait on it key by key, and the closing window would hang for a minute.
    void StopWrites() { writesStopped_ = true; }

  private:
    void Report(int number, const std::string& description);
    // One row as given (InsertKey turns an empty value into "NULL" first).
    bool InsertRow(const std::string& fullKey, const std::string& data, const std::string& description);
    // The key's row set to value, or a new row when it has none; exact keeps an empty value empty
    // where InsertKey stores "NULL". False when the update or the insert failed.
    bool UpdateOrInsert(const std::string& fullKey, const std::string& value, bool exact);
    bool Writable() const { return session_.AdminMode && !writesStopped_; }

    std::string path_;
    const Session& session_;
    ErrorSink sink_;
    std::unique_ptr<SqliteDatabase> db_;
    bool writesStopped_ = false;
};

} // namespace zeva
