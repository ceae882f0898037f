#pragma once
#include "model/RecordText.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zeva {

// One caller record: its identifier in the record queue and its record text. Field values are
// reached by field number through field(); a get with -2 restarts iteration over the stored entries
// and -1 steps to the next one, handing its field number back through source (-1 when no entry is
// left). The text is indexed once when it is set, so neither a read nor a step walks it again.
class ZVRecordType {
  public:
    std::int16_t Identifier = 0;

    const std::string& RawData() const { return rawData_; }
    void SetRawData(std::string text);

    void Clear();
    bool Copy(ZVRecordType& target) const;

    std::string field(std::int16_t& source);
    std::string field(int number) const;
    // False, nothing changed, for a number outside 0..9999 or a value too long for an entry.
    bool SetField(int number, std::string_view value);

  private:
    std::string rawData_;
    RecordIndex index_;
    std::int16_t iteration_ = 0;
};

} // namespace zeva
