#include "model/ZVFieldType.h"

#include "common/Convert.h"

namespace zeva {

namespace {

constexpr std::size_t kMaxCounted = 9999;

void AppendFourDigits(std::string& out, std::size_t n) {
    char digits[4];
    for (int i = 3; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    out.append(digits, 4);
}

// Reads four decimal digits; anything else (signs, blanks, letters) is not a count.
bool ReadFourDigits(std::string_view text, std::size_t pos, std::size_t& value) {
    if (pos + 4 > text.size()) return false;
    value = 0;
    for (std::size_t i = pos; i < pos + 4; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<std::size_t>(text[i] - '0');
    }
    return true;
}

} // namespace

void ZVFieldType::Clear() {
    *this = ZVFieldType();
}

bool ZVFieldType::Copy(ZVFieldType& target) const {
    if (&target != this) target = *this;
    return true;
}

bool ZVFieldType::CreatePacket(std::string& target) const {
    std::string body = IntText(Identifier);
    body += '\t';
    body += IntText(VType);
    body += '\t';
    const std::string dbase = BoolText(DBase);
    for (const std::string* text : {&Title, &Description, &Default, &DFormat, &Minsize, &Maxsize, &dbase}) {
        // A count of four digits cannot describe a longer text; writing it anyway would shift every
        // later piece for the reader.
        if (text->size() > kMaxCounted) {
            target = "0000" + body;
            return false;
        }
        AppendFourDigits(body, text->size());
        body += *text;
    }
    target = "0000" + body;
    return true;
}

bool ZVFieldType::ExtractPacket(std::string_view source) {
    Clear();
    if (source.size() > kMaxPacket) source = source.substr(0, kMaxPacket);
    std::size_t check = 0;
    if (!ReadFourDigits(source, 0, check) || check != 0) return false;

    std::size_t pos = 4;
    auto untilTab = [&]() {
        std::size_t tab = source.find('\t', pos);
        std::string_view piece =
            source.substr(pos, tab == std::string_view::npos ? std::string_view::npos : tab - pos);
        pos = tab == std::string_view::npos ? source.size() : tab + 1;
        return piece;
    };
    auto id = ToInt16(untilTab());
    if (!id) return false;
    Identifier = *id;
    auto vtype = ToInt16(untilTab());
    if (!vtype) return false;
    VType = *vtype;

    std::string dbase;
    for (std::string* text : {&Title, &Description, &Default, &DFormat, &Minsize, &Maxsize, &dbase}) {
        std::size_t n = 0;
        // A count that is not four digits or runs past the end ends the read; later members stay
        // at their cleared values.
        if (!ReadFourDigits(source, pos, n) || source.size() - pos - 4 < n) return true;
        text->assign(source.substr(pos + 4, n));
        pos += 4 + n;
    }
    auto flag = ToBool(dbase);
    if (!flag) return false;
    DBase = *flag;
    return true;
}

} // namespace zeva
