#include "platform/qt/QtComboListBox.h"

#include "platform/qt/QtText.h"

#include <QComboBox>

namespace zeva {

void QtComboListBox::AddItem(const std::string& text, int index) {
    if (index < 0 || index > combo_->count()) index = combo_->count();
    // A combo box makes its first item current on its own; a list line is selected only on request.
    const int current = combo_->currentIndex();
    combo_->insertItem(index, ToQt(text));
    combo_->setCurrentIndex(current < 0 ? -1 : (current >= index ? current + 1 : current));
}

void QtComboListBox::RemoveItem(int index) {
    if (index >= 0 && index < combo_->count()) combo_->removeItem(index);
}

void QtComboListBox::Clear() {
    combo_->clear();
}

int QtComboListBox::ListCount() const {
    return combo_->count();
}

std::string QtComboListBox::List(int index) const {
    return index >= 0 && index < combo_->count() ? FromQt(combo_->itemText(index)) : std::string();
}

void QtComboListBox::SetList(int index, const std::string& text) {
    if (index >= 0 && index < combo_->count()) combo_->setItemText(index, ToQt(text));
}

int QtComboListBox::ListIndex() const {
    return combo_->currentIndex();
}

void QtComboListBox::SetListIndex(int index) {
    combo_->setCurrentIndex(index >= 0 && index < combo_->count() ? index : -1);
}

void QtComboListBox::SetSelected(int index, bool selected) {
    if (selected)
        SetListIndex(index);
    else if (index == ListIndex())
        SetListIndex(-1);
}

bool QtComboListBox::Enabled() const {
    return combo_->isEnabled();
}

void QtComboListBox::SetEnabled(bool enabled) {
    combo_->setEnabled(enabled);
}

} // namespace zeva
