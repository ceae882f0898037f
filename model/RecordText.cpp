#include "model/RecordText.h"

#include <algorithm>

namespace zeva {

namespace {

bool FourDigits(std::string_view text, std::size_t pos, int& value) {
    value = 0;
    for (std::size_t i = pos; i < pos + 4; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

void AppendEntry(std::string& text, int n, std::string_view value) {
    char head[8];
    int length = static_cast<int>(value.size()) + 4;
    for (int i = 3; i >= 0; --i, length /= 10)
        head[i] = static_cast<char>('0' + length % 10);
    for (int i = 7; i >= 4; --i, n /= 10)
        head[i] = static_cast<char>('0' + n % 10);
    text.append(head, 8);
    text.append(value);
}

} // namespace

std::optional<RecordText::Entry> RecordText::EntryAt(std::string_view text, std::size_t pos) {
    if (pos >= text.size() || text.size() - pos < 8) return std::nullopt;
    int length = 0, number = 0;
    if (!FourDigits(text, pos, length) || length < 4 || !FourDigits(text, pos + 4, number))
        return std::nullopt;
    const std::size_t valueLength = static_cast<std::size_t>(length - 4);
    if (text.size() - pos - 8 < valueLength) return std::nullopt;
    return Entry{number, text.substr(pos + 8, valueLength), pos + 8 + valueLength};
}

std::optional<std::string_view> RecordText::Find(std::string_view text, int n) {
    for (auto e = EntryAt(text, 0); e; e = EntryAt(text, e->next))
        if (e->number == n) return e->value;
    return std::nullopt;
}

std::size_t RecordText::SoundLength(std::string_view text) {
    std::size_t end = 0;
    for (auto e = EntryAt(text, 0); e; e = EntryAt(text, e->next))
        end = e->next;
    return end;
}

bool RecordText::Set(std::string& text, int n, std::string_view value) {
    if (n < 0 || n > kMaxFieldNumber || value.size() > kMaxValue) return false;
    // Every entry of n goes, not just the first: a text from elsewhere may carry a field twice, and
    // a left-over copy would be read in place of the new value.
    std::size_t pos = 0;
    for (auto e = EntryAt(text, 0); e; e = EntryAt(text, pos)) {
        if (e->number == n)
            text.erase(pos, e->next - pos);
        else
            pos = e->next;
    }
    text.resize(pos);
    AppendEntry(text, n, value);
    return true;
}

std::string RecordText::ImportPipeRecord(std::string_view line) {
    std::string text;
    text.reserve(line.size() + 8 * 64);
    int n = 101;
    std::size_t p = 0;
    while (n <= kMaxFieldNumber) {
        const std::size_t bar = line.find('|', p);
        const std::string_view value =
            line.substr(p, bar == std::string_view::npos ? std::string_view::npos : bar - p);
        // Each number appears once, so appending is the same as setting field by field.
        if (value.size() <= kMaxValue) AppendEntry(text, n, value);
        if (bar == std::string_view::npos) break;
        p = bar + 1;
        ++n;
    }
    return text;
}

void RecordIndex::Build(std::string_view text) {
    entries_.clear();
    byNumber_.clear();
    for (auto e = RecordText::EntryAt(text, 0); e; e = RecordText::EntryAt(text, e->next))
        entries_.push_back({e->number, e->next - e->value.size(), e->value.size()});
    byNumber_.resize(entries_.size());
    for (std::size_t k = 0; k < entries_.size(); ++k)
        byNumber_[k] = static_cast<std::uint32_t>(k);
    // Stable, so the first of two entries of one field comes first, as a walk finds it.
    std::stable_sort(byNumber_.begin(), byNumber_.end(), [&](std::uint32_t a, std::uint32_t b) {
        return entries_[a].number < entries_[b].number;
    });
}

std::optional<RecordText::Entry> RecordIndex::At(std::string_view text, std::size_t k) const {
    if (k >= entries_.size()) return std::nullopt;
    const Slot& s = entries_[k];
    return RecordText::Entry{s.number, text.substr(s.offset, s.length), s.offset + s.length};
}

std::optional<std::string_view> RecordIndex::Find(std::string_view text, int n) const {
    const auto it = std::lower_bound(byNumber_.begin(), byNumber_.end(), n, [&](std::uint32_t k, int number) {
        return entries_[k].number < number;
    });
    if (it == byNumber_.end() || entries_[*it].number != n) return std::nullopt;
    const Slot& s = entries_[*it];
    return text.substr(s.offset, s.length);
}

} // namespace zeva
