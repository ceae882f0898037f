#include "display/DisplayModes.h"
#include "display/FontSetup.h"
#include "settings/ClientSettings.h"

#include <gtest/gtest.h>

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
    ResizeInput Window(std::int32_t w, std::int32_t h) {
        ResizeInput in;
        in.WindowWidth = w;
        in.WindowHeight = h;
        in.ClientWidth = w;
        in.ClientHeight = h;
        in.Output = {30, 450, 100, 100};
        in.FullFields = in.Output;
        in.Fields = {30, 390, 100, 100};
        in.Records = in.Fields;
        in.MemberGrid = {120, 240, 10, 10};
        in.RecordGrid = {120, 300, 10, 10};
        return in;
    }
    // A shown window as "max" or its size "width x height".
    static std::string Shown(const std::optional<ModeView>& v) {
        if (!v) return "none";
        return v->Maximised ? "max" : std::to_string(v->Width) + "x" + std::to_string(v->Height);
    }
    ClientSettings s;
    DisplayModes modes{s};
};

TEST_F(Mode, OutputTwiceTogglesMaximisedAndBack) {
    EXPECT_EQ(Shown(modes.Select(1)), "12000x5000"); // from None, slot normal: remembered size
    EXPECT_EQ(Shown(modes.Select(1)), "max");
    EXPECT_EQ(Shown(modes.Maximize()), "12000x5000");
    // Switching modes keeps the slot's state.
    modes.Select(1);
    s.MultiWindowState = 1;
    EXPECT_EQ(Shown(modes.Select(3)), "12000x5000"); // slot 3 is normal
    s.XWindowState[1] = DisplayModes::kMaximised;
    EXPECT_EQ(Shown(modes.Select(1)), "max");
}

TEST_F(Mode, OneSharedSlotWhenNotMultisized) {
    modes.SetMultiSized(false);
    modes.Select(3);
    modes.Resize(Window(15000, 7000));
    EXPECT_EQ(s.XWindowWidth[0], 15000);
    EXPECT_EQ(Shown(modes.Select(1)), "15000x7000");
    modes.SetMultiSized(true);
    modes.Resize(Window(16000, 8000)); // Output's own slot now
    EXPECT_EQ(s.XWindowWidth[1], 16000);
    EXPECT_EQ(s.XWindowWidth[0], 15000);
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
    EXPECT_EQ(Shown(v), "9375x1635");
    EXPECT_FALSE(v->MaximizeEnabled);
    v = modes.Select(4);
    EXPECT_EQ(Shown(v), "9375x6555");
    EXPECT_TRUE(v->ShowSetup);
    EXPECT_FALSE(v->ClearOutputEnabled);
    // Any resize puts them back.
    EXPECT_EQ(*modes.Resize(Window(20000, 9000)).WindowSize, (std::array<std::int32_t, 2>{9375, 6555}));
    EXPECT_FALSE(modes.Resize(Window(9375, 6555)).WindowSize);
    modes.Select(0);
    EXPECT_EQ(*modes.Resize(Window(20000, 9000)).WindowSize, (std::array<std::int32_t, 2>{9375, 1635}));
}

TEST_F(Mode, WindowDraggedTooSmallSnapsBackAndPanesFollow) {
    s.MultiWindowState = 1;
    modes.Select(1);
    auto r = modes.Resize(Window(5000, 1000));
    ASSERT_TRUE(r.WindowSize);
    EXPECT_EQ(*r.WindowSize, (std::array<std::int32_t, 2>{9375, 1635}));
    EXPECT_EQ(s.XWindowWidth[1], 9375);
    EXPECT_EQ(s.XWindowHeight[1], 1635);
    r = modes.Resize(Window(12000, 6000));
    EXPECT_FALSE(r.WindowSize);
    ASSERT_TRUE(r.Layout);
    EXPECT_EQ(r.Output.Left, 40);
    EXPECT_EQ(r.Output.Width, 12000 - 80);
    EXPECT_EQ(r.Output.Height, 6000 - 40 - 450);
    EXPECT_EQ(r.FullFields.Height, r.Output.Height);
    EXPECT_EQ(r.Records.Height, r.Output.Height - 40);
    EXPECT_EQ(r.Records.Width, r.Output.Width);
    EXPECT_EQ(r.RecordGrid.Height, r.Output.Height - 300 - 80);
    EXPECT_EQ(r.RecordGrid.Width, r.Output.Width - 240);
    EXPECT_EQ(r.MemberGrid.Height, r.Output.Height - 240 - 80);
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
    const ModeView chosen = modes.ShowChosenRecord();
    EXPECT_TRUE(chosen.ShowFullFields && chosen.ShowFullFieldsOk && chosen.Mode == 5);
    EXPECT_FALSE(v->ShowOutput || v->ShowFields || v->ShowRecords || v->ShowSetup);
    EXPECT_EQ(v->Checked, (std::array<bool, 6>{false, false, false, false, false, true}));
    EXPECT_TRUE(modes.Select(1)->ClearOutputEnabled);
    EXPECT_EQ(modes.ModeForKey('1'), 0);
    EXPECT_EQ(modes.ModeForKey('5'), 5);
    EXPECT_FALSE(modes.ModeForKey('6'));
    EXPECT_FALSE(modes.Select(4)->LeftSetup);
    EXPECT_FALSE(modes.ModeForKey('2')); // keys do nothing on the Setup pane
    EXPECT_TRUE(modes.Select(2)->LeftSetup);
    EXPECT_FALSE(modes.Select(3)->LeftSetup);
    EXPECT_FALSE(modes.Select(6));
    EXPECT_FALSE(modes.Select(-1));
    EXPECT_EQ(modes.CurrentMode(), 3);
}

TEST_F(Mode, StartUpShowsTheSavedModeWithItsSlotState) {
    s.WindowSelected = 1;
    s.MultiWindowState = 1;
    s.XWindowState[1] = DisplayModes::kMaximised;
    auto v = modes.StartUp();
    EXPECT_EQ(v->Mode, 1);
    EXPECT_EQ(Shown(v), "max"); // reset to 0 first, so not a toggle
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
    FontStyle courier;
    courier.Name = "Courier New";
    courier.ForeColor = 255;
    f.SetFont(FontSetup::kOutput, courier);
    f.SetTarget(FontSetup::kRecords);
    FontStyle chosen;
    chosen.Name = "Arial";
    chosen.Bold = true;
    chosen.Size = 12;
    chosen.ForeColor = 99; // the font dialog does not carry colours
    f.ApplyFont(chosen);
    f.ApplyBackColor(0x00FFFF);
    EXPECT_EQ(f.Font(FontSetup::kRecords).Name, "Arial");
    EXPECT_TRUE(f.Font(FontSetup::kRecords).Bold);
    EXPECT_EQ(f.Font(FontSetup::kRecords).ForeColor, 0u);
    EXPECT_EQ(f.Font(FontSetup::kRecords).BackColor, 0x00FFFFu);
    EXPECT_EQ(f.Font(FontSetup::kOutput).Name, "Courier New");
    f.SetTarget(9);
    EXPECT_EQ(f.Target(), FontSetup::kOutput);

    ClientSettings s;
    f.Store(s);
    EXPECT_EQ(s.RecordWindowFont, "True|False|Arial|12|False|False|0|65535");
    FontSetup g;
    EXPECT_EQ(g.LoadStored(s), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(g.Font(FontSetup::kRecords).Name, "Arial");
    EXPECT_EQ(g.Font(FontSetup::kOutput).ForeColor, 255u);
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
