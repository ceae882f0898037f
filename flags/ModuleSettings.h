#pragma once
#include <string>

namespace zeva {

// Where the monitor keeps its edited copy of the module table: keys of application "Global", section
// "Module" ("Group02", "Title02", "MinimumClients02", "MaximumClients02", "Error Enabled02",
// "Updated"). Only the monitor has one; the screen client hands ModuleClass none, so its reads find
// nothing and its writes report false.
class ModuleSettings {
  public:
    virtual ~ModuleSettings() = default;
    // The stored text of key, or def when the key is not stored.
    virtual std::string Read(const std::string& key, const std::string& def) = 0;
    virtual bool Write(const std::string& key, const std::string& value) = 0;
};

} // namespace zeva
