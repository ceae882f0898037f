#include "settings/ClientSettings.h"

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "common/TextUtil.h"
#include "settings/SettingsCatalog.h"
#include "settings/SettingsDatabase.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace zeva {

const char* const kDefaultTestRecord =
    "3|123456|2001-02-03|04:05:06|0311112222|A|TOLE|MARGARET|THE LAMP KEEPER|MS|FL|12|B|14|B|FL|210|C|"
    "EAST BUILDING||||456|||||WATERLOO|ST|||||HOLTON||VIC|3000|LE||AAA|THE RIVERBRIDGE TV STUDIOS||"
    "0355554444||TELCOA|2001-02-03 04:00:00|2001-02-03 04:00:00|T|555|MAINS SERVICE NSW||F|F";
const char* const kDefaultRemoteAddress = "127.0.0.1";

namespace {

template <class M, class T> constexpr bool kIs = std::is_same_v<M, T ClientSettings::*>;

// The value of key (number n) read from the database into its field of s; the default when the
// key is missing or its text does not convert.
void ReadKey(SettingsDatabase& db, const SettingKey& k, int n, ClientSettings& s) {
    const std::string name = k.KeyName(n);
    const auto i = static_cast<size_t>(n);
    auto text = [&](std::int16_t kind) {
        return db.RegGetSetting(kind, SettingsDatabase::kApplication, k.Section, name, k.Default);
    };
    auto readBool = [&] { return db.GetBool(k.Section, name, ToBool(k.Default).value_or(false)); };
    auto readNumber = [&](auto def) {
        using N = decltype(def);
        std::optional<N> converted;
        if constexpr (sizeof(N) == 2)
            converted = ToInt16(text(1)); // 16 bits: a wider number does not convert
        else
            converted = ToInt32(text(1));
        const N v = converted.value_or(def);
        return k.ZeroIsDefault && v == 0 ? def : v;
    };
    std::visit(
        [&](auto m) {
            using M = decltype(m);
            if constexpr (kIs<M, bool>) {
                s.*m = readBool();
            } else if constexpr (kIs<M, std::array<bool, 2>>) {
                (s.*m)[i - 1] = readBool(); // the X25 clients count from 1
            } else if constexpr (kIs<M, std::int16_t>) {
                s.*m = readNumber(ToInt16(k.Default).value_or(0));
            } else if constexpr (kIs<M, std::array<std::int16_t, 6>>) {
                (s.*m)[i] = readNumber(ToInt16(k.Default).value_or(0));
            } else if constexpr (kIs<M, std::int32_t>) {
                s.*m = readNumber(ToInt32(k.Default).value_or(0));
            } else if constexpr (kIs<M, std::array<std::int32_t, 6>>) {
                (s.*m)[i] = readNumber(ToInt32(k.Default).value_or(0));
            } else if constexpr (kIs<M, double>) {
                double value = 0;
                if (!ParseTimeText(text(4), value) && !ParseTimeText(k.Default, value)) value = 0;
                s.*m = value;
            } else if constexpr (kIs<M, std::string>) {
                s.*m = k.Exact ? db.ReadStored(k.Section, name).value_or(k.Default)
                               : db.GetText(k.Section, name, k.Default);
            }
        },
        k.Field);
}

// A number outside its key's range brought back into it (clamped, or the default).
void KeepInRange(const SettingKey& k, ClientSettings& s) {
    if (!k.Ranged || k.OnRange == RangeUse::Checked) return;
    // The second hub's port is the one 32-bit number with a range the client keeps.
    if (const auto* wide = std::get_if<std::int32_t ClientSettings::*>(&k.Field)) {
        std::int32_t& value = s.**wide;
        if (value < k.Min || value > k.Max) value = ToInt32(k.Default).value_or(0);
        return;
    }
    const auto* field = std::get_if<std::int16_t ClientSettings::*>(&k.Field);
    if (!field) return;
    const SettingRange r = RangeOf(k, s);
    std::int16_t& value = s.**field;
    if (value >= r.Min && value <= r.Max) return;
    value = k.OnRange == RangeUse::Clamped ? static_cast<std::int16_t>(std::clamp<long>(value, r.Min, r.Max))
                                           : ToInt16(k.Default).value_or(0);
}

void WriteKey(SettingsDatabase& db, const SettingKey& k, int n, const ClientSettings& s) {
    const std::string name = k.KeyName(n);
    if (k.Write == SettingWrite::FalseAtShutdown) {
        db.Put(k.Section, name, false);
        return;
    }
    const auto i = static_cast<size_t>(n);
    std::visit(
        [&](auto m) {
            using M = decltype(m);
            if constexpr (kIs<M, std::string>)
                k.Exact ? db.PutStored(k.Section, name, s.*m) : db.Put(k.Section, name, s.*m);
            else if constexpr (kIs<M, bool>)
                db.Put(k.Section, name, s.*m);
            else if constexpr (kIs<M, std::array<bool, 2>>)
                db.Put(k.Section, name, (s.*m)[i - 1]);
            else if constexpr (kIs<M, std::int16_t> || kIs<M, std::int32_t>)
                db.Put(k.Section, name, int(s.*m));
            else if constexpr (kIs<M, std::array<std::int16_t, 6>> || kIs<M, std::array<std::int32_t, 6>>)
                db.Put(k.Section, name, int((s.*m)[i]));
            else if constexpr (kIs<M, double>)
                db.Put(k.Section, name, TimeText(s.*m));
        },
        k.Field);
}

// The keys of a section the client reads into ClientSettings, in the table's order; perUser picks
// the window keys that come in an s99 set and one for everyone else.
std::vector<const SettingKey*> KeysOf(const std::string& section, const std::string& userid, bool perUser) {
    std::vector<const SettingKey*> keys;
    for (const auto& k : SettingsCatalog())
        if (k.Section == section && k.Read && !std::holds_alternative<std::monostate>(k.Field) &&
            k.PerUser == perUser && KeyApplies(k, userid))
            keys.push_back(&k);
    return keys;
}

void ReadKeys(SettingsDatabase& db, const std::vector<const SettingKey*>& keys, ClientSettings& s) {
    for (const SettingKey* k : keys)
        for (int n : k->KeyNumbers())
            ReadKey(db, *k, n, s);
    // Ranges that follow another setting (the indent, a line's characters) come after that one's.
    for (const SettingKey* k : keys)
        if (!k->MaxFrom) KeepInRange(*k, s);
    for (const SettingKey* k : keys)
        if (k->MaxFrom) KeepInRange(*k, s);
}

// The plain keys in order, then the first-load mark, then the families number by number (each
// display mode's state, width and height together): the order the rows of a new file have always
// had.
void WriteKeys(SettingsDatabase& db, const std::vector<const SettingKey*>& keys, const ClientSettings& s) {
    std::vector<const SettingKey*> families;
    for (const SettingKey* k : keys) {
        if (k->Write != SettingWrite::AtShutdown) continue;
        if (k->Numbered)
            families.push_back(k);
        else
            WriteKey(db, *k, 0, s);
    }
    for (const SettingKey* k : keys)
        if (k->Write == SettingWrite::FalseAtShutdown) WriteKey(db, *k, 0, s);
    if (families.empty()) return;
    for (int n : families.front()->KeyNumbers())
        for (const SettingKey* k : families)
            WriteKey(db, *k, n, s);
}

} // namespace

