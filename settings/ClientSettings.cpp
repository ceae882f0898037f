#include "settings/ClientSettings.h"

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "settings/SettingsDatabase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zeva {

const char* const kDefaultTestRecord =
    "3|123456|2001-02-03|04:05:06|0311112222|A|TOLE|MARGARET|THE LAMP KEEPER|MS|FL|12|B|14|B|FL|210|C|"
    "EAST BUILDING||||456|||||WATERLOO|ST|||||HOLTON||VIC|3000|LE||AAA|THE RIVERBRIDGE TV STUDIOS||"
    "0355554444||TELCOA|2001-02-03 04:00:00|2001-02-03 04:00:00|T|555|MAINS SERVICE NSW||F|F";
const char* const kDefaultRemoteAddress = "127.0.0.1";

namespace {

const std::string kApp = "ZEVA";
// The window keys exist for these display modes; mode 4 (Setup) keeps no size of its own.
const int kWindowModes[] = {0, 1, 2, 3, 5};

std::int16_t GetInt16(SettingsDatabase& db, const std::string& sec, const std::string& key, std::int16_t def,
                      std::int16_t kind = 1) {
    return ToInt16(db.RegGetSetting(kind, kApp, sec, key, static_cast<int>(def))).value_or(def);
}

std::string WindowKey(const std::string& userid, const std::string& name) {
    return userid == "s99" ? "S99" + name : name;
}

} // namespace

std::string TimeText(double value) {
    return FormatValue(value, "hh:mm:ss");
}

bool ParseTimeText(const std::string& text, double& value) {
    int h = 0, m = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &tail) == 3 && h >= 0 && h < 24 && m >= 0 &&
        m < 60 && s >= 0 && s < 60) {
        value = (h * 3600 + m * 60 + s) / 86400.0;
        return true;
    }
    if (const auto d = ToDouble(text); d && *d >= 0 && *d < 1) {
        value = *d;
        return true;
    }
    return false;
}

void LoadTCPSettings(SettingsDatabase& db, ClientSettings& s) {
    const std::string& t = section::Tcp;
    s.AsyncComms = ToBool(db.RegGetSetting(2, kApp, t, "Async Comms", "True")).value_or(true);
    s.CommClassBufferMax = GetInt16(db, t, "CommClassBufferMax", 10);
    s.CommClassRemoteBuffer = GetInt16(db, t, "CommClassRemoteBuffer", 100);
    s.HubConnectionRetries = GetInt16(db, t, "Hub Connection Retries", 10);
    s.HubInterRetryWait = GetInt16(db, t, "Hub Inter Retry Wait", 10);
    s.RemotePort = ToInt32(db.RegGetSetting(2, kApp, t, "Remote Port", 6000)).value_or(6000);
    s.RemoteAddress = db.GetText(t, "Remote Address", kDefaultRemoteAddress);
    s.BackupAddress = db.GetText(t, "Backup Address", "");
    const std::int32_t backupPort = ToInt32(db.GetText(t, "Backup Port", "")).value_or(0);
    s.BackupPort = backupPort >= 1 && backupPort <= 65535 ? backupPort : 0;
    s.AutoConnect = db.GetBool(t, "Auto Connect", true);
    s.AutoShowCommClass = db.GetBool(t, "Auto Show CommClass", false);
    s.DisableCommSetup = db.GetBool(t, "DisableCommSetup", true);
    double watchdog = 120.0 / 86400.0;
    if (!ParseTimeText(db.RegGetSetting(4, kApp, t, "CommClassWatchDog", "00:02:00"), watchdog))
        watchdog = 120.0 / 86400.0;
    s.CommClassWatchDog = watchdog;
}

