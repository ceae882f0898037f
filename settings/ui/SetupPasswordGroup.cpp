#include "settings/ui/SetupPasswordGroup.h"

#include "platform/qt/QtText.h"
#include "platform/qt/ValueLabel.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zeva {

SetupPasswordGroup::SetupPasswordGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("Setup Password Control"), parent) {
    setObjectName(QStringLiteral("frmSetupPassword"));
    setAccessibleName(title());
    auto* grid = new QGridLayout(this);
    lblSetupPasswordD_ = new ValueLabel(QStringLiteral("Setup lock state"), this);
    lblSetupPasswordD_->setObjectName(QStringLiteral("lblSetupPasswordD"));
    grid->addWidget(lblSetupPasswordD_, 0, 0, 1, 3);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblSetupPassword(%1)").arg(i));
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtSetupPassword(%1)").arg(i));
        box->setEchoMode(QLineEdit::Password);
        box->installEventFilter(this);
        label->setBuddy(box);
        grid->addWidget(label, 1 + i, 0);
        grid->addWidget(box, 1 + i, 1, 1, 2);
        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("cmdSetupPassword(%1)").arg(i));
        grid->addWidget(button, 4, i);
        lblSetupPassword_[size_t(i)] = label;
        txtSetupPassword_[size_t(i)] = box;
        cmdSetupPassword_[size_t(i)] = button;
        connect(box, &QLineEdit::returnPressed, this, [this, i] {
            if (lock_) lock_->Confirm(i, FromQt(txtSetupPassword_[size_t(i)]->text()));
        });
        connect(button, &QPushButton::clicked, this, [this, i] {
            if (lock_) lock_->Button(i);
        });
    }
}

SetupPasswordGroup::~SetupPasswordGroup() {
    // The boxes lose the focus as the window goes: nothing is confirmed then.
    for (QLineEdit* box : txtSetupPassword_)
        box->removeEventFilter(this);
}

void SetupPasswordGroup::Start(ClientSettings& settings, MessageBox& messages, SetupLock::FlagSender sendFlag,
                               SetupLock::Store store, SetupLock::LockApplied enable) {
    lock_ = std::make_unique<SetupLock>(settings, messages, std::move(sendFlag), std::move(store));
    lock_->OnLockApplied(std::move(enable));
    lock_->OnViewChanged([this](const SetupLock::View& v) { Show(v); });
    Show(lock_->view());
}

bool SetupPasswordGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && lock_ &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        lock_->Cancel();
        return true;
    }
    // Switching to another window or opening a menu is no leaving of the box.
    const auto reason =
        event->type() == QEvent::FocusOut ? static_cast<QFocusEvent*>(event)->reason() : Qt::OtherFocusReason;
    if (event->type() == QEvent::FocusOut && lock_ && reason != Qt::ActiveWindowFocusReason &&
        reason != Qt::PopupFocusReason) {
        // Pressing Cancel (a click or its shortcut takes the focus first) cancels: the box is not
        // confirmed on the way. Tab onto Cancel is leaving the box, and confirms it.
        const bool pressingCancel = QApplication::focusWidget() == cmdSetupPassword_[2] &&
                                    (reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason);
        for (int i = 0; i < 3; ++i) {
            if (watched == txtSetupPassword_[size_t(i)] && !pressingCancel)
                lock_->Confirm(i, FromQt(txtSetupPassword_[size_t(i)]->text()));
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void SetupPasswordGroup::Show(const SetupLock::View& v) {
    lblSetupPasswordD_->setText(ToQt(v.Status));
    lblSetupPasswordD_->setVisible(v.Step == SetupLock::kIdle);
    for (int i = 0; i < 3; ++i) {
        const auto k = size_t(i);
        cmdSetupPassword_[k]->setText(ToQt(v.ButtonCaption[k]));
        cmdSetupPassword_[k]->setAccessibleName(ToQt(v.ButtonCaption[k]).remove(QLatin1Char('&')));
        cmdSetupPassword_[k]->setVisible(v.ButtonVisible[k]);
        lblSetupPassword_[k]->setText(ToQt(v.BoxLabel[k]));
        lblSetupPassword_[k]->setAccessibleName(ToQt(v.BoxLabel[k]));
        txtSetupPassword_[k]->setAccessibleName(ToQt(v.BoxLabel[k]));
        if (v.ClearBoxes) txtSetupPassword_[k]->clear();
        txtSetupPassword_[k]->setEnabled(v.BoxVisible[k]);
        txtSetupPassword_[k]->setVisible(v.BoxVisible[k]);
        lblSetupPassword_[k]->setVisible(v.BoxVisible[k]);
    }
    if (v.Step == SetupLock::kIdle) {
        for (QLineEdit* box : txtSetupPassword_)
            box->clear(); // nothing typed stays behind
    } else if (v.ActiveBox >= 0) {
        txtSetupPassword_[size_t(v.ActiveBox)]->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace zeva
