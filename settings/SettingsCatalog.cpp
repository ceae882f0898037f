#include "settings/SettingsCatalog.h"

#include "common/Convert.h"
#include "settings/ClientSettings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace zeva {

namespace {

std::string Int(long long v) {
    return std::to_string(v);
}

// The text of the value a field holds, for number n of a family.
std::string FieldText(const SettingField& field, const ClientSettings& s, int n) {
    const auto i = static_cast<size_t>(n);
    struct Visit {
        const ClientSettings& s;
        size_t i;
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool ClientSettings::*m) const { return BoolText(s.*m); }
        std::string operator()(std::int16_t ClientSettings::*m) const { return Int(s.*m); }
        std::string operator()(std::int32_t ClientSettings::*m) const { return Int(s.*m); }
        std::string operator()(double ClientSettings::*m) const { return TimeText(s.*m); }
        std::string operator()(std::string ClientSettings::*m) const { return s.*m; }
        std::string operator()(std::array<std::int16_t, 6> ClientSettings::*m) const {
            return Int((s.*m)[i]);
        }
        std::string operator()(std::array<std::int32_t, 6> ClientSettings::*m) const {
            return Int((s.*m)[i]);
        }
        // The X25 clients are numbered from 1.
        std::string operator()(std::array<bool, 2> ClientSettings::*m) const {
            return BoolText((s.*m)[i - 1]);
        }
    };
    return std::visit(Visit{s, i}, field);
}

SettingKey Key(const std::string& section, const std::string& name, SettingKind kind, std::string def,
               std::string meaning, SettingField field = {}) {
    SettingKey k;
    k.Section = section;
    k.Name = name;
    k.Kind = kind;
    k.Default = std::move(def);
    k.Meaning = std::move(meaning);
    k.Field = field;
    if (!std::holds_alternative<std::monostate>(field))
        k.Value = [field](const ClientSettings& s, int n) { return FieldText(field, s, n); };
    return k;
}

SettingKey Ranged(SettingKey k, long min, long max, RangeUse use = RangeUse::Checked) {
    k.Ranged = true;
    k.Min = min;
    k.Max = max;
    k.OnRange = use;
    return k;
}

// A key the Setup pane edits: the client's read clamps it into the box's range.
SettingKey Boxed(SettingKey k, long min, long max) {
    return Ranged(std::move(k), min, max, RangeUse::Clamped);
}

SettingKey Family(SettingKey k, std::vector<int> numbers, int first, int last, int digits = 0) {
    k.Numbered = true;
    k.Numbers = std::move(numbers);
    k.First = first;
    k.Last = last;
    k.Digits = digits;
    return k;
}

SettingKey WrittenElsewhere(SettingKey k) {
    k.Write = SettingWrite::Elsewhere;
    return k;
}

using K = SettingKind;
using CS = ClientSettings;

// Setup: the test record, the field database and the record trail.
void AddSetupKeys(std::vector<SettingKey>& c) {
    const std::string& setup = section::Setup;
    c.push_back(Key(setup, "X25TestData", K::Text, kDefaultTestRecord,
                    "test record of the Output Test box (53 bar-separated values, fields 101 to 153)",
                    &CS::X25TestData));
    SettingKey version =
        Key(setup, "Version", K::Text, "", "the version of the last admin run (written only)");
    version.Read = false;
    c.push_back(WrittenElsewhere(std::move(version)));
    c.push_back(Key(setup, "FieldDataBaseFile", K::Text, "ZEVAField.mdb",
                    "file name of the field database, in the current folder", &CS::FieldDataBaseFile));
    c.push_back(Key(setup, "RecordLog", K::Boolean, "False",
                    "keep a record trail: every record shown is logged (read it with zeva-rlog)",
                    &CS::RecordLog));
    c.push_back(Key(setup, "RecordLogFolder", K::Text, "RecordLog",
                    "folder of the record trail (its LOGS and BACKUP folders), created when missing",
                    &CS::RecordLogFolder));
}

