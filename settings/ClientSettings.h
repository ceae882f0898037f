#pragma once
#include "settings/FontStyle.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zeva {

class SettingsDatabase;

// The built-in test record of the Output test: 53 bar-separated values, fields 101 to 153.
extern const char* const kDefaultTestRecord;
// Where the hub listens when nothing else is configured.
extern const char* const kDefaultRemoteAddress;

// Section names of the settings table.
namespace section {
inline const std::string Setup = "Setup";
inline const std::string Window = "Setup\\WINDOW";
inline const std::string Tcp = "Setup\\TCP";
inline const std::string Output = "Setup\\OUTPUT";
inline const std::string OutputFields = "Setup\\OUTPUT\\Fields";
inline const std::string Form = "Setup\\FORM";
} // namespace section

// Every setting the client reads at start-up and writes at shutdown, with its built-in default
// (the key table in SettingsCatalog.cpp names each key, its default and its range; a test holds
// the two together). Display modes are 0 to 5; the window keys exist for modes 0, 1, 2, 3 and 5.
struct ClientSettings {
    // Setup
    std::string X25TestData = kDefaultTestRecord;
    std::string FieldDataBaseFile = "ZEVAField.mdb";
    // Setup\RecordLog: every record shown is kept in a record log under RecordLogFolder.
    bool RecordLog = false;
    std::string RecordLogFolder = "RecordLog";
    // Setup\WINDOW
    bool Load = true;      // FirstLoad
    bool LinkAlarm = true; // the link-down alarm on top of the Output window
    // A record behind another window: 0 asks nothing, 1 flashes, 2 flashes and rings the bell.
    std::int16_t RecordAlert = 1;
    std::int16_t WindowSelected = 2;
    std::array<std::int16_t, 6> XWindowState{2, 2, 2, 2, 2, 2};
    std::array<std::int32_t, 6> XWindowWidth{9375, 9375, 9375, 9375, 9375, 9375};
    std::array<std::int32_t, 6> XWindowHeight{1635, 1635, 1635, 1635, 1635, 1635};
    // Setup\TCP
    bool AsyncComms = true;
    std::int16_t CommClassBufferMax = 10;
    std::int16_t CommClassRemoteBuffer = 100;
    std::int16_t HubConnectionRetries = 10;
    std::int16_t HubInterRetryWait = 10;
    std::int32_t RemotePort = 6000;
    std::string RemoteAddress = kDefaultRemoteAddress;
    // A second hub to fall back on; an empty address or a port of 0 means none.
    std::string BackupAddress;
    std::int32_t BackupPort = 0;
    bool HasBackupHub() const { return !BackupAddress.empty() && BackupPort > 0; }
    bool AutoConnect = true;
    bool AutoShowCommClass = false;
    bool DisableCommSetup = true;
    double CommClassWatchDog = 120.0 / 86400.0; // 00:02:00
    // Setup\OUTPUT
    std::int16_t LinesPerRecord = 1;
    std::int16_t LineIndentCharacters = 0;
    bool LineIndentEnabled = false;
    bool FixedLinesPerRecord = false;
    bool ShowTruncIndicator = true;
    bool TextFormat = true;
    std::int16_t CharactersPerPage = 138;
    std::int16_t NoOfPostLines = 0;
    std::int16_t FullFieldsJustify = 0;
    std::int16_t MultiWindowState = 1;
    std::int16_t MaxEntriesInRecords = 10;
    std::int16_t MaxEntriesInOutput = 50;
    std::string SetUpPassword = "keystone";
    bool SetupLockState = false;
    std::string OutputWindowFont;
    std::string FieldsWindowFont;
    std::string RecordWindowFont;
    // Setup\OUTPUT\Fields: the display-format list, Field001 onwards.
    std::vector<std::string> DisplayFormatList;
    // Setup\FORM: initial selection of the X25 clients x01 and x02.
    std::array<bool, 2> X25ClientEnabled{true, true};
};

// Window-geometry keys of one window, twips.
struct FormPosition {
    double Left = 0, Top = 0, Height = 0, Width = 0;
};

// Grouped readers and writers over the key table. Readers fall back to the default for a missing
// key or a value that does not convert, and bring a number outside its key's range into it the way
// the key says; writers do nothing outside admin mode.
void LoadAllSettings(SettingsDatabase& db, const std::string& userid, ClientSettings& s);
void SaveAllSettings(SettingsDatabase& db, const std::string& userid, const ClientSettings& s);
void LoadTCPSettings(SettingsDatabase& db, ClientSettings& s);
void SaveTCPSettings(SettingsDatabase& db, const ClientSettings& s);
void ReadWindowKeys(SettingsDatabase& db, const std::string& userid, ClientSettings& s);
void WriteWindowKeys(SettingsDatabase& db, const std::string& userid, const ClientSettings& s);
// The Setup\OUTPUT keys, the three fonts among them.
void ReadOutputKeys(SettingsDatabase& db, ClientSettings& s);
void WriteOutputKeys(SettingsDatabase& db, const ClientSettings& s);
// The output keys and the display-format list with its count.
void ReadOutputSettings(SettingsDatabase& db, ClientSettings& s);
void SaveOutputSettings(SettingsDatabase& db, const ClientSettings& s);
void ReadClientSelection(SettingsDatabase& db, ClientSettings& s);
// The setup password and lock state, written the moment they change (update or insert).
void StoreSetupLock(SettingsDatabase& db, const ClientSettings& s);
std::string GetFieldsKey(SettingsDatabase& db, const std::string& key);
bool PutFieldsKey(SettingsDatabase& db, const std::string& key, const std::string& value);
// "V" major "." minor "(" revision ")  ", the Version key and the version label.
std::string VersionText(int major, int minor, int revision);
void WriteVersion(SettingsDatabase& db, const std::string& version);

// Window position under the section named after the window. SaveFormPosition skips a minimised
// window. RestoreFormPosition puts a window that would open off screen back at 0.
bool SaveFormPosition(SettingsDatabase& db, std::int16_t kind, const std::string& windowName,
                      const FormPosition& pos, bool minimised);
FormPosition RestoreFormPosition(SettingsDatabase& db, const std::string& windowName, double screenWidth,
                                 double screenHeight);

// Time-of-day text "hh:mm:ss" of a date-time double and back (a plain number is read as days).
std::string TimeText(double value);
bool ParseTimeText(const std::string& text, double& value);

} // namespace zeva
