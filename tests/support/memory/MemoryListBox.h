#pragma once
#include "platform/ListBox.h"

#include <vector>

namespace zeva {

// In-memory list box for tests: keeps lines, the selected index and per-line selection.
class MemoryListBox final : public ListBox {
  public:
    void AddItem(const std::string& text, int index = -1) override;
    void RemoveItem(int index) override;
    void Clear() override;
    int ListCount() const override { return static_cast<int>(lines_.size()); }
    std::string List(int index) const override;
    void SetList(int index, const std::string& text) override;
    int ListIndex() const override { return listIndex_; }
    void SetListIndex(int index) override;
    bool Selected(int index) const override;
    void SetSelected(int index, bool selected) override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }

    const std::vector<std::string>& Lines() const { return lines_; }

  private:
    std::vector<std::string> lines_;
    std::vector<bool> selected_;
    int listIndex_ = -1;
    bool enabled_ = true;
};

} // namespace zeva
