#include "recordlog/RStoreRecordLog.h"

#include "logstore/LogFileReader.h"

namespace zeva {

std::string RStoreRecordLog::ConvertToDBase(const std::string& source) {
    LogFileReader reader;
    if (store_.Connected()) reader.Open(store_.LogPath());
    return converter_.ConvertRLogToDBase(source,
                                         [&](LogEntry& e) { return reader.IsOpen() && reader.Next(e); });
}

RecordLogFactory RStoreRecordLog::MakeFactory(const Clock& clock) {
    return
        [&clock]() -> std::unique_ptr<RecordLogChannel> { return std::make_unique<RStoreRecordLog>(clock); };
}

} // namespace zeva
