#include "display/ui/NumericBoxFilter.h"

#include "display/DisplayFormatEditor.h"
#include "platform/qt/QtText.h"

#include <QLineEdit>

namespace zeva {

void InstallNumericFilter(QLineEdit* box, int digits) {
    box->setMaxLength(digits);
    QObject::connect(box, &QLineEdit::textEdited, box, [box, digits](const QString& text) {
        const QString kept = ToQt(NumericBoxText(FromQt(text), digits));
        if (kept != text) {
            const int cursor = std::min(box->cursorPosition(), int(kept.size()));
            box->setText(kept);
            box->setCursorPosition(cursor);
        }
    });
}

} // namespace zeva
