#pragma once
#include "common/ChildProcess.h"
#include "common/SqliteDatabase.h"
#include "model/ZVFieldType.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zeva {

// The shared field database: an SQLite file with the table "ZVFields" (Identifier, Title, VType,
// Description, Default, Format, Minsize, Maxsize, DBase), read by every module of the system.
//
// Start-up opens it read-only, so this client never changes what the other modules read: the
// write-backs of field changes are attempted and refused by the database, and the refusal is
// ignored (WriteRefused counts them). Writable mode exists for the tool that creates the sample.
// Texts are CP1252 in the program and UTF-8 in the file.
//
// At a site whose other modules keep the file as an Access (Jet) database, Open recognises it by
// its header and has zeva-fielddb copy the table into a temporary SQLite file, which is then read
// the same way and removed at Close. The copy runs in a child process with bounded time and memory,
// so a damaged file costs a failed open, never the station. Such a file opens read-only only.
class FieldDatabase {
  public:
    static constexpr const char* kTable = "ZVFields";
    static constexpr const char* kDefaultFile = "ZEVAField.mdb";
    static constexpr const char* kJetTool = "zeva-fielddb";
    // Why an Access file did not open on a desk without the program that reads it.
    static constexpr const char* kNoJetReader =
        "an Access database needs zeva-fielddb, found neither beside this program nor on PATH";

    FieldDatabase() = default;
    ~FieldDatabase();
    FieldDatabase(const FieldDatabase&) = delete;
    FieldDatabase& operator=(const FieldDatabase&) = delete;

    // The program that reads Jet files (default: zeva-fielddb beside this program, else on PATH)
    // and its bounds.
    void SetJetReader(const std::string& tool, const ChildLimits& limits);

    // Fails for a missing file, for a file that is neither an SQLite nor a Jet database, and for a
    // Jet file the reader cannot copy (LastError says why).
    bool Open(const std::string& path, bool writable = false);
    void Close();
    bool IsOpen() const { return db_.IsOpen(); }
    const std::string& Path() const { return path_; }

    // Reads the definitions in Identifier order. A row with a missing or wrong-typed Identifier,
    // VType or DBase is skipped; a Null text column reads as empty. Default, Format, Minsize and
    // Maxsize are read too, so a site's display patterns apply from the start. False (with
    // LastErrorCode/LastError) when the table cannot be read at all.
    bool ReadFields(std::vector<ZVFieldType>& fields);

    // Write-backs; each reports whether the database took it.
    bool InsertField(const ZVFieldType& field); // adds a row unless the number has one
    bool UpdateColumn(std::int16_t identifier, const std::string& column, const std::string& value);
    bool UpdateDBase(std::int16_t identifier, bool value);
    bool UpdateVType(std::int16_t identifier, std::int16_t value);
    bool Renumber(std::int16_t from, std::int16_t to);
    bool DeleteField(std::int16_t identifier);

    int LastErrorCode() const { return errorCode_; }
    // The last failure was another program holding the file locked, not a fault of the file.
    bool LockedByAnother() const { return IsLockCode(errorCode_); }
    const std::string& LastError() const { return error_; }
    int WritesRefused() const { return writesRefused_; }

    // Creates the table in a new or empty database (for tools and tests).
    static const char* SchemaSql();

  private:
    bool Write(const std::string& sql, const std::vector<std::optional<std::string>>& params);
    void KeepError(int code, const std::string& text);
    // Copies the Jet file at path into a new temporary SQLite file (copy_); false with the reason.
    bool CopyJet(const std::string& path);

    SqliteDatabase db_;
    std::string path_;
    std::string copy_; // the temporary copy of a Jet file, removed at Close
    std::string jetTool_;
    ChildLimits jetLimits_;
    int errorCode_ = 0;
    std::string error_;
    int writesRefused_ = 0;
};

// Start-up's pair: the field database named by the setting FieldDataBaseFile is opened read-only
// while the classes connect and closed again afterwards. A failed open writes its reason to
// standard error; the caller shows the message box.
bool PXOpenDatabase(FieldDatabase& database, const std::string& file);
void PXCloseDatabase(FieldDatabase& database);

} // namespace zeva
