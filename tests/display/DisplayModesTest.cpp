#include "display/DisplayModes.h"
#include "display/FontSetup.h"
#include "settings/ClientSettings.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

namespace zeva {
namespace {

class Mode : public ::testing::Test {
  protected:
    void SetUp() override {
        s.WindowSelected = 0;
        s.XWindowState.fill(DisplayModes::kNormal);
        s.XWindowWidth.fill(12000);
        s.XWindowHeight.fill(5000);
    }
    static ResizeInput Window(std::int32_t w, std::int32_t h) {
        const PaneRect output{30, 450, 100, 100}, fields{30, 390, 100, 100};
        // The window's and the inner area's sizes, neither minimised nor maximised, then the panes.
        return {
            w, h, w, h, false, false, output, output, fields, fields, {120, 240, 10, 10}, {120, 300, 10, 10}};
    }
    // A shown window as "max" or its size "width x height".
    static std::string Shown(const std::optional<ModeView>& v) {
        if (!v) return "none";
        return v->Maximised ? "max" : std::to_string(v->Width) + "x" + std::to_string(v->Height);
    }
    ClientSettings s;
    DisplayModes modes{s};
};

TEST_F(Mode, OneSharedSlotWhenNotMultisized) {
    modes.SetMultiSized(false);
    modes.Select(3);
    modes.Resize(Window(15000, 7000));
    EXPECT_EQ(Shown(modes.Select(1)), "15000x7000");
    modes.SetMultiSized(true);
    modes.Resize(Window(16000, 8000)); // Output's own slot now
    EXPECT_EQ(std::tuple(s.XWindowWidth[0], s.XWindowWidth[1]), std::tuple(15000, 16000));
    EXPECT_EQ(Shown(modes.Select(3)), "12000x5000");
    // A maximised window is not remembered.
    auto in = Window(30000, 20000);
    in.Maximised = true;
    modes.Resize(in);
    EXPECT_EQ(s.XWindowWidth[3], 12000);
}

TEST_F(Mode, NoneAndSetupHaveFixedSizes) {
    s.XWindowState.fill(DisplayModes::kMaximised);
    auto v = modes.Select(0);
    EXPECT_EQ(std::tuple(Shown(v), v->MaximizeEnabled), std::tuple("9375x1635", false));
    EXPECT_EQ(modes.Resize(Window(20000, 9000)).WindowSize, (std::array<std::int32_t, 2>{9375, 1635}));
    v = modes.Select(4);
    EXPECT_EQ(std::tuple(Shown(v), v->ShowSetup, v->ClearOutputEnabled),
              std::tuple("9375x6555", true, false));
    // Any resize puts them back.
    EXPECT_EQ(modes.Resize(Window(20000, 9000)).WindowSize, (std::array<std::int32_t, 2>{9375, 6555}));
    EXPECT_FALSE(modes.Resize(Window(9375, 6555)).WindowSize);
}

TEST_F(Mode, WindowDraggedTooSmallSnapsBackAndPanesFollow) {
    s.MultiWindowState = 1;
    modes.Select(1);
    auto r = modes.Resize(Window(5000, 1000));
    EXPECT_EQ(r.WindowSize, (std::array<std::int32_t, 2>{9375, 1635}));
    EXPECT_EQ(std::tuple(s.XWindowWidth[1], s.XWindowHeight[1]), std::tuple(9375, 1635));
    r = modes.Resize(Window(12000, 6000));
    ASSERT_TRUE(r.Layout && !r.WindowSize);
    const int w = 12000 - 80, h = 6000 - 40 - 450; // the Output pane's width and height
    EXPECT_EQ(std::tuple(r.Output.Left, r.Output.Width, r.Output.Height, r.FullFields.Height,
                         r.Records.Height, r.Records.Width, r.RecordGrid.Height, r.RecordGrid.Width,
                         r.MemberGrid.Height),
              std::tuple(40, w, h, h, h - 40, w, h - 300 - 80, w - 240, h - 240 - 80));
    // A minimised window changes nothing.
    auto in = Window(100, 100);
    in.Minimised = true;
    EXPECT_FALSE(modes.Resize(in).Layout);
    EXPECT_EQ(s.XWindowWidth[1], 12000);
}

TEST_F(Mode, PanesMenuItemsKeysAndLeavingSetup) {
    auto v = modes.Select(5);
    // The OK button belongs to a record chosen from the Records window, not to the mode itself.
    EXPECT_TRUE(v->ShowFullFields && !v->ShowFullFieldsOk);
    EXPECT_FALSE(v->ShowOutput || v->ShowFields || v->ShowRecords || v->ShowSetup);
    const ModeView chosen = modes.ShowChosenRecord();
    EXPECT_TRUE(chosen.ShowFullFields && chosen.ShowFullFieldsOk && chosen.Mode == 5);
    EXPECT_EQ(v->Checked, (std::array<bool, 6>{false, false, false, false, false, true}));
    EXPECT_TRUE(modes.Select(1)->ClearOutputEnabled);
    std::vector<std::optional<std::int16_t>> byKey;
    for (char key = '1'; key <= '6'; ++key)
        byKey.push_back(modes.ModeForKey(key));
    EXPECT_EQ(byKey, (std::vector<std::optional<std::int16_t>>{0, 1, 2, 3, 5, std::nullopt}));
    EXPECT_FALSE(modes.Select(4)->LeftSetup);
    EXPECT_FALSE(modes.ModeForKey('2')); // keys do nothing on the Setup pane
    EXPECT_TRUE(modes.Select(2)->LeftSetup);
    EXPECT_FALSE(modes.Select(3)->LeftSetup);
    EXPECT_FALSE(modes.Select(6) || modes.Select(-1));
    EXPECT_EQ(modes.CurrentMode(), 3);
}

TEST_F(Mode, StartUpShowsTheSavedModeWithItsSlotStateAndTheSameModeAgainToggles) {
    s.WindowSelected = 1;
    s.MultiWindowState = 1;
    s.XWindowState[1] = DisplayModes::kMaximised;
    auto v = modes.StartUp(); // reset to 0 first, so not a toggle
    EXPECT_EQ(std::tuple(v->Mode, Shown(v)), std::tuple(1, "max"));
    // The same mode again toggles between maximised and the slot's size.
    EXPECT_EQ(Shown(modes.Select(1)), "12000x5000");
    EXPECT_EQ(Shown(modes.Select(1)), "max");
    EXPECT_EQ(Shown(modes.Maximize()), "12000x5000"); // the window's maximise button toggles too
    s.WindowSelected = 4;
    EXPECT_FALSE(modes.StartUp()->LeftSetup);
    s.WindowSelected = 77; // a damaged setting shows None
    EXPECT_EQ(modes.StartUp()->Mode, 0);
    // Slot sizes below the minimum are raised when shown.
    s.XWindowWidth[2] = 10;
    s.XWindowHeight[2] = -4;
    EXPECT_EQ(Shown(modes.Select(2)), "9375x1635");
}

TEST(ModeFonts, TargetDialogsAndTheNullRule) {
    FontSetup f;
    f.SetFont(FontSetup::kOutput, {.Name = "Courier New", .ForeColor = 255});
    f.SetTarget(FontSetup::kRecords);
    f.ApplyFont({.Bold = true, .Name = "Arial", .Size = 12, .ForeColor = 99}); // the dialog carries no colour
    f.ApplyBackColor(0x00FFFF);
    f.SetTarget(9);
    EXPECT_EQ(f.Target(), FontSetup::kOutput);

    // The Records font as chosen, without the dialog's colour, on the chosen back colour.
    ClientSettings s;
    f.Store(s);
    EXPECT_EQ(s.RecordWindowFont, "True|False|Arial|12|False|False|0|65535");
    EXPECT_EQ(s.OutputWindowFont, "False|False|Courier New|8.25|False|False|255|16777215");
    FontSetup g;
    EXPECT_EQ(g.LoadStored(s), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(std::tuple(g.Font(FontSetup::kRecords).Name, g.Font(FontSetup::kOutput).ForeColor),
              std::tuple("Arial", 255u));
    // "NULL" in OutputWindowFont: none of the three is applied.
    s.OutputWindowFont = "NULL";
    FontSetup h;
    EXPECT_TRUE(h.LoadStored(s).empty());
    EXPECT_EQ(h.Font(FontSetup::kRecords).Name, FontStyle{}.Name);
    // An empty text leaves its pane as it is.
    s.OutputWindowFont = "";
    EXPECT_EQ(h.LoadStored(s), (std::vector<int>{1, 2}));
}

} // namespace
} // namespace zeva
