#pragma once
#include "logstore/RStoreClass.h"
#include "model/RecordLogChannel.h"
#include "recordlog/RecordLogConverter.h"

namespace zeva {

class Clock;

// The field class's record log kept in a log store file (LOGS/rstre<id>.log under the file server
// folder), converted into a database on request. Hand MakeFactory(clock) to the field class.
class RStoreRecordLog final : public RecordLogChannel {
  public:
    explicit RStoreRecordLog(const Clock& clock) : store_(clock), converter_(clock) {}

    bool Connect(const std::string& fileServer, const std::string& userid) override {
        return store_.Connect(fileServer, userid);
    }
    bool Disconnect() override { return store_.Disconnect(); }
    bool AddLog(std::int16_t logType, const std::string& text) override {
        return store_.AddLog(logType, text);
    }
    std::string Backup() override { return store_.Backup(); }
    std::int32_t Sizeof(std::int16_t index) override { return store_.Sizeof(index); }
    std::string CreateDBase(const std::string& source) override { return converter_.RLCreateDBase(source); }
    // Reads the log file with its own reader, so the store's reader keeps its place.
    std::string ConvertToDBase(const std::string& source) override;

    RStoreClass& Store() { return store_; }
    RecordLogConverter& Converter() { return converter_; }

    // The clock must outlive every log the factory makes.
    static RecordLogFactory MakeFactory(const Clock& clock);

  private:
    RStoreClass store_;
    RecordLogConverter converter_;
};

} // namespace zeva
