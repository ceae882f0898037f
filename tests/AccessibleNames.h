#pragma once
// Checks that every control a person meets has an accessible name a screen reader can say: not
// empty, and not the code name (which is the object name).
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>

#include <string>
#include <vector>

namespace zeva::test {

// A control as "class objectName [accessible name]".
inline std::string ControlLine(const QWidget* w) {
    return std::string(w->metaObject()->className()) + " " + w->objectName().toStdString() + " [" +
           w->accessibleName().toStdString() + "]";
}

// The controls under root (root included) whose accessible name is missing or is their code name.
inline std::vector<std::string> UnspokenControls(const QWidget& root) {
    std::vector<std::string> bad;
    QList<const QWidget*> widgets = root.findChildren<const QWidget*>();
    widgets.prepend(&root);
    for (const QWidget* w : widgets) {
        if (w->objectName().startsWith(QLatin1String("qt_")) || w->inherits("QTableCornerButton") ||
            qobject_cast<const QHeaderView*>(w))
            continue;
        const bool control = qobject_cast<const QAbstractButton*>(w) ||
                             qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QLineEdit*>(w) ||
                             qobject_cast<const QComboBox*>(w) || qobject_cast<const QGroupBox*>(w) ||
                             qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QMenu*>(w) ||
                             (qobject_cast<const QLabel*>(w) && !w->objectName().isEmpty()) || w == &root;
        if (!control) continue;
        // A line edit inside a drop-down is read as the drop-down.
        if (qobject_cast<const QLineEdit*>(w) && qobject_cast<const QComboBox*>(w->parentWidget())) continue;
        const QString name = w->accessibleName();
        if (name.isEmpty() || name == w->objectName() || name.contains(QLatin1Char('&')))
            bad.push_back(ControlLine(w));
    }
    return bad;
}

// Labels that show a value but are heard without it (a name that does not hold the text shown), and
// push buttons that share a name with another under root.
inline std::vector<std::string> UnheardValuesAndSharedNames(const QWidget& root) {
    std::vector<std::string> bad;
    for (const QLabel* l : root.findChildren<const QLabel*>()) {
        const QString shown = l->text().trimmed();
        if (!l->accessibleName().isEmpty() && !shown.isEmpty() && !l->accessibleName().contains(shown))
            bad.push_back(ControlLine(l));
    }
    QStringList names;
    for (const QAbstractButton* b : root.findChildren<const QAbstractButton*>()) {
        if (!b->inherits("QPushButton")) continue;
        if (names.contains(b->accessibleName())) bad.push_back(ControlLine(b));
        names << b->accessibleName();
    }
    return bad;
}

} // namespace zeva::test
