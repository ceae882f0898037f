#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace zeva {

// Reads a log file line by line through its own buffer. Lines end at LF; one CR before it is
// dropped. A line longer than kMaxLine keeps its first kMaxLine bytes and the rest is skipped, so a
// file without line ends (or of binary bytes) costs bounded memory. Lines appended to the file after
// the reader met its end are read by the next call.
class LogLineReader {
  public:
    // A valid entry is at most about 10040 characters.
    static constexpr std::size_t kMaxLine = 16384;

    // Starts reading f from its current position; the reader does not own f.
    void Reset(std::FILE* file);
    // The next line into line; false at the end of the file.
    bool Next(std::string& line);
    // True when no byte is left to read.
    bool AtEnd();

  private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
};

} // namespace zeva
