// Record texts arrive from the hub: reading, iterating, setting and pipe import must end and stay
// inside the text whatever the bytes are.
#include "model/RecordText.h"
#include "model/ZVRecordType.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    zeva::ZVRecordType record;
    record.SetRawData(text);
    const std::size_t sound = zeva::RecordText::SoundLength(text);
    if (sound > text.size()) std::abort();
    std::size_t entries = 0;
    std::int16_t source = -2;
    auto walked = zeva::RecordText::EntryAt(text, 0);
    for (std::string v = record.field(source); source != -1; v = record.field(source = -1)) {
        if (++entries > size / 8 + 1) std::abort(); // every entry takes at least 8 characters
        // The index hands out the entries a walk from the start finds, and reads by number alike.
        if (!walked || walked->number != source || walked->value != v) std::abort();
        if (record.field(static_cast<int>(source)) != zeva::RecordText::Get(text, source)) std::abort();
        walked = zeva::RecordText::EntryAt(text, walked->next);
    }
    if (walked) std::abort();
    (void)record.field(101);
    if (record.SetField(101, "x")) {
        if (record.field(101) != "x") std::abort();
        if (zeva::RecordText::SoundLength(record.RawData()) != record.RawData().size()) std::abort();
    }
    const std::string imported = zeva::RecordText::ImportPipeRecord(text);
    if (zeva::RecordText::SoundLength(imported) != imported.size()) std::abort();
    return 0;
}
