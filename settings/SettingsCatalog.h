#pragma once
#include "settings/ClientSettings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace zeva {

class SettingsDatabase;

// How the client converts a key's text when it reads it.
enum class SettingKind {
    Boolean, // "True"/"False" in any case, "-1" or "0"
    Integer, // 16 bits, -32768 to 32767
    Long,    // 32 bits
    Single,  // a decimal number (window positions, twips)
    Time,    // a time of day, hh:mm:ss
    Text,
};

// Where a key's value lives in ClientSettings. A family's number picks the element: the display
// mode (0 to 5) for the window keys, the client (1 or 2) for the X25 selection.
using SettingField =
    std::variant<std::monostate, bool ClientSettings::*, std::int16_t ClientSettings::*,
                 std::int32_t ClientSettings::*, double ClientSettings::*, std::string ClientSettings::*,
                 std::array<std::int16_t, 6> ClientSettings::*, std::array<std::int32_t, 6> ClientSettings::*,
                 std::array<bool, 2> ClientSettings::*>;

// What the client's read does with a number outside the key's range.
enum class RangeUse {
    Checked, // read as stored; only the administrators' tools refuse it (the hub's port)
    Clamped, // brought into the range, as the Setup box would on leaving it
    Reset,   // read as the default (a display mode that does not exist)
};

// When a key is written.
enum class SettingWrite {
    AtShutdown,      // by the grouped writers when an admin run ends
    FalseAtShutdown, // Load: the next start is no first load
    Elsewhere,       // its own writer (the version, the display-format list, grid layouts,
                     // window positions) or never (the X25 selection)
};

// One key (or one numbered family of keys) of the settings database, declared once: its name, the
// kind and default of the read, its range and meaning, and where its value lives. The client's
// grouped readers and writers, the Setup boxes' ranges and the administrators' tools all work from
// this table.
struct SettingKey {
    std::string Section;
    std::string Name; // the key name; for a numbered family the name before the number
    SettingKind Kind = SettingKind::Text;
    std::string Default; // the text the client uses when the key is missing or empty
    std::string Meaning;
    // A numbered family is Name + number: Numbers when given, else First to Last; Digits 3 for the
    // zero-filled display-format keys (Field001).
    bool Numbered = false;
    std::vector<int> Numbers;
    int First = 0, Last = 0, Digits = 0;
    // A range the value must also fall in; OnRange says what the client's read makes of a value
    // outside it. MaxFrom, when set, takes the upper end from another setting (the indent stays
    // within a line's characters); Max is then the widest that can be.
    bool Ranged = false;
    long Min = 0, Max = 0;
    RangeUse OnRange = RangeUse::Checked;
    std::int16_t ClientSettings::*MaxFrom = nullptr;
    bool ZeroIsDefault = false; // a stored 0 reads as the default (window sizes)
    bool Exact = false;         // read exactly as stored: an empty text stays empty (the password)
    bool Read = true;           // false for a key the client only writes (Version)
    SettingWrite Write = SettingWrite::AtShutdown;
    SettingField Field; // empty for keys read outside ClientSettings (grid layouts, window positions)
    // The value the client's readers put in ClientSettings for this key (for number n of a family),
    // as text; made from Field, or given for the display-format list.
    std::function<std::string(const ClientSettings&, int n)> Value;
    // The identifier whose settings the key belongs to: "s99" for the S99 window keys. PerUser keys
    // come in two sets, one for s99 and one for every other identifier.
    std::string Userid;
    bool PerUser = false;

    std::string KeyName(int n = 0) const;  // name [number], as stored under the section
    std::string FullName(int n = 0) const; // section "\" name [number]
    std::string Pattern() const;           // FullName, or the family: XWindowState{0,1,2,3,5}
    bool Open() const { return Numbered && Numbers.empty() && Last - First > 16; }
    // Every key of the family (one for a plain key); an open family (Field001..) lists none.
    std::vector<std::string> Keys() const;
    std::vector<int> KeyNumbers() const;
};

const std::vector<SettingKey>& SettingsCatalog();
// The section of the main window's position keys (Left, Top, Height, Width).
inline constexpr const char* kMainWindowSection = "frmZVScreenClientMain";
// The key whose value is that field of ClientSettings (for the window keys, the set of the
// identifiers other than s99).
const SettingKey& SettingKeyOf(const SettingField& field);
// The key's range over the current settings.
struct SettingRange {
    long Min, Max;
};
SettingRange RangeOf(const SettingKey& key, const ClientSettings& s);
// Whether the key is one of userid's: not PerUser, or the set of that identifier.
bool KeyApplies(const SettingKey& key, const std::string& userid);
// The catalogue entry of a full key ("Setup\TCP\Remote Port"), or nullptr; *number gets the
// family's number.
const SettingKey* FindSettingKey(const std::string& fullKey, int* number = nullptr);
const char* KindName(SettingKind kind);
// Whether the client's read converts text to the key's kind (and, withRange, falls in its range);
// why not in *why.
bool ValueFits(const SettingKey& key, const std::string& text, std::string* why = nullptr,
               bool withRange = true);
// Whether two texts read as the same value of the kind ("-1" and "True", "07" and "7").
bool SameValue(SettingKind kind, const std::string& a, const std::string& b);

} // namespace zeva
