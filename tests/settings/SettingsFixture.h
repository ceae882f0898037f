#pragma once
#include "common/SqliteDatabase.h"
#include "settings/SettingsDatabase.h"
#include "tests/support/SiteFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace zeva::test {

// A settings database in a fresh temporary folder, inspected with plain SQL as an administrator's
// sqlite3 would.
class SettingsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateSettingsDatabase(path_));
        session_.Userid = "s05";
    }

    SettingsDatabase& Db(bool admin) {
        session_.AdminMode = admin;
        db_ = std::make_unique<SettingsDatabase>(
            path_, session_, [this](const std::string& line) { errors_.push_back(line); });
        return *db_;
    }
    void Row(const std::string& key, const std::optional<std::string>& data) {
        SqliteDatabase db;
        ASSERT_TRUE(db.Open(path_, SqliteDatabase::Mode::ReadWrite));
        ASSERT_TRUE(db.Exec("INSERT INTO StartUp VALUES (?1, ?2, '')", {key, data}));
    }
    // All rows of a key: Key_Data and Description (NULL as "<null>").
    std::vector<std::pair<std::string, std::string>> Rows(const std::string& key) {
        SqliteDatabase db;
        EXPECT_TRUE(db.Open(path_, SqliteDatabase::Mode::ReadOnly));
        std::vector<SqliteDatabase::Row> rows;
        EXPECT_TRUE(
            db.Exec("SELECT Key_Data, Description FROM StartUp WHERE Key_Description = ?1 ORDER BY rowid",
                    {key}, &rows));
        std::vector<std::pair<std::string, std::string>> out;
        for (auto& r : rows)
            out.emplace_back(r[0].value_or("<null>"), r[1].value_or("<null>"));
        return out;
    }

    SiteFolder site_{"zeva_settings"};
    std::string path_ = site_.File("ZEVARegistry.mdb");
    Session session_;
    std::unique_ptr<SettingsDatabase> db_;
    std::vector<std::string> errors_;
};

} // namespace zeva::test
