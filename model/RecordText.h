#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Where the sound entries of one record text start, found in a single walk, so a field is reached by
// number or by position without walking the text again. The index keeps offsets, not views: it
// stays right for any copy of the same text and must be built again whenever the text changes.
class RecordIndex {
  public:
    void Build(std::string_view text);
    std::size_t Count() const { return entries_.size(); }
    // The k-th sound entry (from 0) of the text the index was built from; nullopt past the last.
    std::optional<RecordText::Entry> At(std::string_view text, std::size_t k) const;
    // The value of the first entry of field n, as RecordText::Find gives it.
    std::optional<std::string_view> Find(std::string_view text, int n) const;

  private:
    struct Slot {
        int number = 0;
        std::size_t offset = 0; // the entry's value
        std::size_t length = 0;
    };
    std::vector<Slot> entries_;           // in text order
    std::vector<std::uint32_t> byNumber_; // positions in entries_, by field number, then text order
};

} // namespace zeva
