#pragma once
#include <string>

namespace zeva {

// The few file-system calls start-up needs, behind an interface so tests can stage them.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual bool FileExists(const std::string& path) const = 0;
    // Changes the process's current directory; false when it cannot.
    virtual bool ChangeDirectory(const std::string& path) = 0;
};

// The real file system (std::filesystem).
class RealFileSystem final : public FileSystem {
  public:
    bool FileExists(const std::string& path) const override;
    bool ChangeDirectory(const std::string& path) override;
};

} // namespace zeva
