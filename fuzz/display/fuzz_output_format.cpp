// Display-format list lines and a record text from arbitrary bytes through the parser and the
// formatter. The first bytes pick the output settings; then list lines separated by '\n' up to a
// NUL byte; the rest is the record text. A block must never exceed its line count or line width.
#include "display/OutputFormatter.h"
#include "display/ZVRecordClass.h"
#include "settings/ClientSettings.h"
#include "tests/support/memory/MemoryListBox.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zeva;
    if (size < 6) return 0;
    ClientSettings s;
    s.CharactersPerPage = static_cast<std::int16_t>(1 + data[0] % 160);
    s.LinesPerRecord = static_cast<std::int16_t>(1 + data[1] % 50);
    s.LineIndentCharacters = static_cast<std::int16_t>(data[2] % 170);
    s.TextFormat = data[3] & 1;
    s.ShowTruncIndicator = data[3] & 2;
    s.FixedLinesPerRecord = data[3] & 4;
    s.NoOfPostLines = static_cast<std::int16_t>(data[4] % 4);
    s.FullFieldsJustify = static_cast<std::int16_t>(data[5] % 40);
    s.MaxEntriesInOutput = 10000;
    const std::string rest(reinterpret_cast<const char*>(data + 6), size - 6);
    const std::size_t nul = rest.find('\0');
    const std::string listText = rest.substr(0, nul);
    const std::string record = nul == std::string::npos ? std::string() : rest.substr(nul + 1);

    std::vector<std::string> lines;
    std::size_t p = 0;
    while (p <= listText.size()) {
        const std::size_t nl = listText.find('\n', p);
        lines.push_back(listText.substr(p, nl == std::string::npos ? std::string::npos : nl - p));
        if (nl == std::string::npos) break;
        p = nl + 1;
    }

    ZVRecordClass records;
    MemoryListBox output, full;
    OutputFormatter formatter(records, nullptr, s, output, full);
    formatter.ParseDisplayFormatList(lines);
    if (formatter.Entries().size() > 100) std::abort();
    const std::int16_t id = records.NewRecord();
    records.SetRRawData(id, record);
    formatter.FormatRecordToOutput(id);
    formatter.ShowFullFields(id);
    const int W = s.CharactersPerPage, L = s.LinesPerRecord;
    if (output.ListCount() > L + s.NoOfPostLines) std::abort();
    for (const auto& line : output.Lines())
        if (static_cast<int>(line.size()) > W) std::abort();
    return 0;
}
