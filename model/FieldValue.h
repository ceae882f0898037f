#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zeva {

// A typed field value: a value type code (VType) and the value converted to that type.
//
// Codes: 0 Empty, 1 Null, 2 Integer (16-bit), 3 Long (32-bit), 4 Single, 5 Double, 6 Currency
// (fixed point, 4 decimals), 7 Date (OLE date double), 8 String, 9 Object, 10 Error, 11 Boolean,
// 12 Variant (text kept unchanged), 13 DataObject, 14 Decimal (held as a double), 17 Byte,
// 8192 Array. Codes 0, 1, 9, 10, 13, 8192 and unknown codes carry no value.
class FieldValue {
  public:
    FieldValue() = default; // Empty
    FieldValue(std::string text) : vtype_(8), text_(std::move(text)) {}
    FieldValue(const char* text) : FieldValue(std::string(text)) {}
    FieldValue(std::int16_t n) : vtype_(2), int_(n) {}
    FieldValue(std::int32_t n) : vtype_(3), int_(n) {}
    FieldValue(double d) : vtype_(5), real_(d) {}
    FieldValue(bool b) : vtype_(11), int_(b ? -1 : 0) {}

    // text converted to the type of code vtype; nullopt when it does not convert. Codes that
    // carry no value give an Empty value.
    static std::optional<FieldValue> Convert(std::int16_t vtype, std::string_view text);
    // The empty value of a type: 0, "", False, date 0 (30/12/1899, shown as "00:00:00"); Empty for
    // codes without a value.
    static FieldValue EmptyOf(std::int16_t vtype);
    static bool CarriesValue(std::int16_t vtype);
    // The type's name as the Fields window shows it ("Integer", ..., "Unknown").
    static std::string TypeName(std::int16_t vtype);
    // Date-time texts: "yyyy-mm-dd", day-first "dd/mm/yyyy" or "dd-mm-yyyy" (two-digit years
    // 00-29 are 2000-2029), either followed by a time, or a time "hh:mm[:ss]" alone.
    static std::optional<double> ParseDateTime(std::string_view text);

    std::int16_t VType() const { return vtype_; }
    bool IsEmpty() const { return !CarriesValue(vtype_); }
    // The standard text: integers in decimal, floating point in the shortest general form,
    // Booleans "True"/"False", currency with its exact decimals ("12.5"), dates day first
    // ("03/02/2001 04:05:06"; the time alone when the whole-day part is 0, midnight included; the date
    // alone at midnight of any other day), texts unchanged.
    std::string Text() const;
    // Laid out with a display format pattern (docs/FORMATS.md); an empty pattern gives Text(), and
    // so does a pattern that cannot lay this value out. nullopt when the value cannot be shown: a
    // date-time pattern (or a Date value) outside the years a date-time can hold.
    std::optional<std::string> Format(std::string_view pattern) const;
    // The value as a number (Booleans -1/0, dates their double); nullopt for texts and Empty.
    std::optional<double> Number() const;
    long long Int() const { return int_; }
    double Real() const { return real_; }
    bool Bool() const { return int_ != 0; }
    const std::string& String() const { return text_; }

  private:
    std::int16_t vtype_ = 0;
    long long int_ = 0; // integers, Booleans, currency in ten-thousandths
    double real_ = 0;   // Single, Double, Decimal, Date
    std::string text_;  // String, Variant
};

} // namespace zeva
