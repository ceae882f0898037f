#include "common/WholeFile.h"

#include <filesystem>
#include <system_error>

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

} // namespace zeva
