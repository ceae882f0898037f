#include "model/ZVRecordType.h"

#include "model/RecordText.h"

namespace zeva {

void ZVRecordType::Clear() {
    Identifier = 0;
    RawData.clear();
    QMapTo = -1;
}

bool ZVRecordType::Copy(ZVRecordType& target) const {
    target.Identifier = Identifier;
    target.RawData = RawData;
    target.QMapTo = QMapTo;
    return true;
}

std::string ZVRecordType::field(std::int16_t& source) {
    if (source >= 0) return field(static_cast<int>(source));
    if (source != -1 && source != -2) return {};
    if (source == -2) iteration_ = 0;
    if (iteration_ < INT16_MAX) ++iteration_;
    auto e = RecordText::EntryAt(RawData, 0);
    for (int k = 1; e && k < iteration_; ++k)
        e = RecordText::EntryAt(RawData, e->next);
    if (!e) {
        source = -1;
        return {};
    }
    source = static_cast<std::int16_t>(e->number);
    return std::string(e->value);
}

std::string ZVRecordType::field(int number) const {
    return RecordText::Get(RawData, number);
}

bool ZVRecordType::SetField(int number, std::string_view value) {
    return RecordText::Set(RawData, number, value);
}

} // namespace zeva
