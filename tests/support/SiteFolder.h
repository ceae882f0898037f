#pragma once
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zeva::test {

// A fresh folder under the system's temporary folder for one test, as a station's site folder holds
// its settings and field databases; removed with everything in it when the object goes. The name
// carries the process id and a counter, so cases running side by side never share one.
class SiteFolder {
  public:
    explicit SiteFolder(const std::string& prefix);
    ~SiteFolder();
    SiteFolder(const SiteFolder&) = delete;
    SiteFolder& operator=(const SiteFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The full name of a file in the folder.
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Creates a settings database at path with the table zeva-settings creates and the given rows
// (key, value). False when that fails.
[[nodiscard]] bool CreateSettingsDatabase(const std::string& path,
                                          const std::vector<std::pair<std::string, std::string>>& rows = {});

// The stored value of a settings key in the database at path: "<missing>" without its row, "<null>"
// for a NULL value, "<unreadable>" when the database cannot be read.
std::string StoredSetting(const std::string& path, const std::string& key);

} // namespace zeva::test
