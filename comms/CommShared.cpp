#include "comms/CommShared.h"

#include "common/Convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zeva {

namespace {

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

void AppendDigits4(std::string& out, std::size_t value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(value % 10000));
    out.append(buf, 4);
}

// A 1-based position into the text as a 0-based index, or npos past the end.
std::size_t Index(std::string_view text, std::size_t pos) {
    return (pos >= 1 && pos <= text.size()) ? pos - 1 : std::string_view::npos;
}

// The text of a tab field, without copying it.
std::string_view TabField(std::string_view text, std::size_t& pos) {
    const std::size_t i = Index(text, pos);
    if (i == std::string_view::npos) {
        pos = text.size() + 1;
        return {};
    }
    const std::size_t tab = text.find(kTab, i);
    const std::size_t end = tab == std::string_view::npos ? text.size() : tab;
    pos = end + 2;
    return text.substr(i, end - i);
}

// Reads a number field as a 16-bit value; false when it does not convert. Plain digits (what every
// writer sends) are read directly; anything else goes through the general conversion.
bool ReadInt16(std::string_view text, std::size_t& pos, std::int16_t& value) {
    const std::string_view field = TabField(text, pos);
    const bool negative = !field.empty() && field[0] == '-';
    const std::string_view digits = field.substr(negative ? 1 : 0);
    if (!digits.empty() && digits.size() <= 5 && AllDigits(digits)) {
        int v = 0;
        for (char c : digits)
            v = v * 10 + (c - '0');
        if (negative) v = -v;
        if (v < -32768 || v > 32767) return false;
        value = static_cast<std::int16_t>(v);
        return true;
    }
    auto v = ToInt16(field);
    if (!v) return false;
    value = *v;
    return true;
}

bool ReadDate(std::string_view text, std::size_t& pos, double& value) {
    const std::string_view field = TabField(text, pos);
    // The usual form (optional minus, digits, point, exponent) is read in place; from_chars rounds
    // exactly as the general conversion does, which handles the rest.
    if (!field.empty() && (field[0] == '-' || (field[0] >= '0' && field[0] <= '9')) &&
        field.find_first_not_of("0123456789.-Ee+") == std::string_view::npos) {
        const bool negative = field[0] == '-';
        double v = 0;
        const auto [ptr, ec] =
            std::from_chars(field.data() + (negative ? 1 : 0), field.data() + field.size(), v);
        if (ec == std::errc() && ptr == field.data() + field.size() && IsValidOleDate(v)) {
            value = negative ? -v : v;
            return true;
        }
    }
    auto v = ToDouble(field);
    if (!v || !IsValidOleDate(*v)) return false;
    value = *v;
    return true;
}

void ReadCounted(std::string_view text, std::size_t& pos, std::string& value) {
    std::size_t end = 0;
    ReadCountedField(text, pos, value, end);
    pos = end + 1;
}

} // namespace

std::int16_t PacketChecksum(std::string_view text) {
    // Summing modulo 10000 after each addition is the same as one modulo at the end; a 64-bit sum
    // cannot overflow for any text in memory.
    std::uint64_t sum = 0;
    const char* p = text.data();
    std::size_t n = text.size();
#if defined(__SSE2__)
    // 16 bytes at a time: psadbw adds each 8-byte half into a 64-bit lane.
    __m128i acc = _mm_setzero_si128();
    const __m128i zero = _mm_setzero_si128();
    for (; n >= 16; n -= 16, p += 16)
        acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), zero));
    sum = static_cast<std::uint64_t>(_mm_cvtsi128_si64(acc)) +
          static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(acc, acc)));
#endif
    for (; n > 0; --n, ++p)
        sum += static_cast<unsigned char>(*p);
    return static_cast<std::int16_t>(sum % 10000);
}

void AppendNumber(std::string& out, long long value) {
    out += IntText(value);
    out += kTab;
}

void AppendDate(std::string& out, double value) {
    out += DoubleText(value);
    out += kTab;
}

bool AppendCounted(std::string& out, std::string_view text) {
    if (text.size() > kMaxCountedText) return false;
    AppendDigits4(out, text.size());
    out.append(text);
    return true;
}

void AppendFixed3(std::string& out, std::string_view text) {
    std::string fixed(text.substr(0, 3));
    fixed.resize(3, ' ');
    out += fixed;
}

bool IsValidOleDate(double value) {
    // 0100-01-01 to 9999-12-31 23:59:59, the date-time range the other modules accept.
    return std::isfinite(value) && value >= -657434.0 && value < 2958466.0;
}

