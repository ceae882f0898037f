#include "display/OutputTest.h"

#include "common/FormatValue.h"
#include "display/OutputFormatter.h"
#include "display/ZVRecordClass.h"
#include "platform/Clock.h"
#include "settings/ClientSettings.h"

namespace zeva {

OutputTest::OutputTest(OutputFormatter& formatter, ZVRecordClass& records, ClientSettings& settings,
                       const Clock& clock)
    : formatter_(formatter), records_(records), settings_(settings), clock_(clock) {}

std::string OutputTest::DefaultText() {
    return kDefaultTestRecord;
}

int OutputTest::Run(std::string& testText) {
    if (testText.empty()) testText = DefaultText();
    settings_.X25TestData = testText;
    records_.ImportPipeRecord(testText);
    const std::int16_t id = records_.Valid() ? records_.LastIdentifier() : std::int16_t{-1};
    formatter_.InsertLine("********** END TEST ***********");
    // Without a new record there is nothing to show: the previous record is not shown as the test.
    if (id >= 0) formatter_.PresentRecord(id);
    const double now = clock_.Now();
    if (RecordCounted) RecordCounted(now);
    formatter_.InsertLine("********** USER TEST DATA ONLY (" + FormatValue(now, "hh:mm:ss dd/mm/yyyy") +
                          ") - NOT VALID ***********");
    return id;
}

} // namespace zeva
