#pragma once
#include <functional>

namespace zeva::test {

// The one QApplication of the test program, on the offscreen platform.
void EnsureApp();
// Processes events until done() or ms pass; false on time-out.
bool WaitFor(const std::function<bool()>& done, int ms = 10000);

} // namespace zeva::test