// Setup\WINDOW: start-up, alarms and the five displays' windows, per user.
void AddWindowKeys(std::vector<SettingKey>& c) {
    const std::string& win = section::Window;
    const std::vector<int> modes{0, 1, 2, 3, 5};
    SettingKey load =
        Key(win, "Load", K::Boolean, "True",
            "first load: True shows the hub setup dialog at start-up (admin runs store False)", &CS::Load);
    load.Write = SettingWrite::FalseAtShutdown;
    c.push_back(std::move(load));
    c.push_back(Key(win, "LinkAlarm", K::Boolean, "True",
                    "the link-down alarm on top of the Output window when records stop arriving",
                    &CS::LinkAlarm));
    SettingKey alert = Ranged(Key(win, "RecordAlert", K::Integer, "1",
                                  "a record behind another window: 0 nothing, 1 flash the taskbar entry, 2 "
                                  "flash and ring the bell (asked once until the window is activated)",
                                  &CS::RecordAlert),
                              0, 2, RangeUse::Reset);
    c.push_back(std::move(alert));
    for (const std::string prefix : {"", "S99"}) {
        const std::string who = prefix.empty() ? "" : " (client s99)";
        std::vector<SettingKey> keys;
        keys.push_back(
            Ranged(Key(win, prefix + "WindowSelected", K::Integer, "2",
                       "display shown at start-up: 0 none, 1 Output, 2 Fields, 3 Records, 4 Setup, "
                       "5 Full fields" +
                           who,
                       &CS::WindowSelected),
                   0, 5, RangeUse::Reset));
        keys.push_back(
            Family(Key(win, prefix + "XWindowState", K::Integer, "2",
                       "window state of display i: 0 normal, 2 maximised" + who, &CS::XWindowState),
                   modes, 0, 5));
        keys.push_back(
            Family(Key(win, prefix + "XWindowWidth", K::Long, "9375",
                       "window width of display i, twips (0 reads as 9375)" + who, &CS::XWindowWidth),
                   modes, 0, 5));
        keys.push_back(
            Family(Key(win, prefix + "XWindowHeight", K::Long, "1635",
                       "window height of display i, twips (0 reads as 1635)" + who, &CS::XWindowHeight),
                   modes, 0, 5));
        keys[2].ZeroIsDefault = keys[3].ZeroIsDefault = true;
        for (auto& k : keys) {
            k.Userid = prefix.empty() ? "" : "s99";
            k.PerUser = true;
            c.push_back(std::move(k));
        }
    }
}

// Setup\TCP: the hub link.
void AddTcpKeys(std::vector<SettingKey>& c) {
    const std::string& tcp = section::Tcp;
    c.push_back(Key(tcp, "Async Comms", K::Boolean, "True",
                    "records pushed by the hub as they come (asynchronous intake)", &CS::AsyncComms));
    c.push_back(Key(tcp, "CommClassBufferMax", K::Integer, "10", "packet buffer size of the link",
                    &CS::CommClassBufferMax));
    c.push_back(Key(tcp, "CommClassRemoteBuffer", K::Integer, "100", "buffer size announced to the hub",
                    &CS::CommClassRemoteBuffer));
    c.push_back(Key(tcp, "Hub Connection Retries", K::Integer, "10",
                    "connection attempts before the client stops trying; 0 or less: never stop",
                    &CS::HubConnectionRetries));
    c.push_back(Key(tcp, "Hub Inter Retry Wait", K::Integer, "10", "seconds between connection attempts",
                    &CS::HubInterRetryWait));
    c.push_back(
        Ranged(Key(tcp, "Remote Port", K::Long, "6000", "the hub's TCP port", &CS::RemotePort), 1, 65535));
    c.push_back(Key(tcp, "Remote Address", K::Text, kDefaultRemoteAddress, "the hub's host address",
                    &CS::RemoteAddress));
    SettingKey backup = Key(tcp, "Backup Address", K::Text, "",
                            "a second hub's host address, tried when an attempt to the hub in use fails or "
                            "its link is lost; empty: none",
                            &CS::BackupAddress);
    c.push_back(std::move(backup));
    SettingKey backupPort = Ranged(
        Key(tcp, "Backup Port", K::Long, "0", "the second hub's TCP port; empty or 0: none", &CS::BackupPort),
        0, 65535, RangeUse::Reset);
    c.push_back(std::move(backupPort));
    c.push_back(Key(tcp, "Auto Connect", K::Boolean, "True",
                    "connect to the hub at start-up (menu Auto Connect)", &CS::AutoConnect));
    c.push_back(Key(tcp, "Auto Show CommClass", K::Boolean, "False", "show the comms console at start-up",
                    &CS::AutoShowCommClass));
    c.push_back(Key(tcp, "DisableCommSetup", K::Boolean, "True", "comms setup locked (menu Lock Comms Setup)",
                    &CS::DisableCommSetup));
    c.push_back(Key(tcp, "CommClassWatchDog", K::Time, "00:02:00", "watchdog interval of the hub link",
                    &CS::CommClassWatchDog));
}

