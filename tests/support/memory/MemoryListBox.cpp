#include "tests/support/memory/MemoryListBox.h"

namespace zeva {

void MemoryListBox::AddItem(const std::string& text, int index) {
    if (index < 0 || index > ListCount()) index = ListCount();
    lines_.insert(lines_.begin() + index, text);
    selected_.insert(selected_.begin() + index, false);
    if (listIndex_ >= index) ++listIndex_;
}

void MemoryListBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) return;
    lines_.erase(lines_.begin() + index);
    selected_.erase(selected_.begin() + index);
    if (listIndex_ == index)
        listIndex_ = -1;
    else if (listIndex_ > index)
        --listIndex_;
}

void MemoryListBox::Clear() {
    lines_.clear();
    selected_.clear();
    listIndex_ = -1;
}

} // namespace zeva
