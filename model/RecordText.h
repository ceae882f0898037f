#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zeva {

// The record text of one caller record: entries of a four-digit length L (4 + length of the value),
// a four-digit field number and the value, one after another with nothing between them.
//
// Records come from the network, so the reader trusts nothing: an entry whose length or number is
// not four digits, whose length is below 4 or whose value runs past the end ends the reading there.
// The entries before it read normally; the rest of the text is never walked backwards or in place.
class RecordText {
  public:
    struct Entry {
        int number = 0;
        std::string_view value;
        std::size_t next = 0; // where the following entry starts
    };
    static constexpr int kMaxFieldNumber = 9999;
    static constexpr std::size_t kMaxValue = 9995;

    // The sound entry starting at pos, or nullopt at the end of the text or at an unsound entry.
    static std::optional<Entry> EntryAt(std::string_view text, std::size_t pos);
    // The value of field n; nullopt when no sound entry carries it.
    static std::optional<std::string_view> Find(std::string_view text, int n);
    // The value of field n, "" when absent.
    static std::string Get(std::string_view text, int n) { return std::string(Find(text, n).value_or("")); }
    // Removes the entries of field n and appends a new one at the end. An unsound tail is dropped
    // first, since an entry appended behind it could never be read. False (text unchanged) for a
    // number outside 0..9999 or a value longer than 9995 characters: neither fits the four-digit parts.
    static bool Set(std::string& text, int n, std::string_view value);
    // Length of the sound front of the text (all of it for a well-formed text).
    static std::size_t SoundLength(std::string_view text);

    // A pipe-delimited line ("3|123456|...") as a record text: the k-th value becomes field 100 + k,
    // empty values included. Values that do not fit an entry are left out; numbering past 9999 stops.
    static std::string ImportPipeRecord(std::string_view line);
};

} // namespace zeva
