#pragma once
#include "common/Cp1252.h"

#include <QString>
#include <string>

namespace zeva {

// The CP1252 <-> QString boundary: every text crossing into a widget goes through these.
inline QString ToQt(const std::string& cp1252) {
    return QString::fromStdString(Cp1252ToUtf8(cp1252));
}
inline std::string FromQt(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

// Twips to pixels at 96 dpi; the caller scales by the screen's logical dpi where it matters.
inline int TwipsToPixels(double twips) {
    return static_cast<int>(twips / 15.0 + 0.5);
}
inline double PixelsToTwips(int pixels) {
    return pixels * 15.0;
}

} // namespace zeva
