#include "tools/hub/RecordSource.h"

#include <cstdio>
#include <fstream>

namespace zeva {

namespace {

void AppendEntry(std::string& out, int field, std::string_view value) {
    // A value too long for the four-digit entry length is cut: the record text must stay readable.
    value = value.substr(0, 9995);
    char head[24];
    std::snprintf(head, sizeof head, "%04u%04d", static_cast<unsigned>(value.size() + 4), field % 10000);
    out.append(head, 8);
    out.append(value);
}

} // namespace

const std::string& RecordSource::DefaultTestLine() {
    static const std::string line =
        "3|123456|2001-02-03|04:05:06|0311112222|A|TOLE|MARGARET|THE LAMP KEEPER|MS|FL|12|B|14|B|FL|210|C|"
        "EAST BUILDING||||456|||||WATERLOO|ST|||||HOLTON||VIC|3000|LE||AAA|THE RIVERBRIDGE TV STUDIOS||"
        "0355554444||TELCOA|2001-02-03 04:00:00|2001-02-03 04:00:00|T|555|MAINS SERVICE NSW||F|F";
    return line;
}

std::string RecordSource::PipeToRecordText(std::string_view line) {
    std::string out;
    int field = 101;
    std::size_t p = 0;
    for (;;) {
        const std::size_t bar = line.find('|', p);
        AppendEntry(out, field,
                    line.substr(p, bar == std::string_view::npos ? std::string_view::npos : bar - p));
        if (bar == std::string_view::npos) break;
        p = bar + 1;
        ++field;
    }
    return out;
}

RecordSource::RecordSource() = default;

bool RecordSource::LoadFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        lines.push_back(line.find('|') != std::string::npos ? PipeToRecordText(line) : line);
    }
    if (lines.empty()) {
        error = path + " holds no records";
        return false;
    }
    lines_ = std::move(lines);
    return true;
}

std::string RecordSource::Record(std::uint64_t index) const {
    if (!lines_.empty()) return lines_[index % lines_.size()];
    std::string line = DefaultTestLine();
    char seq[16];
    std::snprintf(seq, sizeof seq, "%06u", static_cast<unsigned>(index % 1000000));
    line.replace(2, 6, seq); // field 102: the six-digit sequence number
    return PipeToRecordText(line);
}

} // namespace zeva
