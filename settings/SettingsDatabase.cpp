#include "settings/SettingsDatabase.h"

#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/SqliteDatabase.h"

namespace zeva {

std::string SettingValue::Text() const {
    if (const auto* s = std::get_if<std::string>(&value_)) return *s;
    if (const auto* b = std::get_if<bool>(&value_)) return BoolText(*b);
    if (const auto* n = std::get_if<long long>(&value_)) return IntText(*n);
    return DoubleText(std::get<double>(value_));
}

SettingsDatabase::SettingsDatabase(std::string path, const Session& session, ErrorSink sink)
    : path_(std::move(path)), session_(session), sink_(std::move(sink)),
      db_(std::make_unique<SqliteDatabase>()) {
    // Start-up reads every key on its own connection: a file another program holds locked must cost
    // a moment per key, not seconds, so the window never hangs on it.
    db_->SetBusyTimeout(100);
}

SettingsDatabase::~SettingsDatabase() = default;

int SettingsDatabase::LockWaitMs() const {
    return db_->BusyTimeout();
}

void SettingsDatabase::Report(int number, const std::string& description) {
    if (sink_) sink_("Dbase Error[" + std::to_string(number) + "]  " + Utf8ToCp1252(description));
}

bool SettingsDatabase::LockedByAnother() const {
    return IsLockCode(db_->LastErrorCode());
}

const std::string& SettingsDatabase::LastError() const {
    return db_->LastError();
}

bool SettingsDatabase::IsOpen() const {
    return db_->IsOpen();
}

bool SettingsDatabase::OpenSettingsDb() {
    if (db_->IsOpen()) return true;
    if (!db_->Open(path_, Writable() ? SqliteDatabase::Mode::ReadWrite : SqliteDatabase::Mode::ReadOnly)) {
        Report(306, db_->LastError());
        return false;
    }
    // SQLite opens any file lazily: make sure this one is a database holding the settings table, so
    // a wrong or damaged file fails here once instead of at every key.
    std::vector<SqliteDatabase::Row> rows;
    if (!db_->Exec(
            "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'StartUp' COLLATE NOCASE", {},
            &rows)) {
        Report(306, db_->LastError());
        db_->Close();
        return false;
    }
    if (rows.empty() || !rows[0][0] || *rows[0][0] == "0") {
        Report(306, "the table StartUp is missing from " + path_);
        db_->Close();
        return false;
    }
    return true;
}

bool SettingsDatabase::CloseSettingsDb() {
    db_->Close();
    return db_->IsOpen();
}

std::string SettingsDatabase::ReadKeyData(const std::string& fullKey) {
    if (!db_->IsOpen()) return {};
    std::vector<SqliteDatabase::Row> rows;
    // One row per key; a table an administrator made WITHOUT ROWID reads as well.
    if (!db_->Exec("SELECT Key_Data FROM StartUp WHERE Key_Description = ?1 LIMIT 1", {Cp1252ToUtf8(fullKey)},
                   &rows)) {
        Report(309, db_->LastError());
        return {};
    }
    if (rows.empty() || !rows[0][0]) return {};
    return Utf8ToCp1252(*rows[0][0]);
}

std::string SettingsDatabase::UpdateKeyData(const std::string& fullKey, const std::string& value) {
    if (!db_->IsOpen()) return "FAILED";
    if (!db_->Exec("UPDATE StartUp SET Key_Data = ?2 WHERE Key_Description = ?1",
                   {Cp1252ToUtf8(fullKey), Cp1252ToUtf8(value)})) {
        Report(310, db_->LastError());
        return "FAILED";
    }
    return db_->Changes() == 0 ? "EMPTY" : "";
}

bool SettingsDatabase::InsertKey(const std::string& fullKey, const std::string& value,
                                 const std::string& description) {
    if (!db_->IsOpen() && !OpenSettingsDb()) return false;
    return InsertRow(fullKey, value.empty() ? "NULL" : value, description);
}

bool SettingsDatabase::InsertRow(const std::string& fullKey, const std::string& data,
                                 const std::string& description) {
    const std::string desc = description.empty() ? "Automatic Insertion" : description;
    if (!db_->Exec("INSERT INTO StartUp (Key_Description, Key_Data, Description) VALUES (?1, ?2, ?3)",
                   {Cp1252ToUtf8(fullKey), Cp1252ToUtf8(data), Cp1252ToUtf8(desc)})) {
        Report(315, db_->LastError());
        return false;
    }
    return true;
}

std::string SettingsDatabase::GetKeyOrDefault(const std::string& key, const std::string& section,
                                              const std::string& def) {
    if (!OpenSettingsDb()) return "BAD";
    const std::string fullKey = section + "\\" + key;
    std::string result = ReadKeyData(fullKey);
    if (result.empty()) {
        // Fill an empty row with its default, but only where we may write: on an operator's
        // read-only connection the update can only fail.
        if (Writable()) UpdateKeyData(fullKey, def);
        result = def;
    }
    CloseSettingsDb();
    return result;
}

bool SettingsDatabase::SetKey(const std::string& key, const std::string& value, const std::string& section) {
    if (!OpenSettingsDb()) return false;
    const bool ok = UpdateOrInsert(section + "\\" + key, value, false);
    CloseSettingsDb();
    return ok;
}

bool SettingsDatabase::UpdateOrInsert(const std::string& fullKey, const std::string& value, bool exact) {
    const std::string updated = UpdateKeyData(fullKey, value);
    if (updated != "EMPTY") return updated.empty();
    return exact ? InsertRow(fullKey, value, "") : InsertKey(fullKey, value, "");
}

std::string SettingsDatabase::RegGetSetting(std::int16_t kind, const std::string& /*application*/,
                                            const std::string& section, const std::string& key,
                                            const SettingValue& def) {
    std::string defText;
    if (kind == 0) {
        if ((def.IsText() && def.AsText() == "-1") || (def.IsBool() && def.AsBool()))
            defText = "True";
        else if ((def.IsText() && def.AsText() == "0") || (def.IsBool() && !def.AsBool()))
            defText = "False";
    } else {
        defText = def.Text();
    }
    if (session_.Userid.empty() || session_.Userid == "xxx") return kind == 0 ? defText : def.Text();
    return GetKeyOrDefault(key, section, defText);
}

bool SettingsDatabase::RegSaveSetting(std::int16_t kind, const std::string& /*application*/,
                                      const std::string& section, const std::string& key,
                                      const SettingValue& value) {
    if (!Writable()) return false;
    const std::string text = value.Text();
    if (kind == 3) return SetKey(key, text, section);
    if (!OpenSettingsDb()) return false;
    const bool inserted = InsertKey(section + "\\" + key, text, "");
    CloseSettingsDb();
    return inserted;
}

bool SettingsDatabase::GetBool(const std::string& section, const std::string& key, bool def) {
    return ToBool(RegGetSetting(0, kApplication, section, key, def)).value_or(def);
}

std::int32_t SettingsDatabase::GetInt(const std::string& section, const std::string& key, std::int32_t def,
                                      std::int16_t kind) {
    return ToInt32(RegGetSetting(kind, kApplication, section, key, def)).value_or(def);
}

double SettingsDatabase::GetDouble(const std::string& section, const std::string& key, double def,
                                   std::int16_t kind) {
    return ToDouble(RegGetSetting(kind, kApplication, section, key, def)).value_or(def);
}

std::string SettingsDatabase::GetText(const std::string& section, const std::string& key,
                                      const std::string& def) {
    const std::string text = RegGetSetting(2, kApplication, section, key, def);
    return text == "BAD" ? def : text;
}

std::optional<std::string> SettingsDatabase::ReadStored(const std::string& section, const std::string& key) {
    if (!OpenSettingsDb()) return std::nullopt;
    std::vector<SqliteDatabase::Row> rows;
    const bool ok = db_->Exec("SELECT Key_Data FROM StartUp WHERE Key_Description = ?1 LIMIT 1",
                              {Cp1252ToUtf8(section + "\\" + key)}, &rows);
    if (!ok) Report(309, db_->LastError());
    CloseSettingsDb();
    if (!ok || rows.empty()) return std::nullopt;
    return rows[0][0] ? Utf8ToCp1252(*rows[0][0]) : std::string();
}

bool SettingsDatabase::TakesWrites() {
    if (!Writable()) return true;
    if (!OpenSettingsDb()) return false;
    // The header's user version written back unchanged, then rolled back: a write to the file and
    // its journal that changes nothing. A lock held elsewhere is told after a short wait; the keys'
    // own wait comes back after it.
    const int keyWait = db_->BusyTimeout();
    db_->SetBusyTimeout(200);
    const bool begun = db_->Exec("BEGIN IMMEDIATE");
    std::vector<SqliteDatabase::Row> version;
    const bool ok = begun && db_->Exec("PRAGMA user_version", {}, &version) && !version.empty() &&
                    version[0][0] &&
                    db_->Exec("PRAGMA user_version = " + std::to_string(ToInt32(*version[0][0]).value_or(0)));
    // After a failure the close rolls back, and the failed write's error is the one kept.
    if (ok) static_cast<void>(db_->Exec("ROLLBACK"));
    db_->SetBusyTimeout(keyWait);
    CloseSettingsDb();
    return ok;
}

bool SettingsDatabase::PutStored(const std::string& section, const std::string& key,
                                 const std::string& text) {
    if (!Writable() || !OpenSettingsDb()) return false;
    const bool ok = UpdateOrInsert(section + "\\" + key, text, true);
    CloseSettingsDb();
    return ok;
}

bool SettingsDatabase::Put(const std::string& section, const std::string& key, const SettingValue& value) {
    return RegSaveSetting(3, kApplication, section, key, value);
}

} // namespace zeva
