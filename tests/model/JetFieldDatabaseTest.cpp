// The field database kept by a site's other modules as an Access (Jet) file, read by the client
// through zeva-fielddb in a child process, whole and damaged.
#include "model/FieldDatabase.h"

#include "tests/model/FieldLine.h"
#include "tests/support/JetWriter.h"
#include "tests/support/SiteFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace zeva {
namespace {

namespace fs = std::filesystem;
using test::JetTable;
using test::JetType;
using Value = std::optional<std::string>;

// ZVFields as the other modules keep it, with two columns the client does not read (a long and a
// byte). Rows out of order; every 50th has a Null VType and the last a Null Identifier: both are
// skipped at load. Texts in CP1252: the euro sign, accents, typographic quotes, a dash.
JetTable Fields(int rows) {
    JetTable t{"ZVFields",
               {{"Identifier", JetType::Integer},
                {"Title", JetType::Text},
                {"VType", JetType::Integer},
                {"Description", JetType::Memo},
                {"Default", JetType::Text},
                {"Format", JetType::Text},
                {"Minsize", JetType::Text},
                {"Maxsize", JetType::Text},
                {"DBase", JetType::Boolean},
                {"Changed", JetType::Long},
                {"Width", JetType::Byte}},
               {}};
    for (int i = 0; i < rows; ++i) {
        const int id = i % 2 ? 1000 + i : 1000 + rows - i; // both halves, interleaved
        const std::string n = std::to_string(i);
        t.Rows.push_back({std::to_string(id), "Caf\xE9 \x80" + n,
                          i % 50 == 7 ? Value() : std::to_string(i % 9),
                          "Beschreibung \x93" + n +
                              "\x94 \x96 Stra\xDF"
                              "e " +
                              std::string(i % 40, 'x'),
                          i % 3 ? Value() : Value("0"), i % 4 ? Value("0.00") : Value(),
                          i % 5 ? Value() : Value("1"), i % 5 ? Value() : Value("99"), i % 7 ? "1" : "0",
                          std::to_string(-70000 * i), std::to_string(i % 256)});
    }
    t.Rows.push_back(
        {Value(), "no number", "8", "skipped", Value(), Value(), Value(), Value(), "1", "0", "0"});
    return t;
}

// The definitions the client must load from Fields(rows), in Identifier order.
std::vector<ZVFieldType> Expected(const JetTable& t) {
    std::vector<ZVFieldType> out;
    for (const auto& r : t.Rows) {
        if (!r[0] || !r[2]) continue;
        out.push_back({.Identifier = static_cast<std::int16_t>(std::stoi(*r[0])),
                       .Title = *r[1],
                       .VType = static_cast<std::int16_t>(std::stoi(*r[2])),
                       .Description = r[3].value_or(""),
                       .Default = r[4].value_or(""),
                       .DFormat = r[5].value_or(""),
                       .Minsize = r[6].value_or(""),
                       .Maxsize = r[7].value_or(""),
                       .DBase = *r[8] == "1"});
    }
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.Identifier < b.Identifier; });
    return out;
}

std::vector<std::string> Lines(const std::vector<ZVFieldType>& fields) {
    std::vector<std::string> out;
    std::transform(fields.begin(), fields.end(), std::back_inserter(out), test::FieldLine);
    return out;
}

