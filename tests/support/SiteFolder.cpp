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

bool CreateSettingsDatabase(const std::string& path, const std::string& extraSql) {
    SqliteDatabase db;
    return db.Open(path, SqliteDatabase::Mode::Create) && db.ExecScript(kSettingsSchema) &&
           (extraSql.empty() || db.ExecScript(extraSql));
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
