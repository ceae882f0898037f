#pragma once
#include <functional>
#include <string>

namespace zeva {

class Clock;
class OutputFormatter;
class ZVRecordClass;
struct ClientSettings;

// The Output Test of the setup screen ("&Test" and "&Default"): a pipe-delimited test line goes
// through the record queue and the formatter like a received record, framed by a header line and
// an end line that mark it as test data.
class OutputTest {
  public:
    OutputTest(OutputFormatter& formatter, ZVRecordClass& records, ClientSettings& settings,
               const Clock& clock);

    // The text "&Default" puts into the test box: the built-in test record.
    static std::string DefaultText();
    // "&Test": testText is the box's text; an empty box is filled with the default first (the
    // caller shows testText back). The text becomes the X25TestData setting. Returns the record's
    // identifier, -1 when the queue had no free identifier.
    int Run(std::string& testText);

    // Called once per test record with the current time: the window adds one to the records
    // processed counter and shows the time in the last-record label.
    std::function<void(double now)> RecordCounted;

  private:
    OutputFormatter& formatter_;
    ZVRecordClass& records_;
    ClientSettings& settings_;
    const Clock& clock_;
};

} // namespace zeva