std::string TimeText(double value) {
    return FormatValue(value, "hh:mm:ss");
}

bool ParseTimeText(const std::string& text, double& value) {
    // h:mm or h:mm:ss, and the 12-hour form a Windows station writes ("12:05:00 AM" is five past
    // midnight), blanks around it allowed.
    int h = 0, m = 0, s = 0, used = 0;
    const char* t = text.c_str();
    while (*t == ' ')
        ++t;
    if (std::sscanf(t, "%2d:%2d%n", &h, &m, &used) == 2 && std::isdigit(static_cast<unsigned char>(*t))) {
        const char* rest = t + used;
        if (rest[0] == ':' && std::isdigit(static_cast<unsigned char>(rest[1]))) {
            used = 0;
            if (std::sscanf(rest, ":%2d%n", &s, &used) != 1) return false;
            rest += used;
        }
        while (*rest == ' ')
            ++rest;
        const std::string half = ToUpper(rest);
        if (half == "AM" || half == "PM") {
            if (h < 1 || h > 12) return false;
            h = h % 12 + (half == "PM" ? 12 : 0);
            rest += 2;
        }
        while (*rest == ' ')
            ++rest;
        if (*rest == 0 && h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60) {
            value = (h * 3600 + m * 60 + s) / 86400.0;
            return true;
        }
        return false;
    }
    if (const auto d = ToDouble(text); d && *d >= 0 && *d < 1) {
        value = *d;
        return true;
    }
    return false;
}

