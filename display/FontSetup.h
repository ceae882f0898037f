#pragma once
#include "settings/FontStyle.h"

#include <array>
#include <vector>

namespace zeva {

struct ClientSettings;

// The Setup pane's font setup: the option buttons pick a pane (Output, Fields, Records, Full
// fields), "Font Type", "Foreground" and "Background" change that pane's font or colours through
// the font and colour dialogs. The window shows the dialogs, preloaded from TargetFont(), and hands
// the operator's choice back; cancelling hands nothing back. The fonts of the Output list, the
// Fields grid and the Records grid are stored; the Full fields list's are not.
class FontSetup {
  public:
    enum Target { kOutput = 0, kFields = 1, kRecords = 2, kFullFields = 3 };

    // The panes' fonts as the window built them.
    void SetFont(int target, const FontStyle& font);
    const FontStyle& Font(int target) const;

    void SetTarget(int target);
    int Target() const { return target_; }
    const FontStyle& TargetFont() const { return fonts_[std::size_t(target_)]; }

    // "Font Type" accepted: name, bold, italic, size, strikethrough and underline; colours stay.
    void ApplyFont(const FontStyle& chosen);
    void ApplyForeColor(std::uint32_t colour);
    void ApplyBackColor(std::uint32_t colour);

    // Start-up: unless OutputWindowFont is the text "NULL", the three stored fonts are read onto
    // the Output, Fields and Records panes in that order (an empty text leaves a pane as it is).
    // The targets to apply to the widgets; none under the "NULL" rule.
    std::vector<int> LoadStored(const ClientSettings& s);
    // Shutdown: the three font texts.
    void Store(ClientSettings& s) const;

  private:
    std::array<FontStyle, 4> fonts_{};
    int target_ = kOutput;
};

} // namespace zeva