class JetFieldDatabase : public ::testing::Test {
  protected:
    void SetUp() override {
        // The reader's temporary copies go to the site folder, so a leftover shows.
        const char* old = std::getenv("TMPDIR");
        oldTmp_ = old ? Value(old) : Value();
        ::setenv("TMPDIR", site_.Path().c_str(), 1);
        database_.SetJetReader(ZEVA_FIELDDB_PATH, limits_);
    }
    void TearDown() override {
        if (oldTmp_)
            ::setenv("TMPDIR", oldTmp_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    // zeva-fielddb import from the fixture, with the given options.
    std::optional<std::string> Import(const std::string& options) const {
        test::CommandResult r =
            test::RunCommand(std::string(ZEVA_FIELDDB_PATH) + " import '" + path_ + "' " + options);
        return r.status == 0 ? std::optional(std::move(r.output)) : std::nullopt;
    }
    std::size_t Leftovers() const {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(site_.Path()))
            n += e.path().filename().string().starts_with("zeva-fielddb-");
        return n;
    }
    test::SiteFolder site_{"zeva_jetfields"};
    const std::string path_ = site_.File("ZEVAField.mdb");
    Value oldTmp_;
    ChildLimits limits_;
    FieldDatabase database_;
};

// The whole path of a site's Access field database: read like the SQLite one, read-only, the
// temporary copy gone at Close; and zeva-fielddb import makes the SQLite file that loads the same.
TEST_F(JetFieldDatabase, LoadsLikeTheSqliteFileAndImportsToOne) {
    const JetTable fields = Fields(300);
    ASSERT_TRUE(test::WriteJet4File(path_, {fields, JetTable{"Other", {{"Name", JetType::Text}}, {{"x"}}}}));
    ASSERT_TRUE(PXOpenDatabase(database_, path_)) << database_.LastError();
    EXPECT_EQ(database_.Path(), path_);
    std::vector<ZVFieldType> got;
    ASSERT_TRUE(database_.ReadFields(got)) << database_.LastError();
    EXPECT_EQ(Lines(got), Lines(Expected(fields)));
    EXPECT_FALSE(database_.UpdateColumn(1001, "Title", "changed")); // read-only, as the SQLite file
    EXPECT_EQ(std::tuple(database_.WritesRefused(), Leftovers()), std::tuple(1, 1u)); // the copy is in use
    PXCloseDatabase(database_);
    EXPECT_EQ(Leftovers(), 0u);
    EXPECT_FALSE(database_.Open(path_, true)); // nothing here writes an Access file
    const std::string sqlite = site_.File("new.sqlite");
    const auto said = Import("--file '" + sqlite + "' 2>&1");
    ASSERT_TRUE(said);
    EXPECT_EQ(said->substr(0, said->find('\n')),
              "read 301 rows of table ZVFields from " + path_ + " (Jet 4 (Access 2000-2003))");
    FieldDatabase imported;
    ASSERT_TRUE(imported.Open(sqlite));
    ASSERT_TRUE(imported.ReadFields(got));
    EXPECT_EQ(Lines(got), Lines(Expected(fields)));
    EXPECT_FALSE(Import("--file '" + sqlite + "' 2>/dev/null"))
        << "replaced an existing file without --force";
    EXPECT_FALSE(Import("--force --file '" + path_ + "' 2>/dev/null")) << "replaced the Access file it reads";
}

// A reader that fails gives a failed open with its reason, and no file left behind (how a helper
// that fails, crashes or hangs is told apart is ChildProcess' own test).
TEST_F(JetFieldDatabase, FailedReadsSayWhy) {
    ASSERT_TRUE(
        test::WriteJet4File(path_, {JetTable{"StartUp", {{"Key_Description", JetType::Text}}, {{"a"}}}}));
    EXPECT_FALSE(PXOpenDatabase(database_, path_));
    EXPECT_EQ(std::tuple(database_.LastError(), database_.IsOpen(), Leftovers()),
              std::tuple("zeva-fielddb: " + path_ + ": no table ZVFields", false, 0u));
}

// Damaged copies of a fixture at the edges a reader meets (cut short, each page pointing past the
// end, the header scrambled): each read ends within its bounds with an open database or a reason,
// and whatever libmdb does with them stays in the child.
TEST_F(JetFieldDatabase, DamagedFilesEndWithinBoundsAndNeverReachTheStation) {
    ASSERT_TRUE(test::WriteJet4File(path_, {Fields(40)}));
    std::ifstream in(path_, std::ios::binary);
    const std::string good{std::istreambuf_iterator<char>(in), {}};
    constexpr std::size_t page = test::kJet4PageSize;
    const auto pages = static_cast<std::uint32_t>(good.size() / page);
    limits_.TimeoutMs = 3000;
    limits_.MemoryBytes = std::size_t(256) << 20;
    database_.SetJetReader(ZEVA_FIELDDB_PATH, limits_);
    std::string scrambled = good;
    for (std::size_t at = 0x18; at < page; ++at)
        scrambled[at] ^= 0x5A;
    std::vector<std::string> damaged = {good.substr(0, page), good.substr(0, good.size() - page / 2),
                                        scrambled};
    for (std::size_t p = 1; p < pages; ++p) {
        // A table's usage map (a page and row), or a data page's table, on the first page past the end.
        std::string bad = good;
        const bool table = bad[p * page] == 0x02;
        const std::uint32_t past = table ? pages << 8 : pages;
        for (std::size_t i = 0; i < 4; ++i)
            bad[p * page + (table ? 55 : 4) + i] = static_cast<char>(past >> (8 * i));
        damaged.push_back(bad);
    }
    for (std::size_t k = 0; k < damaged.size(); ++k) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << damaged[k];
        if (database_.Open(path_)) {
            std::vector<ZVFieldType> fields;
            (void)database_.ReadFields(fields); // any rows, or a reason: both are answers
        } else {
            EXPECT_FALSE(database_.LastError().empty()) << "damage " << k;
        }
        database_.Close();
        EXPECT_EQ(Leftovers(), 0u) << "damage " << k;
    }
}

} // namespace
} // namespace zeva
