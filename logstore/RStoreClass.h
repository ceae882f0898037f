#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "logstore/LogEntry.h"
#include "logstore/LogFileReader.h"

namespace zeva {

class Clock;

// An append-only text log of typed entries under <base>/LOGS, with a reader and a backup rule that
// moves the file into <base>/BACKUP and starts a fresh one.
//
// One entry is one line ended by CR LF: the type ("00"), a blank, the counted time text (four
// digits, then the date double as text) and the counted data (four digits, then the text). The
// reader splits input at commas, so commas in the data are stored as blanks; CR and LF would end
// the line early and are stored as blanks too. Data over 9999 characters does not fit its four
// digits and is refused.
//
// Every entry is on disk when AddLog returns: the file is opened, written and closed per entry, so
// another process (or a backup) never sees half a buffer. Nothing throws: failures come back as
// false / empty results and, for unusable folders or files, Error() == 1.
class RStoreClass {
  public:
    static constexpr std::size_t kMaxData = 9999;
    static constexpr const char* kVersion = "1.02.00";

    explicit RStoreClass(const Clock& clock);
    ~RStoreClass() = default;
    RStoreClass(const RStoreClass&) = delete;
    RStoreClass& operator=(const RStoreClass&) = delete;

    // baseFolder empty = not given: the folder of an earlier Connect, else ".". The base folder
    // must exist; LOGS is created under it. The option is accepted and has no effect.
    bool Connect(std::string_view baseFolder, std::string_view identifier, std::string_view option = {});
    bool Disconnect();

    // Type 0 to 99 (two digits). True when written, or when recording is disabled (nothing written).
    bool AddLog(std::int16_t type, std::string_view text);
    static std::string CheckDelimiter(std::string_view text);

    bool Enabled() const { return enabled_; }
    // The disable message is written before recording stops, the enable message once it runs.
    void SetEnabled(bool value);

    // 0 none, 1 a folder or file was unusable. Reading clears it.
    std::int16_t Error();

    // Lines of that type, or every line (header included) for -1; 0 when not connected.
    std::int32_t Sizeof(std::int16_t type);
    // Places the reader before line index (0-based); false when the file has no such line.
    bool FindLog(std::int32_t index);
    // Reads forward to the next line of that type (-1 any) into LType/LDate/LData/LLine.
    bool GetLog(std::int16_t type);

    double LDate() const { return entry_.date; }
    // False when the line's time text was missing or not a number (LDate is then 0).
    bool LDateValid() const { return entry_.dateValid; }
    std::int16_t LType() const { return entry_.type; }
    const std::string& LData() const { return entry_.data; }
    std::int32_t LLine() const { return lline_; }

    // The backup's file name (inside BackupFolder()), empty when nothing was done.
    std::string Backup();

    // The base folder; empty with Error 1 when none was set.
    std::string FServer();
    std::string Version() const { return kVersion; }
    const std::string& Userid() const { return userid_; }
    bool Connected() const { return connected_; }

    // The log file's name ("rstres01.log") and full path, and the folders, once connected.
    const std::string& FileName() const { return fileName_; }
    std::filesystem::path LogPath() const { return logFolder_ / fileName_; }
    std::filesystem::path LogFolder() const { return logFolder_; }
    std::filesystem::path BackupFolder() const;

    // "rstre" + the identifier's first three characters + ".log"; characters that cannot be part
    // of a file name (separators, wildcards, controls) become "_".
    static std::string LogFileName(std::string_view identifier);
    // The identifier's first three characters as they appear in file names.
    static std::string NamePart(std::string_view identifier);
    // The identifier padded with blanks (or cut) to exactly 8 characters.
    static std::string PaddedId(std::string_view identifier);
    // Builds the line AddLog writes (without checks); empty when the data is too long.
    static std::string FormatEntry(std::int16_t type, double date, std::string_view text);

  private:
    bool WriteLine(const std::string& line);
    bool WriteHeader();
    bool OpenReader();

    const Clock& clock_;
    bool connected_ = false;
    bool enabled_ = false;
    std::int16_t error_ = 0;
    bool haveBase_ = false;
    std::string base_;
    std::string userid_;
    std::string fileName_;
    std::filesystem::path logFolder_;

    LogFileReader reader_;
    LogEntry entry_;
    std::int32_t lline_ = -1;
};

} // namespace zeva
