#pragma once
#include <string>
#include <variant>

namespace zeva {

// A value handed to the settings operations: stored and read back as text. Booleans become "True"
// or "False", numbers their decimal text, doubles their general text.
class SettingValue {
  public:
    SettingValue(const std::string& text) : value_(text) {}
    SettingValue(const char* text) : value_(std::string(text)) {}
    SettingValue(bool b) : value_(b) {}
    SettingValue(int n) : value_(static_cast<long long>(n)) {}
    SettingValue(long n) : value_(static_cast<long long>(n)) {}
    SettingValue(long long n) : value_(n) {}
    SettingValue(double d) : value_(d) {}

    bool IsBool() const { return std::holds_alternative<bool>(value_); }
    bool IsText() const { return std::holds_alternative<std::string>(value_); }
    bool AsBool() const { return std::get<bool>(value_); }
    const std::string& AsText() const { return std::get<std::string>(value_); }
    // The stored text form.
    std::string Text() const;

  private:
    std::variant<std::string, bool, long long, double> value_;
};

} // namespace zeva
