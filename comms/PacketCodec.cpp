#include "comms/PacketCodec.h"

#include "common/Convert.h"
#include "comms/PacketFastPaths.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace zeva {

using fastpath::Digits4;
using fastpath::IsDigit;
using fastpath::PlainDecimal;
using fastpath::SumBytes;
using fastpath::TabsIn64;
using fastpath::ThirtyTwoZeros;
using fastpath::WriterDate;

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

// A date field in any form but the writers' usual one: the plain decimal forms in place, the rest
// through the general conversion. Kept out of line so the usual path stays small.
[[gnu::noinline]] bool OtherDate(std::string_view field, double& value) {
    const char* const end = field.data() + field.size();
    if (!field.empty() && PlainDecimal(field.data(), end, value) == end) return true;
    const auto general = ToDouble(field);
    if (!general) return false;
    value = *general;
    return true;
}

// Walks a packet text with a 0-based index; an index at or past the end reads empty fields, as the
// 1-based field readers (ReadTabField and the others) do past the end. The plain forms every
// writer sends are read in place; anything else goes through the general conversions, which decide
// what converts.
class PacketCursor {
  public:
    PacketCursor(const char* s, std::size_t n, std::size_t i) : s_(s), n_(n), i_(i), tabsFrom_(i) {
        // Where the TABs of the header are, found at once: each tab field's end is then known
        // without reading the field, and its value is read beside the rest instead of before it.
        if (i < n && n - i >= 64) tabs_ = TabsIn64(s + i);
    }

    // Up to the next TAB (or the end); reading goes on after the TAB.
    std::string_view Tab() {
        if (i_ >= n_) return {};
        const char* const start = s_ + i_;
        std::size_t len = 0;
        const std::size_t known = i_ - tabsFrom_; // i_ never goes back
        if (known < 64 && (tabs_ >> known) != 0) {
            len = static_cast<std::size_t>(std::countr_zero(tabs_ >> known));
        } else {
            const void* tab = std::memchr(start, kTab, n_ - i_);
            len = tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - start) : n_ - i_;
        }
        i_ += len + 1;
        return {start, len};
    }
    bool Int16(std::int16_t& value) {
        const std::string_view field = Tab();
        if (field.size() == 1 && IsDigit(field[0])) { // the usual 0
            value = static_cast<std::int16_t>(field[0] - '0');
            return true;
        }
        // Up to five digits with an optional minus; other forms go to the general conversion.
        const bool negative = !field.empty() && field[0] == '-';
        const std::size_t count = field.size() - (negative ? 1 : 0);
        if (count >= 1 && count <= 5) {
            int v = 0;
            std::size_t k = negative ? 1 : 0;
            for (; k < field.size() && IsDigit(field[k]); ++k)
                v = v * 10 + (field[k] - '0');
            if (k == field.size()) {
                if (negative) v = -v;
                if (v < -32768 || v > 32767) return false;
                value = static_cast<std::int16_t>(v);
                return true;
            }
        }
        const auto v = ToInt16(field);
        if (!v) return false;
        value = *v;
        return true;
    }
    // Kept inline: as a call of its own it costs a tenth of the whole packet.
    [[gnu::always_inline]] bool Date(double& value) {
        const std::string_view field = Tab();
        double v = 0;
        if (field.size() == 1 && IsDigit(field[0])) { // the usual Expire of 0
            v = field[0] - '0';
        } else if (!(field.size() >= 2 && field.size() <= 16 && field.data() - s_ >= 8 &&
                     static_cast<std::size_t>(s_ + n_ - field.data()) >= 8 &&
                     WriterDate(field.data(), field.size(), v)) &&
                   !OtherDate(field, v)) {
            return false;
        }
        if (!IsValidOleDate(v)) return false;
        value = v;
        return true;
    }
    // A field that does not fit reads empty and ends the reading.
    std::string_view Counted() {
        if (i_ >= n_ || n_ - i_ < 4) {
            i_ = n_;
            return {};
        }
        const int length = Digits4(s_ + i_);
        if (length < 0 || n_ - i_ - 4 < static_cast<std::size_t>(length)) {
            i_ = n_;
            return {};
        }
        const std::string_view value(s_ + i_ + 4, static_cast<std::size_t>(length));
        i_ += 4 + static_cast<std::size_t>(length);
        return value;
    }
    // Eight counted texts in a row; the usual run of empty ones is passed in one step instead of
    // one length after the other.
    void CountedEight(std::array<std::string_view, 8>& values) {
        if (i_ < n_ && n_ - i_ >= 32 && ThirtyTwoZeros(s_ + i_)) {
            // Empty views at their place in the text: with a constant empty view the compiler
            // clears the array with a string store, which costs more than the rest of the packet.
            for (std::size_t k = 0; k < values.size(); ++k)
                values[k] = std::string_view(s_ + i_ + 4 * k + 4, 0); // NOLINT(bugprone-string-constructor)
            i_ += 32;
            return;
        }
        for (std::string_view& value : values)
            value = Counted();
    }
    std::string_view Fixed3() {
        if (i_ >= n_ || n_ - i_ < 3) {
            i_ = n_;
            return {};
        }
        const std::string_view value(s_ + i_, 3);
        i_ += 3;
        return value;
    }

  private:
    const char* s_;
    std::size_t n_;
    std::size_t i_;
    std::size_t tabsFrom_;
    std::uint64_t tabs_ = 0; // bit k: a TAB at tabsFrom_ + k (none known when the text is short)
};

} // namespace

