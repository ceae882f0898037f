#pragma once
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"

#include <set>

namespace zeva {

// A staged file system for start-up tests.
class MemoryFileSystem final : public FileSystem {
  public:
    bool FileExists(const std::string& path) const override { return files.count(path) > 0; }
    bool ChangeDirectory(const std::string& path) override {
        currentDirectory = path;
        return true;
    }
    std::set<std::string> files;
    std::string currentDirectory;
};

// An instance lock whose answer the test sets.
class FakeInstanceLock final : public InstanceLock {
  public:
    explicit FakeInstanceLock(bool otherInstance = false) : otherInstance_(otherInstance) {}
    bool TryAcquire() override { return !otherInstance_; }

  private:
    bool otherInstance_;
};

} // namespace zeva
