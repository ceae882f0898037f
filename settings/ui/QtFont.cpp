#include "settings/ui/QtFont.h"

#include "platform/qt/QtText.h"

#include <QPalette>
#include <QWidget>

namespace zeva {

QFont ToQFont(const FontStyle& f) {
    QFont font(ToQt(f.Name));
    font.setPointSizeF(f.Size > 0 ? f.Size : 8.25);
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setStrikeOut(f.Strikethrough);
    font.setUnderline(f.Underline);
    return font;
}

void CopyFont(const QFont& font, FontStyle& f) {
    f.Bold = font.bold();
    f.Italic = font.italic();
    f.Name = FromQt(font.family());
    f.Size = font.pointSizeF() > 0 ? font.pointSizeF() : 8.25;
    f.Strikethrough = font.strikeOut();
    f.Underline = font.underline();
}

FontStyle FontOf(const QWidget* w) {
    FontStyle f;
    CopyFont(w->font(), f);
    f.ForeColor = ToBgr(w->palette().color(QPalette::Text));
    f.BackColor = ToBgr(w->palette().color(QPalette::Base));
    return f;
}

void ApplyFontTo(QWidget* w, const FontStyle& f) {
    w->setFont(ToQFont(f));
    QPalette p = w->palette();
    p.setColor(QPalette::Text, FromBgr(f.ForeColor));
    p.setColor(QPalette::Base, FromBgr(f.BackColor));
    w->setPalette(p);
}

} // namespace zeva
