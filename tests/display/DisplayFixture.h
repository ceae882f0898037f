#pragma once
#include "common/SqliteDatabase.h"
#include "display/ZVRecordClass.h"
#include "model/ZVFieldClass.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsDatabase.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/MemoryFlexGrid.h"
#include "tests/support/memory/MemoryListBox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace zeva::test {

// A pop-up menu's items as one line: each caption, "+" when the item is enabled, "*" when checked.
template <class Item> std::string MenuLine(const std::vector<Item>& items) {
    std::string s;
    for (const auto& i : items) {
        s += (s.empty() ? "" : ", ") + i.Caption + (i.Enabled ? "+" : "");
        if constexpr (requires { i.Checked; }) s += i.Checked ? "*" : "";
    }
    return s;
}

// A settings database in a fresh temporary folder, a field class with the sample titles of fields
// 101 to 153 (no field database) and a record class on memory controls.
class DisplayFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateSettingsDatabase(settingsPath));
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

    SiteFolder site{"zeva-display"};
    std::string settingsPath = site.File(SettingsDatabase::kFileName);
    Session session;
    std::unique_ptr<SettingsDatabase> settings;
    std::unique_ptr<ZVFieldClass> fields;
    MemoryFlexGrid grid;
    MemoryListBox list;
};

} // namespace zeva::test
