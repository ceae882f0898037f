#include "platform/qt/ValueLabel.h"

namespace zeva {

ValueLabel::ValueLabel(const QString& caption, QWidget* parent) : QLabel(parent), caption_(caption) {
    setAccessibleName(caption_);
}

void ValueLabel::setText(const QString& value) {
    // The same text again changes nothing: no new layout of the row and no repaint.
    if (value == text()) return;
    QLabel::setText(value);
    const QString shown = value.trimmed();
    QString name = caption_;
    if (shown.startsWith(caption_))
        name = shown;
    else if (!shown.isEmpty())
        name += QStringLiteral(": ") + shown;
    if (name != accessibleName()) setAccessibleName(name);
}

} // namespace zeva