void SaveTCPSettings(SettingsDatabase& db, const ClientSettings& s) {
    const std::string& t = section::Tcp;
    db.Put(t, "Async Comms", s.AsyncComms);
    db.Put(t, "CommClassBufferMax", int(s.CommClassBufferMax));
    db.Put(t, "CommClassRemoteBuffer", int(s.CommClassRemoteBuffer));
    db.Put(t, "Hub Connection Retries", int(s.HubConnectionRetries));
    db.Put(t, "Hub Inter Retry Wait", int(s.HubInterRetryWait));
    db.Put(t, "Remote Port", int(s.RemotePort));
    db.Put(t, "Remote Address", s.RemoteAddress);
    // A site without a second hub keeps its table as it was.
    if (!s.BackupAddress.empty() || !db.GetText(t, "Backup Address", "").empty())
        db.Put(t, "Backup Address", s.BackupAddress);
    if (s.BackupPort > 0 || !db.GetText(t, "Backup Port", "").empty())
        db.Put(t, "Backup Port", s.BackupPort > 0 ? std::to_string(s.BackupPort) : std::string());
    db.Put(t, "Auto Connect", s.AutoConnect);
    db.Put(t, "Auto Show CommClass", s.AutoShowCommClass);
    db.Put(t, "DisableCommSetup", s.DisableCommSetup);
    db.Put(t, "CommClassWatchDog", TimeText(s.CommClassWatchDog));
}

void ReadWindowKeys(SettingsDatabase& db, const std::string& userid, ClientSettings& s) {
    const std::string& w = section::Window;
    s.WindowSelected = GetInt16(db, w, WindowKey(userid, "WindowSelected"), 2);
    if (s.WindowSelected < 0 || s.WindowSelected > 5) s.WindowSelected = 2;
    for (int i : kWindowModes) {
        const std::string n = std::to_string(i);
        const auto idx = size_t(i);
        s.XWindowState[idx] = GetInt16(db, w, WindowKey(userid, "XWindowState") + n, 2, 3);
        s.XWindowWidth[idx] = db.GetInt(w, WindowKey(userid, "XWindowWidth") + n, 9375, 3);
        s.XWindowHeight[idx] = db.GetInt(w, WindowKey(userid, "XWindowHeight") + n, 1635, 3);
        if (s.XWindowWidth[idx] == 0) s.XWindowWidth[idx] = 9375;
        if (s.XWindowHeight[idx] == 0) s.XWindowHeight[idx] = 1635;
    }
    if (s.XWindowState[5] == 0) s.XWindowState[5] = 2;
}

void WriteWindowKeys(SettingsDatabase& db, const std::string& userid, const ClientSettings& s) {
    const std::string& w = section::Window;
    db.Put(w, WindowKey(userid, "WindowSelected"), int(s.WindowSelected));
    for (int i : kWindowModes) {
        const std::string n = std::to_string(i);
        const auto idx = size_t(i);
        db.Put(w, WindowKey(userid, "XWindowState") + n, int(s.XWindowState[idx]));
        db.Put(w, WindowKey(userid, "XWindowWidth") + n, int(s.XWindowWidth[idx]));
        db.Put(w, WindowKey(userid, "XWindowHeight") + n, int(s.XWindowHeight[idx]));
    }
}

void LoadAllSettings(SettingsDatabase& db, const std::string& userid, ClientSettings& s) {
    s.X25TestData = db.GetText(section::Setup, "X25TestData", kDefaultTestRecord);
    s.Load = db.GetBool(section::Window, "Load", true);
    ReadWindowKeys(db, userid, s);
    s.FieldDataBaseFile = db.GetText(section::Setup, "FieldDataBaseFile", "ZEVAField.mdb");
    s.RecordLog = db.GetBool(section::Setup, "RecordLog", false);
    s.RecordLogFolder = db.GetText(section::Setup, "RecordLogFolder", "RecordLog");
    s.LinkAlarm = db.GetBool(section::Window, "LinkAlarm", true);
    s.RecordAlert = GetInt16(db, section::Window, "RecordAlert", 1);
    if (s.RecordAlert < 0 || s.RecordAlert > 2) s.RecordAlert = 1;
    LoadTCPSettings(db, s);
}

