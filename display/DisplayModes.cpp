#include "display/DisplayModes.h"

#include "settings/ClientSettings.h"

#include <algorithm>

namespace zeva {

std::int16_t DisplayModes::CurrentMode() const {
    return (s_.WindowSelected >= 0 && s_.WindowSelected <= 5) ? s_.WindowSelected : std::int16_t{0};
}

bool DisplayModes::MultiSized() const {
    return s_.MultiWindowState != 0;
}

void DisplayModes::SetMultiSized(bool on) {
    s_.MultiWindowState = on ? 1 : 0;
}

std::optional<ModeView> DisplayModes::Select(std::int16_t m) {
    if (m < 0 || m > 5) return std::nullopt;
    const std::int16_t old = CurrentMode();
    ModeView v;
    v.Mode = m;
    v.LeftSetup = old == 4 && m != 4;
    s_.WindowSelected = m;
    v.MaximizeEnabled = m != 0 && m != 4;
    v.ClearOutputEnabled = m == 1;
    v.ShowOutput = m == 1;
    v.ShowFields = m == 2;
    v.ShowRecords = m == 3;
    v.ShowSetup = m == 4;
    // cmdFOk returns to the Records window: only a record chosen there shows it.
    v.ShowFullFields = m == 5;
    v.Checked[std::size_t(m)] = true;

    if (m == 0 || m == 4) {
        s_.XWindowState[std::size_t(m)] = kNormal;
        v.Width = kMinWidth;
        v.Height = m == 0 ? kMinHeight : kSetupHeight;
        return v;
    }
    const std::size_t k = MultiSized() ? std::size_t(m) : 0;
    const std::int16_t state = s_.XWindowState[k];
    // Choosing the mode already shown toggles; switching modes keeps the slot's state.
    if ((state == kMaximised && m != old) || (state == kNormal && m == old)) {
        s_.XWindowState[k] = kMaximised;
        v.Maximised = true;
    } else {
        s_.XWindowState[k] = kNormal;
        s_.XWindowWidth[k] = std::max(s_.XWindowWidth[k], kMinWidth);
        s_.XWindowHeight[k] = std::max(s_.XWindowHeight[k], kMinHeight);
    }
    v.Width = s_.XWindowWidth[k];
    v.Height = s_.XWindowHeight[k];
    return v;
}

ModeView DisplayModes::ShowChosenRecord() {
    ModeView v = *Select(5);
    v.ShowFullFieldsOk = true;
    return v;
}

std::optional<ModeView> DisplayModes::StartUp() {
    const std::int16_t saved = s_.WindowSelected;
    s_.WindowSelected = 0;
    auto v = Select(saved);
    return v ? v : Select(0);
}

std::optional<std::int16_t> DisplayModes::ModeForKey(char key) const {
    if (CurrentMode() == 4) return std::nullopt;
    switch (key) {
    case '1':
        return 0;
    case '2':
        return 1;
    case '3':
        return 2;
    case '4':
        return 3;
    case '5':
        return 5;
    default:
        return std::nullopt;
    }
}

ResizeResult DisplayModes::Resize(const ResizeInput& in) {
    ResizeResult r;
    if (in.Minimised) return r;
    const std::int16_t m = CurrentMode();
    if (m == 4 || m == 0) {
        const std::int32_t height = m == 4 ? kSetupHeight : kMinHeight;
        if (in.WindowWidth != kMinWidth || in.WindowHeight != height) r.WindowSize = {{kMinWidth, height}};
        return r;
    }
    std::int32_t width = in.WindowWidth, height = in.WindowHeight;
    if (!in.Maximised && (width < kMinWidth || height < kMinHeight)) {
        width = std::max(width, kMinWidth);
        height = std::max(height, kMinHeight);
        r.WindowSize = {{width, height}};
    }
    r.Layout = true;
    r.Output = in.Output;
    r.FullFields = in.FullFields;
    r.Fields = in.Fields;
    r.Records = in.Records;
    r.MemberGrid = in.MemberGrid;
    r.RecordGrid = in.RecordGrid;
    // Lists fill the client area with a margin; the frames follow the Output list and the grids
    // their frames.
    const std::int32_t listWidth = in.ClientWidth - 2 * kPaneMargin;
    const std::int32_t listHeight = in.ClientHeight - kPaneMargin - in.Output.Top;
    for (PaneRect* list : {&r.Output, &r.FullFields}) {
        list->Left = kPaneMargin;
        if (listWidth > 0) list->Width = listWidth;
        if (listHeight > 0) list->Height = listHeight;
    }
    for (PaneRect* frame : {&r.Fields, &r.Records}) {
        if (r.Output.Height - kPaneMargin > 0) frame->Height = r.Output.Height - kPaneMargin;
        if (r.Output.Width > 0) frame->Width = r.Output.Width;
    }
    for (PaneRect* grid : {&r.MemberGrid, &r.RecordGrid}) {
        const std::int32_t h = r.Output.Height - grid->Top - kGridMargin;
        const std::int32_t w = r.Output.Width - 2 * grid->Left;
        if (h > 0) grid->Height = h;
        if (w > 0) grid->Width = w;
    }
    if (!in.Maximised) {
        const std::size_t k = MultiSized() ? std::size_t(m) : 0;
        s_.XWindowWidth[k] = width;
        s_.XWindowHeight[k] = height;
    }
    return r;
}

} // namespace zeva
