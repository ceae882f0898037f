#pragma once
#include <functional>
#include <string>
#include <vector>

namespace zeva {

struct ClientSettings;

// How the client converts a key's text when it reads it.
enum class SettingKind {
    Boolean, // "True"/"False" in any case, "-1" or "0"
    Integer, // 16 bits, -32768 to 32767
    Long,    // 32 bits
    Single,  // a decimal number (window positions, twips)
    Time,    // a time of day, hh:mm:ss
    Text,
};

// One key (or one numbered family of keys) of the settings database: every key the client reads,
// with the kind and default of the read. Administrators' tools check values against it and list it;
// a test holds it against the client's own readers so the two cannot drift.
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
    // A range the value must also fall in (the client resets or clamps a value outside it).
    bool Ranged = false;
    long Min = 0, Max = 0;
    bool Read = true; // false for a key the client only writes (Version)
    // The value the client's readers put in ClientSettings for this key (for number n of a family);
    // empty for keys read outside ClientSettings (grid layouts, window positions).
    std::function<std::string(const ClientSettings&, int n)> Value;
    // The identifier whose settings the key belongs to: "s99" for the S99 window keys.
    std::string Userid;

    std::string FullName(int n = 0) const; // section "\" name [number]
    std::string Pattern() const;           // FullName, or the family: XWindowState{0,1,2,3,5}
    bool Open() const { return Numbered && Numbers.empty() && Last - First > 16; }
    // Every key of the family (one for a plain key); an open family (Field001..) lists none.
    std::vector<std::string> Keys() const;
    std::vector<int> KeyNumbers() const;
};

const std::vector<SettingKey>& SettingsCatalog();
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
