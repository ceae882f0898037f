#pragma once
#include "settings/FontStyle.h"

#include <QFont>

class QWidget;

namespace zeva {

// A font as the settings keep it, as Qt draws it, and back. A size of 0 or less is the legacy
// default of 8.25 points either way.
QFont ToQFont(const FontStyle& font);
// The six font values of a QFont into font; its colours stay.
void CopyFont(const QFont& qfont, FontStyle& font);

// A widget's font and colours (text and background) as the settings keep them, and back.
FontStyle FontOf(const QWidget* widget);
void ApplyFontTo(QWidget* widget, const FontStyle& font);

} // namespace zeva
