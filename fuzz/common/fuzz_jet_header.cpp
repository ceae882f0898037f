#include "common/JetHeader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace zeva;

// Input: the first bytes of a field database file. The answer depends on the header alone, and a
// file called Jet starts as one.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const JetVersion version = JetVersionOf(bytes);
    if (version != JetVersionOf(bytes.substr(0, kJetHeaderBytes))) std::abort();
    if (version != JetVersion::None &&
        (size < kJetHeaderBytes || bytes.substr(0, 4) != std::string_view("\0\1\0\0", 4)))
        std::abort();
    if (JetVersionName(version) == nullptr) std::abort();
    return 0;
}
