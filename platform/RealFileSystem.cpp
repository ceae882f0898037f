#include "platform/FileSystem.h"

#include <filesystem>
#include <system_error>

namespace zeva {

bool RealFileSystem::FileExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

bool RealFileSystem::ChangeDirectory(const std::string& path) {
    std::error_code ec;
    std::filesystem::current_path(path, ec);
    return !ec;
}

} // namespace zeva