void SaveAllSettings(SettingsDatabase& db, const std::string& userid, const ClientSettings& s) {
    db.Put(section::Setup, "X25TestData", s.X25TestData);
    db.Put(section::Setup, "FieldDataBaseFile", s.FieldDataBaseFile);
    db.Put(section::Setup, "RecordLog", s.RecordLog);
    db.Put(section::Setup, "RecordLogFolder", s.RecordLogFolder);
    db.Put(section::Window, "LinkAlarm", s.LinkAlarm);
    db.Put(section::Window, "Load", false); // the next start is no first load
    WriteWindowKeys(db, userid, s);
    SaveTCPSettings(db, s);
}

void ReadOutputKeys(SettingsDatabase& db, ClientSettings& s) {
    const std::string& o = section::Output;
    s.LinesPerRecord = GetInt16(db, o, "LinesPerRecord", 1);
    s.LineIndentCharacters = GetInt16(db, o, "LineIndentCharacters", 0);
    s.LineIndentEnabled = db.GetBool(o, "LineIndentEnabled", false);
    s.FixedLinesPerRecord = db.GetBool(o, "FixedLinesPerRecord", false);
    s.ShowTruncIndicator = db.GetBool(o, "ShowTruncIndicator", true);
    s.TextFormat = db.GetBool(o, "TextFormat", true);
    s.CharactersPerPage = GetInt16(db, o, "CharactersPerPage", 138);
    s.NoOfPostLines = GetInt16(db, o, "NoOfPostLines", 0);
    s.FullFieldsJustify = GetInt16(db, o, "FullFieldsJustify", 0);
    s.MultiWindowState = GetInt16(db, o, "MultiWindowState", 1);
    // The record queue holds at most 10000 identifiers: a capacity of 0, below or above what the
    // setup box allows would never trim it, and the queue would refuse records once it is full.
    s.MaxEntriesInRecords = std::clamp<std::int16_t>(GetInt16(db, o, "MaxEntriesInRecords", 10),
                                                     kMaxEntriesInRecordsLow, kMaxEntriesInRecordsHigh);
    s.MaxEntriesInOutput = GetInt16(db, o, "MaxEntriesInOutput", 50);
    // Read as stored: an empty password or one that reads like an error text stays what it is.
    s.SetUpPassword = db.ReadStored(o, "SetUpPassword").value_or("keystone");
    s.SetupLockState = db.GetBool(o, "SetupLockState", false);
}

void WriteOutputKeys(SettingsDatabase& db, const ClientSettings& s) {
    const std::string& o = section::Output;
    db.Put(o, "LinesPerRecord", int(s.LinesPerRecord));
    db.Put(o, "LineIndentCharacters", int(s.LineIndentCharacters));
    db.Put(o, "LineIndentEnabled", s.LineIndentEnabled);
    db.Put(o, "FixedLinesPerRecord", s.FixedLinesPerRecord);
    db.Put(o, "ShowTruncIndicator", s.ShowTruncIndicator);
    db.Put(o, "TextFormat", s.TextFormat);
    db.Put(o, "CharactersPerPage", int(s.CharactersPerPage));
    db.Put(o, "NoOfPostLines", int(s.NoOfPostLines));
    db.Put(o, "FullFieldsJustify", int(s.FullFieldsJustify));
    db.Put(o, "MultiWindowState", int(s.MultiWindowState));
    db.Put(o, "MaxEntriesInRecords", int(s.MaxEntriesInRecords));
    db.Put(o, "MaxEntriesInOutput", int(s.MaxEntriesInOutput));
    db.Put(o, "SetUpPassword", s.SetUpPassword);
    db.Put(o, "SetupLockState", s.SetupLockState);
}