void LoadTCPSettings(SettingsDatabase& db, ClientSettings& s) {
    ReadKeys(db, KeysOf(section::Tcp, "", false), s);
}

void SaveTCPSettings(SettingsDatabase& db, const ClientSettings& s) {
    WriteKeys(db, KeysOf(section::Tcp, "", false), s);
}

void ReadWindowKeys(SettingsDatabase& db, const std::string& userid, ClientSettings& s) {
    ReadKeys(db, KeysOf(section::Window, userid, true), s);
    // The Full fields display opens maximised unless a size of its own was kept.
    if (s.XWindowState[5] == 0) s.XWindowState[5] = 2;
}

void WriteWindowKeys(SettingsDatabase& db, const std::string& userid, const ClientSettings& s) {
    WriteKeys(db, KeysOf(section::Window, userid, true), s);
}

void LoadAllSettings(SettingsDatabase& db, const std::string& userid, ClientSettings& s) {
    ReadKeys(db, KeysOf(section::Setup, userid, false), s);
    ReadKeys(db, KeysOf(section::Window, userid, false), s);
    ReadWindowKeys(db, userid, s);
    LoadTCPSettings(db, s);
}

void SaveAllSettings(SettingsDatabase& db, const std::string& userid, const ClientSettings& s) {
    WriteKeys(db, KeysOf(section::Setup, userid, false), s);
    WriteKeys(db, KeysOf(section::Window, userid, false), s); // Load is written False
    WriteWindowKeys(db, userid, s);
    SaveTCPSettings(db, s);
}

void ReadOutputKeys(SettingsDatabase& db, ClientSettings& s) {
    ReadKeys(db, KeysOf(section::Output, "", false), s);
}

void WriteOutputKeys(SettingsDatabase& db, const ClientSettings& s) {
    WriteKeys(db, KeysOf(section::Output, "", false), s);
}

void ReadOutputSettings(SettingsDatabase& db, ClientSettings& s) {
    ReadOutputKeys(db, s);
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
    // The count includes the closing line; its key is not written.
    PutFieldsKey(db, "NoOfFields", FormatValue(double(s.DisplayFormatList.size()), "000"));
    for (size_t i = 0; i + 1 < s.DisplayFormatList.size(); ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "Field%03d", int(i + 1));
        PutFieldsKey(db, key, s.DisplayFormatList[i]);
    }
}

void StoreSetupLock(SettingsDatabase& db, const ClientSettings& s) {
    WriteKey(db, SettingKeyOf(&ClientSettings::SetUpPassword), 0, s);
    WriteKey(db, SettingKeyOf(&ClientSettings::SetupLockState), 0, s);
}

void ReadClientSelection(SettingsDatabase& db, ClientSettings& s) {
    ReadKeys(db, KeysOf(section::Form, "", false), s);
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
    bool ok = db.RegSaveSetting(kind, SettingsDatabase::kApplication, windowName, "Left", pos.Left);
    ok = db.RegSaveSetting(kind, SettingsDatabase::kApplication, windowName, "Top", pos.Top) && ok;
    ok = db.RegSaveSetting(kind, SettingsDatabase::kApplication, windowName, "Height", pos.Height) && ok;
    ok = db.RegSaveSetting(kind, SettingsDatabase::kApplication, windowName, "Width", pos.Width) && ok;
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
