#include "tests/support/JetWriter.h"

#include "common/Cp1252.h"

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

namespace zeva::test {

namespace {

constexpr std::size_t kPage = kJet4PageSize;
constexpr std::size_t kDataHeader = 14; // type, 1, free space, table page, 4 unknown, row count
constexpr std::size_t kMapBytes = 64;   // page usage bitmap: pages 0 to 511

// Little-endian numbers of `bytes` bytes, written in place or appended.
void Put(std::string& b, std::size_t at, unsigned long long v, int bytes = 2) {
    for (int i = 0; i < bytes; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Append(std::string& b, unsigned long long v, int bytes = 2) {
    b.append(bytes, '\0');
    Put(b, b.size() - bytes, v, bytes);
}

// CP1252 bytes to UTF-16 code units (every CP1252 character lies in the basic plane).
std::u16string Units(const std::string& cp1252) {
    const std::string utf8 = Cp1252ToUtf8(cp1252);
    std::u16string out;
    for (const char c : utf8) // a lead byte starts a unit, a continuation byte adds six bits
        if ((c & 0xC0) == 0x80)
            out.back() = static_cast<char16_t>(out.back() << 6 | (c & 0x3F));
        else
            out.push_back(static_cast<char16_t>(c & ((c & 0x80) ? ((c & 0x20) ? 0x0F : 0x1F) : 0x7F)));
    return out;
}

std::string Ucs2(const std::u16string& units) {
    std::string out;
    for (char16_t u : units)
        Append(out, u);
    return out;
}

// Jet 4 text: FF FE and one byte per character when every character fits a byte and that is
// shorter, else plain UCS-2.
std::string JetText(const std::string& cp1252) {
    const std::u16string units = Units(cp1252);
    bool narrow = units.size() > 2;
    for (char16_t u : units)
        narrow = narrow && u != 0 && u < 0x100;
    if (!narrow) return Ucs2(units);
    std::string out = "\xFF\xFE";
    for (char16_t u : units)
        out.push_back(static_cast<char>(u));
    return out;
}

int FixedSize(JetType t) {
    return t == JetType::Byte ? 1 : t == JetType::Integer ? 2 : t == JetType::Long ? 4 : 0;
}

bool IsFixed(JetType t) {
    return t != JetType::Text && t != JetType::Memo && t != JetType::Ole;
}

struct Layout {
    std::vector<int> fixedOffset, varIndex;
    int fixedBytes = 0, varCount = 0;
};

Layout LayoutOf(const std::vector<JetColumn>& columns) {
    Layout l;
    for (const auto& c : columns) {
        const bool fixed = IsFixed(c.Type);
        l.fixedOffset.push_back(fixed ? l.fixedBytes : 0);
        l.varIndex.push_back(fixed ? 0 : l.varCount);
        l.fixedBytes += fixed ? FixedSize(c.Type) : 0;
        l.varCount += fixed ? 0 : 1;
    }
    return l;
}

// One row: column count, fixed area, variable data, end offset, the variable offsets last first,
// their count, the null mask (a set bit is a value; a Boolean's bit is its value).
std::optional<std::string> Row(const std::vector<JetColumn>& columns,
                               const std::vector<std::optional<std::string>>& values) {
    if (values.size() != columns.size()) return std::nullopt;
    const Layout l = LayoutOf(columns);
    std::string row;
    Append(row, columns.size());
    row.append(l.fixedBytes, '\0');
    std::string mask((columns.size() + 7) / 8, '\0');
    std::vector<unsigned> varStart(l.varCount, 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto& v = values[i];
        const JetType t = columns[i].Type;
        if (!IsFixed(t)) varStart[l.varIndex[i]] = static_cast<unsigned>(row.size());
        if (!v) continue;
        bool bit = true;
        if (t == JetType::Boolean) {
            bit = *v == "1";
        } else if (IsFixed(t)) {
            Put(row, 2 + l.fixedOffset[i], std::stoll(*v), FixedSize(t));
        } else {
            const std::string data = JetText(*v);
            if (t == JetType::Memo) {
                Append(row, data.size() | 0x80000000u, 4); // held in the row
                row.append(8, '\0');
            }
            row += data;
        }
        if (bit) mask[i / 8] = static_cast<char>(mask[i / 8] | (1 << (i % 8)));
    }
    const unsigned eod = static_cast<unsigned>(row.size());
    Append(row, eod);
    for (int k = l.varCount - 1; k >= 0; --k)
        Append(row, varStart[k]);
    Append(row, l.varCount);
    return row + mask;
}

using Pages = std::vector<std::vector<std::string>>; // the rows of each data page

std::optional<Pages> Pack(const JetTable& table) {
    Pages b;
    std::size_t used = kDataHeader;
    b.emplace_back();
    for (const auto& values : table.Rows) {
        auto row = Row(table.Columns, values);
        if (!row || row->size() + 2 + kDataHeader > kPage) return std::nullopt;
        if (used + row->size() + 2 > kPage) {
            b.emplace_back();
            used = kDataHeader;
        }
        used += row->size() + 2;
        b.back().push_back(std::move(*row));
    }
    return b;
}

std::string DataPage(std::uint32_t tablePage, const std::vector<std::string>& rows) {
    std::string page(kPage, '\0');
    page[0] = 0x01;
    page[1] = 0x01;
    Put(page, 4, tablePage, 4);
    Put(page, 12, rows.size());
    std::size_t end = kPage;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        page.replace(end, rows[i].size(), rows[i]);
        Put(page, kDataHeader + 2 * i, end);
    }
    Put(page, 2, end - kDataHeader - 2 * rows.size());
    return page;
}

std::string TablePage(const JetTable& table, bool system, std::uint32_t usedMap, std::uint32_t freeMap) {
    const Layout l = LayoutOf(table.Columns);
    std::string page(63, '\0');
    page[0] = 0x02;
    page[1] = 0x01;
    Put(page, 16, table.Rows.size(), 4);
    page[40] = static_cast<char>(system ? 0x53 : 0x4E);
    Put(page, 41, table.Columns.size());
    Put(page, 43, l.varCount);
    Put(page, 45, table.Columns.size());
    Put(page, 55, usedMap, 4);
    Put(page, 59, freeMap, 4);
    for (std::size_t i = 0; i < table.Columns.size(); ++i) {
        const JetType t = table.Columns[i].Type;
        std::string c(25, '\0');
        c[0] = static_cast<char>(t);
        Put(c, 5, i);
        Put(c, 7, l.varIndex[i]);
        Put(c, 9, i);
        if (!IsFixed(t)) Put(c, 11, 0x409); // General sort order
        c[15] = static_cast<char>((IsFixed(t) ? 0x01 : 0x00) | 0x02);
        if (!IsFixed(t)) c[16] = 0x01; // compressed text allowed
        Put(c, 21, l.fixedOffset[i]);
        Put(c, 23,
            t == JetType::Text      ? 510
            : t == JetType::Memo    ? 0
            : t == JetType::Boolean ? 1
                                    : FixedSize(t));
        page += c;
    }
    for (const auto& c : table.Columns) {
        const std::string name = Ucs2(Units(c.Name));
        Append(page, name.size());
        page += name;
    }
    Append(page, 0xFFFF);
    Put(page, 8, page.size() - 8, 4);
    Put(page, 2, kPage - page.size() - 8);
    page.resize(kPage, '\0');
    return page;
}

// RC4 over the header's secret part, with the fixed key every Jet file uses for it.
void Rc4(std::string& b, std::size_t at, std::size_t length) {
    const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    unsigned char s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        b[at + n] = static_cast<char>(b[at + n] ^ s[(s[i] + s[j]) & 0xFF]);
    }
}

std::string HeaderPage() {
    std::string page(kPage, '\0');
    page[1] = 0x01;
    page.replace(4, 16, std::string("Standard Jet DB\0", 16));
    Put(page, 0x14, 1, 4); // Jet 4
    Put(page, 0x3C, 1252);
    Put(page, 0x3E, 0, 4); // no database key: pages are not scrambled
    Put(page, 0x6E, 0x409);
    Rc4(page, 0x18, 128);
    return page;
}

// The file's bytes; empty when a row does not fit on a page or a value does not fit its column.
std::string Jet4Bytes(const std::vector<JetTable>& tables) {
    // Page 0 the header, page 1 the usage maps (two rows per table: its pages, its pages with
    // room), page 2 the catalogue's definition, then its data, then each table's definition and data.
    std::vector<Pages> built;
    for (const auto& t : tables) {
        auto b = Pack(t);
        if (!b) return {};
        built.push_back(std::move(*b));
    }
    std::vector<std::uint32_t> tablePage, firstData;
    std::uint32_t next = 4; // the catalogue's data fits one page
    for (const auto& b : built) {
        tablePage.push_back(next);
        firstData.push_back(next + 1);
        next += 1 + static_cast<std::uint32_t>(b.size());
    }
    if (next > kMapBytes * 8) return {};

    JetTable catalogue{"MSysObjects",
                       {{"Id", JetType::Long},
                        {"ParentId", JetType::Long},
                        {"Name", JetType::Text},
                        {"Type", JetType::Integer},
                        {"Flags", JetType::Long},
                        {"LvProp", JetType::Ole}},
                       {}};
    for (std::size_t i = 0; i < tables.size(); ++i)
        catalogue.Rows.push_back(
            {std::to_string(tablePage[i]), "251658241", tables[i].Name, "1", "0", std::nullopt});
    auto catalogueRows = Pack(catalogue);
    if (!catalogueRows || catalogueRows->size() != 1) return {};

    auto map = [](std::uint32_t first, std::size_t count) {
        std::string row(5 + kMapBytes, '\0');
        for (std::size_t p = first; p < first + count; ++p)
            row[5 + p / 8] = static_cast<char>(row[5 + p / 8] | (1 << (p % 8)));
        return row;
    };
    std::vector<std::string> maps{map(3, 1), map(0, 0)};
    for (std::size_t i = 0; i < tables.size(); ++i) {
        maps.push_back(map(firstData[i], built[i].size()));
        maps.push_back(map(0, 0));
    }
    auto pointer = [](std::uint32_t page, std::uint32_t row) { return (page << 8) | row; };

    std::string file = HeaderPage();
    file += DataPage(0, maps);
    file += TablePage(catalogue, true, pointer(1, 0), pointer(1, 1));
    file += DataPage(2, (*catalogueRows)[0]);
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const auto k = static_cast<std::uint32_t>(2 + 2 * i);
        file += TablePage(tables[i], false, pointer(1, k), pointer(1, k + 1));
        for (const auto& rows : built[i])
            file += DataPage(tablePage[i], rows);
    }
    return file;
}

} // namespace

bool WriteJet4File(const std::string& path, const std::vector<JetTable>& tables) {
    const std::string bytes = Jet4Bytes(tables);
    if (bytes.empty()) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

CommandResult RunCommand(const std::string& command) {
    CommandResult r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        r.output.append(buffer, n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

} // namespace zeva::test
