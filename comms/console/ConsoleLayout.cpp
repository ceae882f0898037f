#include "comms/console/ConsoleLayout.h"

#include <algorithm>

namespace zeva {

namespace {
constexpr int kMargin = 40;
constexpr int kListTop = 500;
constexpr int kListHeight = 2000;
constexpr int kScrollBarRoom = 350; // the value column stops short of the vertical scroll bar
} // namespace

void ConsoleLayout::EnforceMinimum(int& windowWidth, int& windowHeight) {
    windowWidth = std::max(windowWidth, kMinWidth);
    windowHeight = std::max(windowHeight, kMinHeight);
}

ConsoleLayout ConsoleLayout::Compute(int clientWidth, int clientHeight, int col0Width) {
    ConsoleLayout l;
    const int width = std::max(0, clientWidth - 2 * kMargin);
    l.list = {kMargin, kListTop, width, kListHeight};
    const int gridTop = kListTop + kListHeight + kMargin;
    l.grid = {kMargin, gridTop, width, std::max(0, clientHeight - gridTop)};
    l.gridCol1Width = std::max(0, width - col0Width - kScrollBarRoom);
    return l;
}

} // namespace zeva