bool BuildPacket(const CommType& p, std::string& out) {
    out.clear();
    std::string body;
    body.reserve(64 + p.Text0.size() + p.PacketType.size() + p.Data.size());
    AppendNumber(body, p.Number1);
    bool ok = AppendCounted(body, p.Text0);
    AppendNumber(body, p.Number2);
    AppendFixed3(body, p.Source);
    AppendFixed3(body, p.Destination);
    AppendDate(body, p.Created);
    AppendDate(body, p.Expire);
    for (const std::string* t : {&p.PacketType, &p.Data, &p.Text1, &p.Text2, &p.Text3, &p.Text4, &p.Text5,
                                 &p.Text6, &p.Text7, &p.Text8})
        ok = AppendCounted(body, *t) && ok;
    body += kSOH;
    if (!ok || body.size() + 4 > kMaxPacketLength) return false;
    out.reserve(body.size() + 4);
    AppendDigits4(out, static_cast<std::size_t>(PacketChecksum(body)));
    out += body;
    return true;
}

bool PacketFits(const CommType& p) {
    std::size_t total = 4 + 6 + 40 + 1; // check, fixed fields, ten counted lengths, SOH
    total += IntText(p.Number1).size() + IntText(p.Number2).size() + 2;
    total += DoubleText(p.Created).size() + DoubleText(p.Expire).size() + 2;
    for (const std::string* t : {&p.Text0, &p.PacketType, &p.Data, &p.Text1, &p.Text2, &p.Text3, &p.Text4,
                                 &p.Text5, &p.Text6, &p.Text7, &p.Text8}) {
        if (t->size() > kMaxCountedText) return false;
        total += t->size();
    }
    return total <= kMaxPacketLength;
}

void ReadTabField(std::string_view text, std::size_t pos, std::string& value, std::size_t& end) {
    std::size_t i = Index(text, pos);
    if (i == std::string_view::npos) {
        value.clear();
        end = text.size();
        return;
    }
    std::size_t tab = text.find(kTab, i);
    if (tab == std::string_view::npos) {
        value.assign(text.substr(i));
        end = text.size();
    } else {
        value.assign(text.substr(i, tab - i));
        end = tab + 1;
    }
}

void ReadCountedField(std::string_view text, std::size_t pos, std::string& value, std::size_t& end) {
    value.clear();
    end = text.size();
    std::size_t i = Index(text, pos);
    if (i == std::string_view::npos || text.size() - i < 4) return;
    std::string_view digits = text.substr(i, 4);
    if (!AllDigits(digits)) return;
    std::size_t length = static_cast<std::size_t>((digits[0] - '0') * 1000 + (digits[1] - '0') * 100 +
                                                  (digits[2] - '0') * 10 + (digits[3] - '0'));
    if (text.size() - i - 4 < length) return;
    value.assign(text.substr(i + 4, length));
    end = pos + 3 + length;
}

void ReadFixedField(std::string_view text, std::size_t pos, std::size_t count, std::string& value,
                    std::size_t& end) {
    value.clear();
    end = text.size();
    std::size_t i = Index(text, pos);
    if (i == std::string_view::npos || text.size() - i < count) return;
    value.assign(text.substr(i, count));
    end = pos + count - 1;
}

bool ParsePacket(std::string_view text, CommType& p) {
    p.Clear();
    if (text.size() > kMaxPacketLength) text = text.substr(0, kMaxPacketLength);
    if (text.size() < 4 || !AllDigits(text.substr(0, 4))) return false;
    int check = (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0');
    if (check != PacketChecksum(text.substr(4))) return false;

    bool ok = true;
    std::size_t pos = 5;
    std::size_t end = 0;
    ok = ReadInt16(text, pos, p.Number1) && ok;
    ReadCounted(text, pos, p.Text0);
    ok = ReadInt16(text, pos, p.Number2) && ok;
    ReadFixedField(text, pos, 3, p.Source, end);
    pos = end + 1;
    ReadFixedField(text, pos, 3, p.Destination, end);
    pos = end + 1;
    ok = ReadDate(text, pos, p.Created) && ok;
    ok = ReadDate(text, pos, p.Expire) && ok;
    for (std::string* t : {&p.PacketType, &p.Data, &p.Text1, &p.Text2, &p.Text3, &p.Text4, &p.Text5, &p.Text6,
                           &p.Text7, &p.Text8})
        ReadCounted(text, pos, *t);
    return ok;
}

std::string ControlDataText(std::int16_t code) {
    switch (code) {
    case kPktServerDisconnect:
        return "Requesting Logoff ... (Server Disconnection Request)";
    case kPktClientDisconnect:
        return "Requesting Logoff ... (Client Disconnection Request/Ack)";
    case kPktKillRequest:
        return "KILL Request next packet";
    case kPktBufferEmpty:
        return "Buffer Emtpy token (Nothing to Receive)";
    case kPktRequestNext:
        return "Request next packet";
    case kPktWatchdog:
        return "Commclass System WatchDog (Level 1) ....";
    default:
        return {};
    }
}

} // namespace zeva
