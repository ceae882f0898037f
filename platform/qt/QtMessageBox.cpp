#include "platform/qt/QtMessageBox.h"

#include "platform/qt/QtText.h"

#include <QMessageBox>

namespace zeva {

void QtMessageBox::Show(const std::string& text, MessageIcon icon, const std::string& title) {
    QMessageBox box(parent_);
    box.setWindowTitle(title.empty() ? QStringLiteral("ZEVA Screen Client") : ToQt(title));
    box.setText(ToQt(text));
    // A screen reader says the title, then the text.
    box.setAccessibleName(box.windowTitle());
    box.setAccessibleDescription(box.text());
    switch (icon) {
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace zeva