// Setup\OUTPUT: the Output display's format, limits, setup lock and fonts.
void AddOutputKeys(std::vector<SettingKey>& c) {
    const std::string& out = section::Output;
    // The numbers of the Setup pane's "Global Format" group are read into the ranges its boxes keep.
    c.push_back(Boxed(Key(out, "LinesPerRecord", K::Integer, "1", "lines per record in the Output display",
                          &CS::LinesPerRecord),
                      1, 50));
    SettingKey indent = Boxed(Key(out, "LineIndentCharacters", K::Integer, "0",
                                  "indent width of continued lines", &CS::LineIndentCharacters),
                              0, 1000);
    indent.MaxFrom = &CS::CharactersPerPage;
    c.push_back(std::move(indent));
    c.push_back(
        Key(out, "LineIndentEnabled", K::Boolean, "False", "indent continued lines", &CS::LineIndentEnabled));
    c.push_back(Key(out, "FixedLinesPerRecord", K::Boolean, "False",
                    "every record takes LinesPerRecord lines", &CS::FixedLinesPerRecord));
    c.push_back(Key(out, "ShowTruncIndicator", K::Boolean, "True", "mark values cut to fit",
                    &CS::ShowTruncIndicator));
    c.push_back(Key(out, "TextFormat", K::Boolean, "True", "format values as text", &CS::TextFormat));
    c.push_back(Boxed(Key(out, "CharactersPerPage", K::Integer, "138", "Output line width in characters",
                          &CS::CharactersPerPage),
                      1, 1000));
    c.push_back(
        Boxed(Key(out, "NoOfPostLines", K::Integer, "0", "blank lines after each record", &CS::NoOfPostLines),
              0, 20));
    c.push_back(Boxed(Key(out, "FullFieldsJustify", K::Integer, "0", "title width of the Full fields list",
                          &CS::FullFieldsJustify),
                      0, 300));
    c.push_back(
        Key(out, "MultiWindowState", K::Integer, "1", "multi-size window check box", &CS::MultiWindowState));
    // The record queue holds at most 10000 identifiers: a capacity of 0, below or above what the
    // box allows would never trim it, and the queue would refuse records once it is full.
    c.push_back(Boxed(Key(out, "MaxEntriesInRecords", K::Integer, "10",
                          "records kept and shown in the Records grid", &CS::MaxEntriesInRecords),
                      1, 1000));
    // 1 and 2 are taken and leave the Output display unbounded.
    c.push_back(Boxed(Key(out, "MaxEntriesInOutput", K::Integer, "50", "line limit of the Output display",
                          &CS::MaxEntriesInOutput),
                      1, 10000));
    // Read as stored: an empty password or one that reads like an error text stays what it is.
    SettingKey password =
        Key(out, "SetUpPassword", K::Text, "keystone", "setup password", &CS::SetUpPassword);
    password.Exact = true;
    c.push_back(std::move(password));
    c.push_back(Key(out, "SetupLockState", K::Boolean, "False", "setup locked", &CS::SetupLockState));
    c.push_back(Key(out, "OutputWindowFont", K::Text, "",
                    "font of the Output list (Bold|Italic|Name|Size|...)", &CS::OutputWindowFont));
    c.push_back(Key(out, "FieldsWindowFont", K::Text, "", "font of the Fields grid", &CS::FieldsWindowFont));
    c.push_back(Key(out, "RecordWindowFont", K::Text, "", "font of the Records grid", &CS::RecordWindowFont));
}

