#pragma once
#include "comms/CommType.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zeva {

class Clock;
class ModuleSettings;

// The system's module (client type) table and status-flag table, this client's identifier, and the
// flag packets addressed to the monitor. Every client module carries the same tables, so a flag's
// number means the same thing at the monitor as here.
//
// One instance per process, created by the main window and handed by reference to whoever sends
// flags. The tables are filled by the first successful Connect; before it GetActionNo finds nothing,
// so no flag can leave without a source identifier.
//
// Indexed properties refuse an index outside the table: getters return an empty value and clear
// Valid(), setters return false and change nothing.
class ModuleClass {
  public:
    static constexpr std::int16_t kSizeof = 10;  // module rows
    static constexpr std::int16_t kESizeof = 25; // status flags; also the width of an error mask

    // settings: the monitor's stored copy of the module table; null in the screen client, whose
    // module keys are never stored.
    explicit ModuleClass(const Clock& clock, ModuleSettings* settings = nullptr);

    // Checks the identifier, loads the built-in module table, builds the flag table, lays any stored
    // module rows over the built-in ones and finds this client's module row. Once connected, further
    // calls change nothing and return true.
    bool Connect(std::string_view ident);
    bool Disconnect();
    bool Connected() const { return connected_; }
    const std::string& Userid() const { return userid_; }
    // Row of this client's module type (the row of the identifier's group letter), -1 when none.
    std::int16_t ModuleIndex() const { return moduleIndex_; }

    // The identifier as stored: lower-case group letter plus the number with two digits ("S1" and
    // "s01" give "s01"). nullopt for a group that is not a letter (the wild cards "*" and "?"
    // included), a number "??" or "**" (wild cards only address packets) or one that is not 0..99.
    static std::optional<std::string> NormaliseIdentifier(std::string_view ident);

    // The built-in module rows, states back to 0.
    void LoadDefaultModuleInformation();
    // Flag number 0..24 of the code (exact, case-sensitive), or -1.
    std::int16_t GetActionNo(std::string_view code) const;
    // Row of the module whose group letter is the first character of text, or -1.
    std::int16_t id(std::string_view text) const;

    // Module rows, index 0..9.
    std::string group(std::int16_t index) const;
    bool Setgroup(std::int16_t index, const std::string& value); // one letter a-z
    std::string Title(std::int16_t index) const;
    bool SetTitle(std::int16_t index, const std::string& value);
    std::string Description(std::int16_t index) const;
    bool SetDescription(std::int16_t index, const std::string& value);
    std::int16_t Minimum(std::int16_t index) const;
    bool SetMinimum(std::int16_t index, std::int16_t value);
    std::int16_t Maximum(std::int16_t index) const;
    bool SetMaximum(std::int16_t index, std::int16_t value);
    std::int32_t State(std::int16_t index) const;
    bool SetState(std::int16_t index, std::int32_t value);
    // Error-enable mask: character k + 1 is "1" when flag k raises an error for the module.
    std::string Error(std::int16_t index) const;
    bool SetError(std::int16_t index, const std::string& mask); // 25 characters of "0" and "1"

    // Flags, number 0..24.
    std::string EId(std::int16_t number) const;
    bool SetEId(std::int16_t number, const std::string& value);
    std::string ETitle(std::int16_t number) const;
    bool SetETitle(std::int16_t number, const std::string& value);
    std::string EDescription(std::int16_t number) const;
    bool SetEDescription(std::int16_t number, const std::string& value);

    // False after an indexed getter was given an index outside its table.
    bool Valid() const { return valid_; }
    std::int16_t Sizeof() const { return kSizeof; }
    std::int16_t ESizeof() const { return kESizeof; }
    std::string Version() const { return "1.00.00"; }
    double VersionDate() const; // 25/08/2006
    // Date of the module table (stored key "Updated"; built in 25/08/2006).
    double Updated() const { return updated_; }

    // Writes the module rows to the monitor's settings. False when any write fails, and always in
    // the screen client, which keeps none.
    bool SaveModuleRegistryMonitorOnly();

    // A status-flag packet from this client to any monitor ("m**"): Text1 the flag number, Text2
    // text1 or the identifier, Text3 text2 or the identifier; with flag given, Text8 "True" or
    // "False" and Text6 "0". Every other field stays cleared.
    CommType GenerateError(std::int16_t actionNo, const std::string& text1, const std::string& text2,
                           std::optional<bool> flag = std::nullopt) const;
    // The monitor's completion of a received flag packet: fills the empty texts from the tables and
    // writes the monitor's line into Data. Returns the flag number, or -1 when Text1 names no flag;
    // such a packet keeps "- error -" in an empty Data rather than a line that looks like a flag.
    std::int32_t PostGenerateError(CommType& packet) const;

  private:
    struct Module {
        std::string group, title, description;
        std::int16_t minimum = 0, maximum = 0;
        std::string mask;
        std::int32_t state = 0;
    };
    struct Flag {
        std::string code, title, description;
    };

    Module* ModuleAt(std::int16_t index);
    const Module* ModuleAt(std::int16_t index) const;
    Flag* FlagAt(std::int16_t number);
    const Flag* FlagAt(std::int16_t number) const;
    void BuildFlagTable();
    void ReadStoredModules();

    const Clock& clock_;
    ModuleSettings* settings_;
    std::array<Module, kSizeof> modules_{};
    std::array<Flag, kESizeof> flags_{};
    bool flagsBuilt_ = false;
    bool connected_ = false;
    std::string userid_;
    std::int16_t moduleIndex_ = -1;
    double updated_;
    mutable bool valid_ = true;
};

} // namespace zeva
