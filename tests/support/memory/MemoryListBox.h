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
    std::string List(int index) const override { return In(index) ? lines_[size_t(index)] : ""; }
    void SetList(int index, const std::string& text) override {
        if (In(index)) lines_[size_t(index)] = text;
    }
    int ListIndex() const override { return listIndex_; }
    void SetListIndex(int index) override { listIndex_ = In(index) ? index : -1; }
    bool Selected(int index) const override { return In(index) && selected_[size_t(index)]; }
    void SetSelected(int index, bool selected) override {
        if (In(index)) selected_[size_t(index)] = selected;
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }

    const std::vector<std::string>& Lines() const { return lines_; }

  private:
    bool In(int index) const { return index >= 0 && index < ListCount(); }

    std::vector<std::string> lines_;
    std::vector<bool> selected_;
    int listIndex_ = -1;
    bool enabled_ = true;
};

} // namespace zeva
