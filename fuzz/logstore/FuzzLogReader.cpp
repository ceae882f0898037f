// Feeds arbitrary bytes to the log store's reader as a log file: line splitting, the counted
// fields, the type filter and repositioning must neither crash nor read past a line.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

#include "logstore/LogEntry.h"
#include "logstore/RStoreClass.h"
#include "platform/Clock.h"

namespace {

class FixedClock final : public zeva::Clock {
  public:
    double Now() const override { return 45123.5; }
};

const std::filesystem::path& Base() {
    static const std::filesystem::path base = [] {
        auto p = std::filesystem::temp_directory_path() / ("zeva-fuzz-log-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p / "LOGS");
        return p;
    }();
    return base;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The line parser alone: a parsed part never reaches past the line.
    const zeva::LogEntry e = zeva::LogEntry::Parse(bytes);
    if (e.data.size() > bytes.size()) __builtin_trap();

    // The whole reader on a file holding the bytes.
    const auto file = Base() / "LOGS" / "rstref01.log";
    if (std::FILE* f = std::fopen(file.string().c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    FixedClock clock;
    zeva::RStoreClass store(clock);
    if (!store.Connect(Base().string(), "f01")) return 0;
    const std::int32_t lines = store.Sizeof(-1);
    std::int32_t read = 0;
    while (store.GetLog(-1)) {
        if (store.LLine() != read || store.LData().size() > zeva::LogLineReader::kMaxLine) __builtin_trap();
        ++read;
    }
    if (read != lines) __builtin_trap();
    if (lines > 0 && !store.FindLog(lines - 1)) __builtin_trap();
    store.GetLog(static_cast<std::int16_t>(size % 3));
    store.AddLog(0, bytes.substr(0, 100));
    store.Disconnect();
    return 0;
}
