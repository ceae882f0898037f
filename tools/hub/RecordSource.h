#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeva {

// Caller records the test hub hands out: the lines of a file, or generated from the default test
// record with field 102 carrying the record's sequence number.
class RecordSource {
  public:
    // The default test record as a pipe-delimited line (fields 101 to 153).
    static const std::string& DefaultTestLine();
    // Values numbered from field 101: "a|b" gives entries 101 = a and 102 = b.
    static std::string PipeToRecordText(std::string_view line);

    RecordSource(); // generated records
    // Pipe-delimited lines (any line holding "|") become record texts; other lines are taken as
    // record texts as they are. Empty lines are skipped. False with error filled on failure.
    bool LoadFile(const std::string& path, std::string& error);
    bool Generated() const { return lines_.empty(); }
    std::size_t FileRecords() const { return lines_.size(); }
    // Record number index (0-based); a file repeats from its start.
    std::string Record(std::uint64_t index) const;

  private:
    std::vector<std::string> lines_;
};

} // namespace zeva
