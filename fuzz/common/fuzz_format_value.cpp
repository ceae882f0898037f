#include "common/Convert.h"
#include "common/FormatValue.h"
#include "common/OleDate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace zeva;

// Input: one byte giving the pattern's length (at most 64), the pattern, then the value (at most 64
// bytes): a numeric text, or else its first 8 bytes as a double, so NaN, infinities and huge values come
// too. Both are capped so every run stays short.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t patternSize = std::min<std::size_t>(data[0] % 65, size - 1);
    const std::string pattern(reinterpret_cast<const char*>(data + 1), patternSize);
    const std::size_t rest = std::min<std::size_t>(size - 1 - patternSize, 64);
    const std::string text(reinterpret_cast<const char*>(data + 1 + patternSize), rest);

    double value = 0;
    if (const auto d = ToDouble(text))
        value = *d;
    else if (text.size() >= sizeof value)
        std::memcpy(&value, text.data(), sizeof value);

    // Output stays within a bound set by the pattern's length (a 309-digit double, names of days).
    const std::size_t bound = 1024 + 40 * pattern.size() + text.size();
    const FormatResult r = TryFormatValue(value, pattern);
    if (r.status != FormatStatus::Done && !r.text.empty()) std::abort();
    if (r.text.size() > bound) std::abort();
    if (FormatValue(value, pattern).size() > bound) std::abort();
    if (IsDatePattern(pattern) && r.status == FormatStatus::Done && !OleToCalendarChecked(value))
        std::abort();

    const FormatResult t = TryFormatText(text, pattern);
    if (t.text.size() > bound) std::abort();
    if (IsTextPattern(pattern) != (t.status == FormatStatus::Done)) std::abort();
    (void)TryFormatEmpty(pattern);

    // A number text keeps its digits; a text no double can hold is not laid out.
    const FormatResult n = TryFormatNumberText(text, pattern);
    if (n.text.size() > bound) std::abort();
    if (!ToDouble(text) && n.status != FormatStatus::NotApplied) std::abort();

    // The client's own patterns: a date inside the years gives its fixed width, outside gives "".
    if (std::isfinite(value)) {
        const bool inRange = OleToCalendarChecked(value).has_value();
        if (FormatValue(value, "dd/mm/yyyy").size() != (inRange ? 10u : 0u)) std::abort();
        if (FormatValue(value, "dd-mm-yyyy-hh-mm-ss").size() != (inRange ? 19u : 0u)) std::abort();
    }

    // Currency: what converts writes back to the same value.
    if (const auto c = ToCurrency(text)) {
        if (ToCurrency(CurrencyText(*c)) != c) std::abort();
    }
    return 0;
}
