#pragma once
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "logstore/LogEntry.h"
#include "model/ZVFieldType.h"
#include "recordlog/RecordLogConverter.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/FakeClock.h"

namespace zeva::test {

// A file-size limit for this process, standing in for a full disk: a write past it fails (EFBIG)
// instead of raising SIGXFSZ, which is ignored meanwhile.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    void (*handler_)(int);
    rlimit old_{};
};

// A temporary folder per test, log lines built in memory, and a plain-SQLite reader for results.
class RecordLogFixture : public ::testing::Test {
  protected:
    static LogEntry Line(std::int16_t type, std::string data, double date = 45123.5) {
        return {.type = type, .date = date, .dateValid = true, .data = std::move(data)};
    }
    static LogEntry Definition(std::int16_t id, std::int16_t vtype, const std::string& title,
                               bool dbase = true) {
        ZVFieldType f;
        f.Identifier = id;
        f.VType = vtype;
        f.Title = title;
        f.DBase = dbase;
        std::string packet;
        EXPECT_TRUE(f.CreatePacket(packet));
        return Line(2, packet);
    }

    // Converts lines with the converter; returns the database name. atEnd runs when the lines are
    // used up.
    std::string Convert(const std::vector<LogEntry>& lines, RecordLogConverter& converter,
                        const std::string& prefix = "conv", const std::function<void()>& atEnd = {}) {
        std::size_t next = 0;
        return converter.ConvertRLogToDBase((dir / prefix).string(), [&](LogEntry& e) {
            if (next == lines.size()) {
                if (atEnd) atEnd();
                return false;
            }
            e = lines[next++];
            return true;
        });
    }

    using Rows = std::vector<std::string>;
    // Runs a query with plain SQLite; a row is its cells as "typeof:value" or "null", joined by "|".
    static Rows Query(const std::string& db, const std::string& sql) {
        Rows rows;
        sqlite3* h = nullptr;
        EXPECT_EQ(sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(h);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const int t = sqlite3_column_type(st, c);
                const char* kind = t == SQLITE_INTEGER ? "integer:" : t == SQLITE_FLOAT ? "real:" : "text:";
                // Appended piece by piece: a string put in front of a temporary one makes an
                // optimised link-time build warn of an impossible copy size.
                if (c) row += '|';
                if (t == SQLITE_NULL) {
                    row += "null";
                } else {
                    row += kind;
                    row += reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                }
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(st);
        sqlite3_close(h);
        return rows;
    }

    SiteFolder site{"zeva-recordlog"};
    const std::filesystem::path dir = site.Path();
    FakeClock clock{45123.5 + 3723.0 / 86400.0}; // 16/07/2023 13:02:03
};

} // namespace zeva::test
