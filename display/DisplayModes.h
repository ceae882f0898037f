#pragma once
#include <array>
#include <cstdint>
#include <optional>

namespace zeva {

struct ClientSettings;

// What the window shows after a display mode command: which pane, which menu items are enabled
// and checked, and the window state and size to apply (twips).
struct ModeView {
    std::int16_t Mode = 0;
    // The Setup pane was left: re-read the display-format list and save the output settings.
    bool LeftSetup = false;
    bool MaximizeEnabled = false;
    bool ClearOutputEnabled = false;
    bool ShowOutput = false, ShowFields = false, ShowRecords = false, ShowSetup = false,
         ShowFullFields = false;
    bool ShowFullFieldsOk = false; // cmdFOk: only for a record chosen from the Records window
    std::array<bool, 6> Checked{};
    bool Maximised = false;
    std::int32_t Width = 0, Height = 0; // when not maximised
};

// A pane's place in twips.
struct PaneRect {
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// The window and panes as they are when the window has been resized.
struct ResizeInput {
    std::int32_t WindowWidth = 0, WindowHeight = 0; // the size the window now has
    std::int32_t ClientWidth = 0, ClientHeight = 0; // the inner area the panes share
    bool Minimised = false, Maximised = false;
    PaneRect Output, FullFields, Fields, Records, MemberGrid, RecordGrid;
};

// The panes' new places and, when the window is to take another size, that size.
struct ResizeResult {
    std::optional<std::array<std::int32_t, 2>> WindowSize; // width, height
    bool Layout = false;                                   // the pane rectangles below apply
    PaneRect Output, FullFields, Fields, Records, MemberGrid, RecordGrid;
};

// The display modes of the main window: 0 None, 1 Output, 2 Fields, 3 Records, 4 Setup, 5 Full
// fields. Each mode remembers a window state and size in ClientSettings (XWindowState,
// XWindowWidth, XWindowHeight), or modes 1, 2, 3 and 5 share slot 0 when "Allow multisized
// Windows" (MultiWindowState) is off. Sizes are twips; the window converts at its boundary.
// The window forwards its events here and applies what comes back.
class DisplayModes {
  public:
    static constexpr std::int32_t kMinWidth = 9375, kMinHeight = 1635, kSetupHeight = 6555;
    static constexpr std::int32_t kPaneMargin = 40, kGridMargin = 80;
    static constexpr std::int16_t kNormal = 0, kMaximised = 2;

    explicit DisplayModes(ClientSettings& settings) : s_(settings) {}

    std::int16_t CurrentMode() const;
    bool MultiSized() const;
    void SetMultiSized(bool on);

    // The mode command (menu items, images, number keys); nullopt for a mode outside 0..5.
    std::optional<ModeView> Select(std::int16_t mode);
    // A record chosen in the Records window: the Full fields display with its OK button, which
    // returns to the Records window. Chosen any other way, the Full fields display has no OK.
    ModeView ShowChosenRecord();
    // Start-up: the saved mode with the remembered current mode reset to 0 first.
    std::optional<ModeView> StartUp();
    // "&Maximize": the mode command with the current mode (toggles maximised and remembered size).
    ModeView Maximize() { return *Select(CurrentMode()); }
    // Number keys "1".."5" give modes 0, 1, 2, 3, 5; nothing while the Setup pane is shown.
    std::optional<std::int16_t> ModeForKey(char key) const;
    // The window changed size: minimums, the pane layout and the remembered size.
    ResizeResult Resize(const ResizeInput& in);

  private:
    ClientSettings& s_;
};

} // namespace zeva
