#pragma once
#include <string>

namespace zeva {

// A list window of the VB ListBox kind: lines of CP1252 text, index 0 on top, one selected line.
// Plain classes fill lists only through this interface; Qt windows wrap a QListWidget in QtListBox.
class ListBox {
  public:
    virtual ~ListBox() = default;
    // Inserts a line at index (0 = top); an index of -1 or past the end appends.
    virtual void AddItem(const std::string& text, int index = -1) = 0;
    virtual void RemoveItem(int index) = 0;
    virtual void Clear() = 0;
    virtual int ListCount() const = 0;
    virtual std::string List(int index) const = 0;
    virtual void SetList(int index, const std::string& text) = 0;
    // -1 when nothing is selected.
    virtual int ListIndex() const = 0;
    virtual void SetListIndex(int index) = 0;
    // Multi-select lists (the X25 client selection) use the per-item selection.
    virtual bool Selected(int index) const = 0;
    virtual void SetSelected(int index, bool selected) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

} // namespace zeva
