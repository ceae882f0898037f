#pragma once
#include "platform/ListBox.h"

class QListWidget;

namespace zeva {

// ListBox over a QListWidget. Does not own the widget.
class QtListBox final : public ListBox {
  public:
    explicit QtListBox(QListWidget* list) : list_(list) {}
    void AddItem(const std::string& text, int index = -1) override;
    void RemoveItem(int index) override;
    void Clear() override;
    int ListCount() const override;
    std::string List(int index) const override;
    void SetList(int index, const std::string& text) override;
    int ListIndex() const override;
    void SetListIndex(int index) override;
    bool Selected(int index) const override;
    void SetSelected(int index, bool selected) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    QListWidget* widget() const { return list_; }

  private:
    QListWidget* list_;
};

} // namespace zeva