void ReadOutputSettings(SettingsDatabase& db, ClientSettings& s) {
    ReadOutputKeys(db, s);
    s.OutputWindowFont = GetOutputKey(db, "OutputWindowFont");
    s.FieldsWindowFont = GetOutputKey(db, "FieldsWindowFont");
    s.RecordWindowFont = GetOutputKey(db, "RecordWindowFont");
    s.DisplayFormatList.clear();
    const std::string countText = GetFieldsKey(db, "NoOfFields");
    // At most 100 entries and the closing line are ever used: a count stored larger (by hand, or a
    // damaged file) must not make start-up read tens of thousands of keys one connection each.
    constexpr int kMaxLines = 101;
    const int count = std::clamp(
        (countText.empty() || countText == "NULL") ? 0 : int(ToInt16(countText).value_or(0)), 0, kMaxLines);
    // The count includes the closing line, whose key is never written: a key left there by an
    // earlier, longer list would otherwise come back as a closing line holding an old entry.
    for (int i = 1; i < count; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "Field%03d", i);
        std::string line = GetFieldsKey(db, key);
        s.DisplayFormatList.push_back(line == "NULL" ? std::string() : std::move(line));
    }
    if (count > 0) s.DisplayFormatList.emplace_back();
}

void SaveOutputSettings(SettingsDatabase& db, const ClientSettings& s) {
    WriteOutputKeys(db, s);
    PutOutputKey(db, "OutputWindowFont", s.OutputWindowFont);
    PutOutputKey(db, "FieldsWindowFont", s.FieldsWindowFont);
    PutOutputKey(db, "RecordWindowFont", s.RecordWindowFont);
    // The count includes the closing line; its key is not written.
    PutFieldsKey(db, "NoOfFields", FormatValue(double(s.DisplayFormatList.size()), "000"));
    for (size_t i = 0; i + 1 < s.DisplayFormatList.size(); ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "Field%03d", int(i + 1));
        PutFieldsKey(db, key, s.DisplayFormatList[i]);
    }
}

void StoreSetupLock(SettingsDatabase& db, const ClientSettings& s) {
    db.Put(section::Output, "SetUpPassword", s.SetUpPassword);
    db.Put(section::Output, "SetupLockState", s.SetupLockState);
}

void ReadClientSelection(SettingsDatabase& db, ClientSettings& s) {
    s.X25ClientEnabled[0] = db.GetBool(section::Form, "X25Client Enabled01", true);
    s.X25ClientEnabled[1] = db.GetBool(section::Form, "X25Client Enabled02", true);
}

std::string GetOutputKey(SettingsDatabase& db, const std::string& key) {
    return db.GetText(section::Output, key, "");
}
bool PutOutputKey(SettingsDatabase& db, const std::string& key, const std::string& value) {
    return db.Put(section::Output, key, value);
}
std::string GetFieldsKey(SettingsDatabase& db, const std::string& key) {
    return db.GetText(section::OutputFields, key, "");
}
bool PutFieldsKey(SettingsDatabase& db, const std::string& key, const std::string& value) {
    return db.Put(section::OutputFields, key, value);
}

std::string VersionText(int major, int minor, int revision) {
    return "V" + std::to_string(major) + "." + std::to_string(minor) + "(" + std::to_string(revision) + ")  ";
}

void WriteVersion(SettingsDatabase& db, const std::string& version) {
    db.Put(section::Setup, "Version", version);
}

bool SaveFormPosition(SettingsDatabase& db, std::int16_t kind, const std::string& windowName,
                      const FormPosition& pos, bool minimised) {
    if (minimised) return false;
    bool ok = db.RegSaveSetting(kind, "ZEVA", windowName, "Left", pos.Left);
    ok = db.RegSaveSetting(kind, "ZEVA", windowName, "Top", pos.Top) && ok;
    ok = db.RegSaveSetting(kind, "ZEVA", windowName, "Height", pos.Height) && ok;
    ok = db.RegSaveSetting(kind, "ZEVA", windowName, "Width", pos.Width) && ok;
    return ok;
}

FormPosition RestoreFormPosition(SettingsDatabase& db, const std::string& windowName, double screenWidth,
                                 double screenHeight) {
    FormPosition p;
    p.Left = db.GetDouble(windowName, "Left", 0);
    p.Top = db.GetDouble(windowName, "Top", 0);
    p.Height = db.GetDouble(windowName, "Height", 0);
    p.Width = db.GetDouble(windowName, "Width", 0);
    if (p.Left > screenWidth - 100 || p.Left < 0) p.Left = 0;
    if (p.Top > screenHeight - 100 || p.Top < 0) p.Top = 0;
    return p;
}

} // namespace zeva
