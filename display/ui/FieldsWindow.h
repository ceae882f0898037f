#pragma once
#include "platform/qt/QtComboListBox.h"

#include <QObject>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QMenu;
class QPoint;
class QTableWidget;

namespace zeva {

class FlexGrid;
class MessageBox;
class ZVFieldClass;
class ZVRecordClass;

// The Fields window's controls beyond the grid: the drop-down MemberListBox, the grid's double-click
// and its two context menus (Member and Field), built from FieldsMenu when they open. A secondary
// click on the header row opens the Field menu for the column under the pointer; on any other row
// the Member menu for that row. Menus open only in admin mode.
class FieldsWindow final : public QObject {
    Q_OBJECT
  public:
    FieldsWindow(QGroupBox* frame, QTableWidget* grid, FlexGrid& flexGrid, MessageBox& messages,
                 std::function<bool()> adminMode);
    ~FieldsWindow() override;

    ListBox& memberList() { return *list_; }
    QComboBox* memberListWidget() const { return combo_; }
    // After the field and record classes have connected.
    void Attach(ZVFieldClass* fields, ZVRecordClass* records);
    // The menu a secondary click at a viewport point opens (its cell made current), or null.
    std::unique_ptr<QMenu> MenuAt(const QPoint& at);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::unique_ptr<QMenu> MemberMenuNow();
    std::unique_ptr<QMenu> FieldMenuNow();
    void Say(const std::string& message);

    QGroupBox* frame_;
    QTableWidget* grid_;
    FlexGrid& flexGrid_;
    MessageBox& messages_;
    std::function<bool()> adminMode_;
    QComboBox* combo_;
    std::unique_ptr<QtComboListBox> list_;
    ZVFieldClass* fields_ = nullptr;
    ZVRecordClass* records_ = nullptr;
};

} // namespace zeva
