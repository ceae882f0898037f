// Definition packets come back from record logs: any bytes must be refused or read as far as they
// are sound, and whatever was read must write and read back the same.
#include "model/ZVFieldType.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zeva::ZVFieldType f;
    if (!f.ExtractPacket(std::string(reinterpret_cast<const char*>(data), size))) return 0;
    std::string packet;
    if (!f.CreatePacket(packet)) return 0;
    zeva::ZVFieldType back;
    if (!back.ExtractPacket(packet) && packet.size() <= zeva::ZVFieldType::kMaxPacket) std::abort();
    if (packet.size() <= zeva::ZVFieldType::kMaxPacket &&
        (back.Identifier != f.Identifier || back.VType != f.VType || back.Title != f.Title ||
         back.Maxsize != f.Maxsize || back.DBase != f.DBase))
        std::abort();
    return 0;
}
