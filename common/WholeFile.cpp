#include "common/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace zeva {

WholeFileResult WriteThenRename(const std::string& path, const std::string& temp,
                                const std::function<bool(const std::string& temp)>& write,
                                WholeFileReplace replace) {
    namespace fs = std::filesystem;
    WholeFileResult result;
    std::error_code ec;
    if (!write(temp)) {
        result.step = WholeFileStep::Write;
    } else if (replace == WholeFileReplace::No && (fs::exists(path, ec) || ec)) {
        result.step = WholeFileStep::Exists;
    } else if (fs::rename(temp, path, ec); ec) {
        result.step = WholeFileStep::Rename;
        result.reason = ec.message();
    } else {
        return result;
    }
    fs::remove(temp, ec);
    result.tempLeft = static_cast<bool>(ec);
    return result;
}

namespace {

// "" when the process may use path this way (access's mode), else what the system says why.
std::string Refusal(const std::string& path, int mode) {
    if (::access(path.c_str(), mode) == 0) return {};
    return std::strerror(errno);
}

} // namespace

PathProblem ReadProblem(const std::string& path) {
    namespace fs = std::filesystem;
    using Kind = PathProblem::Kind;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) return {Kind::NoFile, "no such file"};
    if (fs::is_directory(status)) return {Kind::Folder, "is a folder, not a file"};
    if (std::string why = Refusal(path, R_OK); !why.empty())
        return {Kind::Other, "cannot be read (" + why + ")"};
    return {};
}

PathProblem WriteProblem(const std::string& path) {
    namespace fs = std::filesystem;
    using Kind = PathProblem::Kind;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) return {Kind::Folder, "is a folder, not a file"};
    if (std::string folder = FolderProblem(fs::path(path).parent_path().string()); !folder.empty())
        return {Kind::Other, std::move(folder)};
    return {};
}

std::string FolderProblem(const std::string& folder) {
    namespace fs = std::filesystem;
    const std::string name = folder.empty() ? "." : folder;
    std::error_code ec;
    const fs::file_status status = fs::status(name, ec);
    if (!fs::exists(status)) return "the folder " + name + " does not exist";
    if (!fs::is_directory(status)) return name + " is not a folder";
    if (const std::string why = Refusal(name, W_OK | X_OK); !why.empty())
        return "the folder " + name + " cannot be written (" + why + ")";
    return {};
}

} // namespace zeva
