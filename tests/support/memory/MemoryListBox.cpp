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

std::string MemoryListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) return {};
    return lines_[static_cast<size_t>(index)];
}

void MemoryListBox::SetList(int index, const std::string& text) {
    if (index >= 0 && index < ListCount()) lines_[static_cast<size_t>(index)] = text;
}

void MemoryListBox::SetListIndex(int index) {
    listIndex_ = (index >= 0 && index < ListCount()) ? index : -1;
}

bool MemoryListBox::Selected(int index) const {
    if (index < 0 || index >= ListCount()) return false;
    return selected_[static_cast<size_t>(index)];
}

void MemoryListBox::SetSelected(int index, bool selected) {
    if (index >= 0 && index < ListCount()) selected_[static_cast<size_t>(index)] = selected;
}

} // namespace zeva
