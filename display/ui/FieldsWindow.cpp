#include "display/ui/FieldsWindow.h"

#include "display/FieldMenu.h"
#include "display/FieldsMenu.h"
#include "display/MemberMenu.h"
#include "model/ZVFieldClass.h"
#include "platform/FlexGrid.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QMenu>
#include <QTableWidget>

namespace zeva {

FieldsWindow::FieldsWindow(QGroupBox* frame, QTableWidget* grid, FlexGrid& flexGrid, MessageBox& messages,
                           std::function<bool()> adminMode)
    : QObject(frame), frame_(frame), grid_(grid), flexGrid_(flexGrid), messages_(messages),
      adminMode_(std::move(adminMode)), combo_(new QComboBox(frame)),
      list_(std::make_unique<QtComboListBox>(combo_)) {
    setObjectName(QStringLiteral("FieldsWindow"));
    combo_->setObjectName(QStringLiteral("MemberListBox"));
    combo_->setAccessibleName(QStringLiteral("Field list"));
    combo_->setToolTip(QStringLiteral("The field that Insert Before and Insert After place"));
    combo_->setMinimumContentsLength(24);
    // In the frame's caption line, right-aligned: the grid keeps the whole frame below it.
    frame_->installEventFilter(this);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QTableWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (auto menu = MenuAt(at)) menu->exec(grid_->viewport()->mapToGlobal(at));
    });
    // A double-click, or Enter from the keyboard, selects the row's field in MemberListBox.
    const auto chooseRow = [this](int row, int) {
        if (!fields_) return;
        flexGrid_.SetRow(row);
        FieldsMenu::DoubleClick(*fields_, flexGrid_, *list_);
    };
    connect(grid_, &QTableWidget::cellDoubleClicked, this, chooseRow);
    connect(grid_, &QTableWidget::cellActivated, this, chooseRow);
    QWidget::setTabOrder(combo_, grid_);
}

FieldsWindow::~FieldsWindow() = default;

void FieldsWindow::Attach(ZVFieldClass* fields, ZVRecordClass* records) {
    fields_ = fields;
    records_ = records;
    combo_->setCurrentIndex(-1);
}

bool FieldsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frame_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        const int width = std::min(combo_->sizeHint().width(), std::max(80, frame_->width() / 2));
        combo_->setGeometry(frame_->width() - width - 8, 0, width, combo_->sizeHint().height());
        combo_->raise();
    }
    return QObject::eventFilter(watched, event);
}

void FieldsWindow::Say(const std::string& message) {
    if (!message.empty()) messages_.Show(message);
}

std::unique_ptr<QMenu> FieldsWindow::MenuAt(const QPoint& at) {
    if (!fields_) return nullptr;
    const int row = grid_->rowAt(at.y()), col = grid_->columnAt(at.x());
    // The clicked cell becomes current; a click below the rows keeps the current one.
    if (row >= 0) {
        flexGrid_.SetRow(row);
        if (col >= 0) flexGrid_.SetCol(col);
    }
    switch (FieldsMenu::ContextMenuFor(adminMode_ && adminMode_(), flexGrid_.Rows(),
                                       std::max(flexGrid_.Row(), 0))) {
    case FieldsMenu::Kind::Member:
        return MemberMenuNow();
    case FieldsMenu::Kind::Field:
        return FieldMenuNow();
    default:
        return nullptr;
    }
}

std::unique_ptr<QMenu> FieldsWindow::MemberMenuNow() {
    const MemberMenu m = MemberMenu::Build(*fields_, records_, flexGrid_, *list_);
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("mnuQueue"));
    menu->setTitle(QStringLiteral("Member"));
    menu->setAccessibleName(QStringLiteral("Member"));
    const auto add = [this, &menu](const MemberMenu::Item& item, const char* name,
                                   MemberMenu::Command command) {
        QAction* a = menu->addAction(ToQt(item.Caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(item.Enabled);
        connect(a, &QAction::triggered, this,
                [this, command] { Say(MemberMenu::Run(command, *fields_, records_, flexGrid_, *list_)); });
    };
    add(m.RemoveQueue, "mnuQRemove", MemberMenu::Command::RemoveQueue);
    menu->addSeparator();
    add(m.InsertBefore, "mnuQInsertBefore", MemberMenu::Command::InsertBefore);
    add(m.InsertAfter, "mnuQInsertAfter", MemberMenu::Command::InsertAfter);
    menu->addSeparator();
    add(m.ShowAll, "mnuShowAll(0)", MemberMenu::Command::ShowAll);
    add(m.HideAll, "mnuShowAll(1)", MemberMenu::Command::HideAll);
    menu->addSeparator();
    add(m.AddToRecords, "mnuAddtoRecordFields", MemberMenu::Command::AddToRecords);
    return menu;
}

std::unique_ptr<QMenu> FieldsWindow::FieldMenuNow() {
    const int column = std::max(flexGrid_.Col(), 0);
    const FieldMenu m = FieldMenu::Build(*fields_, column);
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("mnuField"));
    menu->setTitle(QStringLiteral("Field"));
    menu->setAccessibleName(QStringLiteral("Field"));
    const std::tuple<const char*, const char*, FieldMenu::List, const std::vector<FieldMenu::Item>*> lists[] =
        {{"mnuFRemove", "Remove", FieldMenu::List::Remove, &m.Remove},
         {"mnuFInsertBefore", "Insert (&Before)", FieldMenu::List::InsertBefore, &m.InsertBefore},
         {"mnuFInsertAfter", "Insert (&After)", FieldMenu::List::InsertAfter, &m.InsertAfter}};
    for (const auto& [name, caption, list, items] : lists) {
        QMenu* sub = menu->addMenu(QString::fromLatin1(caption));
        sub->setObjectName(QString::fromLatin1(name) + QStringLiteral("List"));
        sub->menuAction()->setObjectName(QString::fromLatin1(name));
        sub->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char('&')));
        for (std::size_t i = 0; i < items->size(); ++i) {
            const FieldMenu::Item& item = (*items)[i];
            QAction* a = sub->addAction(ToQt(item.Caption));
            a->setEnabled(item.Enabled);
            a->setCheckable(item.Checked);
            a->setChecked(item.Checked);
            const auto index = static_cast<std::int16_t>(i);
            const FieldMenu::List chosen = list;
            connect(a, &QAction::triggered, this,
                    [this, chosen, index, column] { FieldMenu::Run(chosen, index, *fields_, column); });
        }
        if (list == FieldMenu::List::Remove) menu->addSeparator();
    }
    return menu;
}

} // namespace zeva
