#pragma once
#include "common/Cp1252.h"

#include <QColor>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace zeva {

// The CP1252 <-> QString boundary: every text crossing into a widget goes through these.
inline QString ToQt(const std::string& cp1252) {
    return QString::fromStdString(Cp1252ToUtf8(cp1252));
}
inline std::string FromQt(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}
// A text shown as one line of a list or a grid cell. A control character (a line break or a tab in
// a value from the hub) shows as one blank: the line stays one line of the list's height, and what
// follows stays in the column the layout counted for it.
inline QString ToQtLine(std::string cp1252) {
    for (char& c : cp1252)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return ToQt(cp1252);
}

// Settings keep colours as BGR (0x00BBGGRR), as the legacy controls did.
inline QColor FromBgr(std::uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
inline std::uint32_t ToBgr(const QColor& c) {
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

// Twips to pixels at 96 dpi, to the nearest pixel; the caller scales by the screen's logical dpi
// where it matters. A stored value beyond what a widget can be (a damaged settings file) gives the
// largest widget size, never an overflow.
inline int TwipsToPixels(double twips) {
    constexpr double kMaxPixels = 16777215; // QWIDGETSIZE_MAX
    const double pixels = std::round(twips / 15.0);
    if (!(pixels > -kMaxPixels)) return pixels < 0 ? -int(kMaxPixels) : 0; // NaN reads as 0
    return static_cast<int>(std::min(pixels, kMaxPixels));
}
inline double PixelsToTwips(int pixels) {
    return pixels * 15.0;
}

} // namespace zeva
