#pragma once
#include "common/SqliteDatabase.h"
#include "display/ZVRecordClass.h"
#include "model/ZVFieldClass.h"
#include "platform/memory/MemoryFlexGrid.h"
#include "platform/memory/MemoryListBox.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace zeva::test {

// A settings database in a fresh temporary folder, a field class with the sample titles of fields
// 101 to 153 (no field database) and a record class on memory controls.
class DisplayFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() /
            ("zeva-display-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        settingsPath = (dir / SettingsDatabase::kFileName).string();
        SqliteDatabase s;
        ASSERT_TRUE(s.Open(settingsPath, SqliteDatabase::Mode::Create));
        ASSERT_TRUE(
            s.ExecScript("CREATE TABLE StartUp (Key_Description TEXT, Key_Data TEXT, Description TEXT);"));
        session.Userid = "s01";
        session.AdminMode = true;
        settings = std::make_unique<SettingsDatabase>(settingsPath, session);
        fields = std::make_unique<ZVFieldClass>(settings.get());
        const char* titles[] = {"RecType", "Sequence",  "CallDate",   "CallTime", "CLI",
                                "Action",  "GivenName", "FamilyName", "Occupant", "Salutation"};
        for (int n = 101; n <= 153; ++n) {
            fields->SetFIdentifier(-1, static_cast<std::int16_t>(n));
            fields->SetFTitle(static_cast<std::int16_t>(n),
                              n <= 110 ? titles[n - 101] : "F" + std::to_string(n));
        }
        fields->SetFVType(103, 7);
        fields->SetFFormat(103, "dd/mm/yyyy");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A record class connected the way start-up connects it.
    std::unique_ptr<ZVRecordClass> Start(int capacity = 10) {
        auto r = std::make_unique<ZVRecordClass>(settings.get());
        r->SetupRGrid(&grid, &list);
        r->Connect("s01", fields.get());
        r->SetDisplayRows(static_cast<std::int16_t>(capacity));
        return r;
    }
    std::string Setting(const std::string& section, const std::string& key) {
        return settings->RegGetSetting(2, "ZEVA", section, key, "<none>");
    }
    static std::string ReadData(const std::string& name) {
        std::ifstream in(std::string(ZEVA_SOURCE_DIR) + "/tests/data/display/" + name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::filesystem::path dir;
    std::string settingsPath;
    Session session;
    std::unique_ptr<SettingsDatabase> settings;
    std::unique_ptr<ZVFieldClass> fields;
    MemoryFlexGrid grid;
    MemoryListBox list;
};

} // namespace zeva::test
