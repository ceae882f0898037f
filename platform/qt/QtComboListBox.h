#pragma once
#include "platform/ListBox.h"

class QComboBox;

namespace zeva {

// ListBox over a QComboBox, for the drop-down lists: the current item is the selected line and
// the only one Selected() reports. Does not own the widget.
class QtComboListBox final : public ListBox {
  public:
    explicit QtComboListBox(QComboBox* combo) : combo_(combo) {}
    void AddItem(const std::string& text, int index = -1) override;
    void RemoveItem(int index) override;
    void Clear() override;
    int ListCount() const override;
    std::string List(int index) const override;
    void SetList(int index, const std::string& text) override;
    int ListIndex() const override;
    void SetListIndex(int index) override;
    bool Selected(int index) const override { return index >= 0 && index == ListIndex(); }
    void SetSelected(int index, bool selected) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    QComboBox* widget() const { return combo_; }

  private:
    QComboBox* combo_;
};

} // namespace zeva
