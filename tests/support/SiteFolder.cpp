#include "tests/support/SiteFolder.h"

#include "common/SqliteDatabase.h"
#include "settings/SettingsSchema.h"

#include <atomic>
#include <random>

#include <unistd.h>

namespace zeva::test {

SiteFolder::SiteFolder(const std::string& prefix) {
    static std::atomic<int> counter{0};
    static const unsigned salt = std::random_device{}();
    path_ = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(::getpid()) + "-" +
                                                      std::to_string(salt) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

SiteFolder::~SiteFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool CreateSettingsDatabase(const std::string& path,
                            const std::vector<std::pair<std::string, std::string>>& rows) {
    SqliteDatabase db;
    if (!db.Open(path, SqliteDatabase::Mode::Create) || !db.ExecScript(kSettingsSchema)) return false;
    for (const auto& [key, value] : rows)
        if (!db.Exec("INSERT INTO StartUp VALUES (?1, ?2, '')", {key, value})) return false;
    return true;
}

std::string StoredSetting(const std::string& path, const std::string& key) {
    SqliteDatabase db;
    std::vector<SqliteDatabase::Row> rows;
    if (!db.Open(path, SqliteDatabase::Mode::ReadOnly) ||
        !db.Exec("SELECT Key_Data FROM StartUp WHERE Key_Description = ?1", {key}, &rows))
        return "<unreadable>";
    return rows.empty() ? "<missing>" : rows[0][0].value_or("<null>");
}

} // namespace zeva::test
