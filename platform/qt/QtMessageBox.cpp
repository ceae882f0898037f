#include "platform/qt/QtMessageBox.h"

#include "platform/qt/QtCloseSignals.h"
#include "platform/qt/QtText.h"

#include <QMessageBox>

namespace zeva {

void QtMessageBox::Show(const std::string& text, MessageIcon icon, const std::string& title,
                        const std::string& detail) {
    if (QtCloseSignals::Received()) return;
    QMessageBox box(parent_);
    box.setWindowTitle(title.empty() ? QStringLiteral("ZEVA Screen Client") : ToQt(title));
    box.setText(ToQt(text));
    if (!detail.empty()) box.setInformativeText(ToQt(detail));
    // A screen reader says the title, then the text and what to do.
    box.setAccessibleName(box.windowTitle());
    box.setAccessibleDescription(detail.empty() ? box.text()
                                                : box.text() + QLatin1Char('\n') + box.informativeText());
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
