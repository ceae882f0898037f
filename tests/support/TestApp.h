#pragma once
#include <functional>

namespace zeva::test {

// The one QApplication of the test program, on the offscreen platform, with the C locale for Qt and
// for the C library, so number and date texts read the same on every machine.
void EnsureApp();
// Processes events until done() or ms pass; false on time-out.
bool WaitFor(const std::function<bool()>& done, int ms = 10000);

} // namespace zeva::test
