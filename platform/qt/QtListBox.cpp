#include "platform/qt/QtListBox.h"

#include "platform/qt/QtText.h"

#include <QListWidget>

namespace zeva {

void QtListBox::AddItem(const std::string& text, int index) {
    if (index < 0 || index > list_->count()) index = list_->count();
    list_->insertItem(index, ToQtLine(text));
}

void QtListBox::RemoveItem(int index) {
    if (index >= 0 && index < list_->count()) delete list_->takeItem(index);
}

void QtListBox::Clear() {
    list_->clear();
}

int QtListBox::ListCount() const {
    return list_->count();
}

std::string QtListBox::List(int index) const {
    const auto* item = list_->item(index);
    return item ? FromQt(item->text()) : std::string();
}

void QtListBox::SetList(int index, const std::string& text) {
    if (auto* item = list_->item(index)) item->setText(ToQtLine(text));
}

int QtListBox::ListIndex() const {
    return list_->currentRow();
}

void QtListBox::SetListIndex(int index) {
    list_->setCurrentRow(index >= 0 && index < list_->count() ? index : -1);
}

bool QtListBox::Selected(int index) const {
    const auto* item = list_->item(index);
    return item && item->isSelected();
}

void QtListBox::SetSelected(int index, bool selected) {
    if (auto* item = list_->item(index)) item->setSelected(selected);
}

bool QtListBox::Enabled() const {
    return list_->isEnabled();
}

void QtListBox::SetEnabled(bool enabled) {
    list_->setEnabled(enabled);
}

} // namespace zeva