std::int16_t PacketChecksum(std::string_view text) {
    // Summing modulo 10000 after each addition is the same as one modulo at the end; a 64-bit sum
    // cannot overflow for any text in memory.
    return static_cast<std::int16_t>(SumBytes(text.data(), text.size()) % 10000);
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

std::size_t PacketTextLength(const CommType& p) {
    // Check digits, Source and Destination, the four TABs of the number and date fields, SOH.
    std::size_t total = 4 + 3 + 3 + 4 + 1;
    total += IntText(p.Number1).size() + IntText(p.Number2).size();
    total += DoubleText(p.Created).size() + DoubleText(p.Expire).size();
    for (const std::string* t : {&p.Text0, &p.PacketType, &p.Data, &p.Text1, &p.Text2, &p.Text3, &p.Text4,
                                 &p.Text5, &p.Text6, &p.Text7, &p.Text8}) {
        if (t->size() > kMaxCountedText) return 0;
        total += 4 + t->size(); // each counted text: four length digits and the text
    }
    return total;
}

bool PacketFits(const CommType& p) {
    const std::size_t length = PacketTextLength(p);
    return length != 0 && length <= kMaxPacketLength;
}

bool BuildPacket(const CommType& p, std::string& out) {
    out.clear();
    // One size rule for the builder and for Send's check at the door.
    if (!PacketFits(p)) return false;
    std::string body;
    body.reserve(64 + p.Text0.size() + p.PacketType.size() + p.Data.size());
    AppendNumber(body, p.Number1);
    AppendCounted(body, p.Text0);
    AppendNumber(body, p.Number2);
    AppendFixed3(body, p.Source);
    AppendFixed3(body, p.Destination);
    AppendDate(body, p.Created);
    AppendDate(body, p.Expire);
    for (const std::string* t : {&p.PacketType, &p.Data, &p.Text1, &p.Text2, &p.Text3, &p.Text4, &p.Text5,
                                 &p.Text6, &p.Text7, &p.Text8})
        AppendCounted(body, *t);
    body += kSOH;
    out.reserve(body.size() + 4);
    AppendDigits4(out, static_cast<std::size_t>(PacketChecksum(body)));
    out += body;
    return true;
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
    const int declared =
        (digits[0] - '0') * 1000 + (digits[1] - '0') * 100 + (digits[2] - '0') * 10 + (digits[3] - '0');
    std::size_t length = static_cast<std::size_t>(declared);
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

namespace {

// Reads the fields of a packet whose check is right; every field of p is set (a number or date that
// does not convert reads 0).
bool ParseFields(std::string_view text, PacketView& p) {
    // Every packet the hub and the clients write starts alike: Number1 0, Text0 empty, Number2 0.
    // That start is taken in one comparison; any other is read field by field.
    constexpr std::string_view kUsualStart = "0\t00000\t";
    constexpr std::size_t kAfterUsualStart = 4 + kUsualStart.size();
    const bool usual =
        text.size() >= kAfterUsualStart + 6 && text.substr(4, kUsualStart.size()) == kUsualStart;
    PacketCursor c(text.data(), text.size(), usual ? kAfterUsualStart + 6 : 4);
    p.Number1 = 0;
    p.Number2 = 0;
    p.Created = 0.0;
    p.Expire = 0.0;
    bool ok = true;
    if (usual) {
        p.Text0 = text.substr(10, 0);
        p.Source = text.substr(kAfterUsualStart, 3);
        p.Destination = text.substr(kAfterUsualStart + 3, 3);
    } else {
        ok = c.Int16(p.Number1);
        p.Text0 = c.Counted();
        ok = c.Int16(p.Number2) && ok;
        p.Source = c.Fixed3();
        p.Destination = c.Fixed3();
    }
    ok = c.Date(p.Created) && ok;
    ok = c.Date(p.Expire) && ok;
    p.PacketType = c.Counted();
    p.Data = c.Counted();
    c.CountedEight(p.Texts);
    return ok;
}

// The check digits against the sum of the bytes after them.
bool CheckMatches(std::string_view text, std::uint64_t bodySum) {
    const int check = Digits4(text.data());
    return check >= 0 && static_cast<std::uint64_t>(check) == bodySum % 10000;
}

// target = value, without a call into the library when the length stays (packet after packet the
// same source, destination and type) or the text is empty.
inline void Assign(std::string& target, std::string_view value) {
    if (value.size() == target.size()) {
        if (!value.empty()) std::memmove(target.data(), value.data(), value.size());
    } else if (value.empty()) {
        target.clear();
    } else {
        target.assign(value);
    }
}

} // namespace

void PacketView::CopyTo(CommType& p) const {
    p.Number1 = Number1;
    Assign(p.Text0, Text0);
    p.Number2 = Number2;
    Assign(p.Source, Source);
    Assign(p.Destination, Destination);
    p.Created = Created;
    p.Expire = Expire;
    Assign(p.PacketType, PacketType);
    Assign(p.Data, Data);
    std::string* const texts[] = {&p.Text1, &p.Text2, &p.Text3, &p.Text4,
                                  &p.Text5, &p.Text6, &p.Text7, &p.Text8};
    for (std::size_t k = 0; k < Texts.size(); ++k)
        Assign(*texts[k], Texts[k]);
}

bool ParsePacket(std::string_view text, PacketView& p) {
    if (text.size() > kMaxPacketLength) text = text.substr(0, kMaxPacketLength);
    if (text.size() < 4 || !CheckMatches(text, SumBytes(text.data() + 4, text.size() - 4))) {
        p = {};
        return false;
    }
    return ParseFields(text, p);
}

bool ParsePacket(std::string_view text, std::uint64_t byteSum, PacketView& p) {
    // A packet the reader cuts is checked on what is left of it, which the framer did not add up.
    if (text.size() > kMaxPacketLength) return ParsePacket(text, p);
    if (text.size() < 4 ||
        !CheckMatches(
            text, byteSum - (static_cast<unsigned char>(text[0]) + static_cast<unsigned char>(text[1]) +
                             static_cast<unsigned char>(text[2]) + static_cast<unsigned char>(text[3])))) {
        p = {};
        return false;
    }
    return ParseFields(text, p);
}

bool PacketCheckMatches(std::string_view text) {
    if (text.size() > kMaxPacketLength) text = text.substr(0, kMaxPacketLength);
    return text.size() >= 4 && CheckMatches(text, SumBytes(text.data() + 4, text.size() - 4));
}

bool ParsePacket(std::string_view text, CommType& p) {
    PacketView view;
    const bool ok = ParsePacket(text, view);
    view.CopyTo(p);
    return ok;
}

bool ParsePacket(std::string_view text, std::uint64_t byteSum, CommType& p) {
    PacketView view;
    const bool ok = ParsePacket(text, byteSum, view);
    view.CopyTo(p);
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