// Keys other parts of the client write: the display-format list, the X25 clients, the grids'
// columns and the main window's place.
void AddLayoutKeys(std::vector<SettingKey>& c) {
    SettingKey count = Key(section::OutputFields, "NoOfFields", K::Integer, "0",
                           "lines of the display-format list (empty or NULL counts as 0)");
    count.Value = [](const ClientSettings& s, int) {
        return Int(static_cast<long long>(s.DisplayFormatList.size()));
    };
    c.push_back(WrittenElsewhere(std::move(count)));
    SettingKey line = Family(
        Key(section::OutputFields, "Field", K::Text, "", "line n of the display-format list"), {}, 1, 100, 3);
    line.Value = [](const ClientSettings& s, int n) {
        return n >= 1 && size_t(n) <= s.DisplayFormatList.size() ? s.DisplayFormatList[size_t(n - 1)]
                                                                 : std::string();
    };
    c.push_back(WrittenElsewhere(std::move(line)));

    c.push_back(WrittenElsewhere(Family(Key(section::Form, "X25Client Enabled", K::Boolean, "True",
                                            "initial selection of the X25 client x0n", &CS::X25ClientEnabled),
                                        {1, 2}, 1, 2, 2)));

    const std::string fields = "FIELDS_Window";
    std::vector<SettingKey> layout;
    layout.push_back(Key(fields, "QMapIndex", K::Text, "", "row order of the Fields grid"));
    layout.push_back(Family(Key(fields, "Field Title", K::Text, "NULL",
                                "title of Fields grid column n (NULL: the built-in columns)"),
                            {}, 0, 8));
    layout.push_back(
        Family(Key(fields, "Field Enabled", K::Boolean, "True", "Fields grid column n shown"), {}, 0, 8));
    layout.push_back(Family(
        Key(fields, "Field MapTo", K::Integer, "-1", "place of Fields grid column n (-1 hidden)"), {}, 0, 8));
    layout.push_back(Family(
        Key(fields, "Field Width", K::Long, "1000", "width of Fields grid column n, twips"), {}, 0, 8));

    const std::string records = "RECORD_Window";
    layout.push_back(Key(records, "QMapIndex", K::Text, "", "row order of the Records grid"));
    layout.push_back(
        Ranged(Key(records, "NumberofFields", K::Integer, "2", "columns of the Records grid"), 0, 1000));
    const std::string builtIn = " (default: the built-in column, 0 Identifier and 1 RawData)";
    layout.push_back(Family(Key(records, "RField Id", K::Integer, "-2",
                                "field shown in Records grid column n, -2 the record's own" + builtIn),
                            {}, 0, 999));
    layout.push_back(Family(
        Key(records, "Record Title", K::Text, "", "title of Records grid column n" + builtIn), {}, 0, 999));
    layout.push_back(
        Family(Key(records, "Record Enabled", K::Boolean, "True", "Records grid column n shown" + builtIn),
               {}, 0, 999));
    layout.push_back(Family(
        Key(records, "Record MapTo", K::Integer, "0", "place of Records grid column n (-1 hidden)" + builtIn),
        {}, 0, 999));
    layout.push_back(Family(
        Key(records, "Record Width", K::Long, "800", "width of Records grid column n, twips" + builtIn), {},
        0, 999));

    for (const char* name : {"Left", "Top", "Height", "Width"})
        layout.push_back(Key(kMainWindowSection, name, K::Single, "0",
                             std::string("main window ") + name + ", twips (kept where the window was)"));
    for (auto& k : layout)
        c.push_back(WrittenElsewhere(std::move(k)));
}

std::vector<SettingKey> MakeCatalog() {
    std::vector<SettingKey> c;
    AddSetupKeys(c);
    AddWindowKeys(c);
    AddTcpKeys(c);
    AddOutputKeys(c);
    AddLayoutKeys(c);
    return c;
}

} // namespace

std::string SettingKey::KeyName(int n) const {
    if (!Numbered) return Name;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0*d", Digits, n);
    return Name + digits;
}

std::string SettingKey::FullName(int n) const {
    return Section + "\\" + KeyName(n);
}

std::vector<int> SettingKey::KeyNumbers() const {
    if (!Numbered) return {0};
    if (!Numbers.empty()) return Numbers;
    std::vector<int> n;
    if (Open()) return n;
    for (int i = First; i <= Last; ++i)
        n.push_back(i);
    return n;
}

std::vector<std::string> SettingKey::Keys() const {
    std::vector<std::string> keys;
    for (int n : KeyNumbers())
        keys.push_back(FullName(n));
    return keys;
}

std::string SettingKey::Pattern() const {
    if (!Numbered) return FullName();
    std::string numbers;
    if (!Numbers.empty()) {
        for (int n : Numbers) {
            if (!numbers.empty()) numbers += ",";
            char d[16];
            std::snprintf(d, sizeof d, "%0*d", Digits, n);
            numbers += d;
        }
    } else {
        char d[40];
        std::snprintf(d, sizeof d, "%0*d..%0*d", Digits, First, Digits, Last);
        numbers = d;
    }
    return Section + "\\" + Name + "{" + numbers + "}";
}

