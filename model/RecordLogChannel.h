#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zeva {

// The record log hung off the field class: a log store that takes record texts (type 0), messages
// (type 1) and field definition packets (type 2), and can be converted into a database. The field
// class only drives it; the implementation lives in its own layer above the model and is handed in
// as a factory (ZVFieldClass::SetRecordLogFactory); the client hands one in when the RecordLog
// setting keeps a record trail.
class RecordLogChannel {
  public:
    virtual ~RecordLogChannel() = default;
    virtual bool Connect(const std::string& fileServer, const std::string& userid) = 0;
    virtual bool Disconnect() = 0;
    virtual bool AddLog(std::int16_t logType, const std::string& text) = 0;
    virtual std::string Backup() = 0;
    virtual std::int32_t Sizeof(std::int16_t index) = 0;
    virtual std::string CreateDBase(const std::string& source) = 0;
    virtual std::string ConvertToDBase(const std::string& source) = 0;
};

using RecordLogFactory = std::function<std::unique_ptr<RecordLogChannel>()>;

} // namespace zeva
