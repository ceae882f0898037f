#include "model/ZVRecordType.h"

namespace zeva {

void ZVRecordType::SetRawData(std::string text) {
    rawData_ = std::move(text);
    index_.Build(rawData_);
}

void ZVRecordType::Clear() {
    Identifier = 0;
    SetRawData({});
}

bool ZVRecordType::Copy(ZVRecordType& target) const {
    target.Identifier = Identifier;
    target.rawData_ = rawData_;
    target.index_ = index_; // offsets, so they hold for the copy
    return true;
}

std::string ZVRecordType::field(std::int16_t& source) {
    if (source >= 0) return field(static_cast<int>(source));
    if (source != -1 && source != -2) return {};
    if (source == -2) iteration_ = 0;
    if (iteration_ < INT16_MAX) ++iteration_;
    const auto e = index_.At(rawData_, static_cast<std::size_t>(iteration_ - 1));
    if (!e) {
        source = -1;
        return {};
    }
    source = static_cast<std::int16_t>(e->number);
    return std::string(e->value);
}

std::string ZVRecordType::field(int number) const {
    return std::string(index_.Find(rawData_, number).value_or(""));
}

bool ZVRecordType::SetField(int number, std::string_view value) {
    if (!RecordText::Set(rawData_, number, value)) return false;
    index_.Build(rawData_);
    return true;
}

} // namespace zeva
