#pragma once

namespace zeva {

// Where the comms console puts its controls, in twips. The log list and the member grid follow the
// window's size; the error label and the Hide button keep their places. A window smaller than the
// minimum is brought back to it, so the grid always has room for its header and a few rows.
struct ConsoleLayout {
    struct Rect {
        int left = 0, top = 0, width = 0, height = 0;
        bool operator==(const Rect&) const = default;
    };

    static constexpr int kMinWidth = 7545;
    static constexpr int kMinHeight = 6300;
    static constexpr Rect kHideButton{6390, 120, 570, 255};
    static constexpr Rect kErrorLabel{600, 120, 5775, 255};

    Rect list;
    Rect grid;
    int gridCol1Width = 0;

    // The window size the window must have: widened or heightened to the minimum where smaller.
    static void EnforceMinimum(int& windowWidth, int& windowHeight);
    // The list, the grid and the grid's value column for a client area of that size, when the
    // grid's name column is col0Width wide. Sizes never go below 0.
    static ConsoleLayout Compute(int clientWidth, int clientHeight, int col0Width);
};

} // namespace zeva