const std::vector<SettingKey>& SettingsCatalog() {
    static const std::vector<SettingKey> catalog = MakeCatalog();
    return catalog;
}

const SettingKey& SettingKeyOf(const SettingField& field) {
    for (const auto& k : SettingsCatalog())
        if (k.Field == field && k.Userid.empty()) return k;
    // Every field the client reads has its key; asking for another is a programming error.
    std::abort();
}

SettingRange RangeOf(const SettingKey& key, const ClientSettings& s) {
    return {key.Min, key.MaxFrom ? long{s.*key.MaxFrom} : key.Max};
}

bool KeyApplies(const SettingKey& key, const std::string& userid) {
    return !key.PerUser || (key.Userid == "s99") == (userid == "s99");
}

const SettingKey* FindSettingKey(const std::string& fullKey, int* number) {
    for (const auto& k : SettingsCatalog()) {
        const std::string stem = k.Section + "\\" + k.Name;
        if (fullKey.compare(0, stem.size(), stem) != 0) continue;
        const std::string rest = fullKey.substr(stem.size());
        if (!k.Numbered) {
            if (!rest.empty()) continue;
            if (number) *number = 0;
            return &k;
        }
        // The number exactly as the client forms it: decimal without fill, or Digits wide.
        if (rest.empty() || rest.size() > 4 || rest.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const int n = std::stoi(rest);
        if (k.FullName(n) != fullKey) continue;
        const bool listed = k.Numbers.empty()
                                ? (n >= k.First && n <= k.Last)
                                : std::find(k.Numbers.begin(), k.Numbers.end(), n) != k.Numbers.end();
        if (!listed) continue;
        if (number) *number = n;
        return &k;
    }
    return nullptr;
}

const char* KindName(SettingKind kind) {
    switch (kind) {
    case SettingKind::Boolean:
        return "Boolean";
    case SettingKind::Integer:
        return "integer";
    case SettingKind::Long:
        return "long";
    case SettingKind::Single:
        return "number";
    case SettingKind::Time:
        return "time";
    case SettingKind::Text:
        return "text";
    }
    return "text";
}

namespace {

bool ReadsAs(SettingKind kind, const std::string& text, double& value) {
    switch (kind) {
    case SettingKind::Boolean: {
        // What an administrator writes: the stored forms True and False, or -1 and 0.
        std::string lower;
        for (char ch : text)
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (lower == "true" || lower == "-1")
            value = 1;
        else if (lower == "false" || lower == "0")
            value = 0;
        else
            return false;
        return true;
    }
    case SettingKind::Integer:
        if (const auto v = ToInt16(text)) return value = *v, true;
        return false;
    case SettingKind::Long:
        if (const auto v = ToInt32(text)) return value = *v, true;
        return false;
    case SettingKind::Single:
        if (const auto v = ToDouble(text)) return value = *v, true;
        return false;
    case SettingKind::Time:
        return ParseTimeText(text, value);
    case SettingKind::Text:
        return true;
    }
    return false;
}

} // namespace

bool ValueFits(const SettingKey& key, const std::string& text, std::string* why, bool withRange) {
    double value = 0;
    if (!ReadsAs(key.Kind, text, value)) {
        if (why) {
            switch (key.Kind) {
            case SettingKind::Boolean:
                *why = "not a Boolean (True, False, -1 or 0)";
                break;
            case SettingKind::Integer:
                *why = "not an integer from -32768 to 32767";
                break;
            case SettingKind::Long:
                *why = "not an integer from -2147483648 to 2147483647";
                break;
            case SettingKind::Single:
                *why = "not a number";
                break;
            case SettingKind::Time:
                *why = "not a time of day hh:mm:ss";
                break;
            case SettingKind::Text:
                break;
            }
        }
        return false;
    }
    if (withRange && key.Ranged && (value < key.Min || value > key.Max)) {
        if (why) *why = "outside " + Int(key.Min) + " to " + Int(key.Max);
        return false;
    }
    return true;
}

bool SameValue(SettingKind kind, const std::string& a, const std::string& b) {
    if (kind == SettingKind::Text) return a == b;
    if (kind == SettingKind::Boolean) {
        const auto x = ToBool(a), y = ToBool(b);
        return x && y && *x == *y;
    }
    double x = 0, y = 0;
    return ReadsAs(kind, a, x) && ReadsAs(kind, b, y) && x == y;
}

} // namespace zeva
