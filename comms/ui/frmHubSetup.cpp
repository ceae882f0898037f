#include "comms/ui/frmHubSetup.h"

#include "common/Convert.h"
#include "common/TextUtil.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeva {

frmHubSetup::frmHubSetup(QWidget* parent, std::string& setupIdent, std::string& address, std::int32_t& port,
                         MessageBox& messages)
    : QDialog(parent), ident_(setupIdent), address_(address), port_(port), messages_(messages),
      form_(setupIdent, address, port) {
    setObjectName(QStringLiteral("frmHubSetup"));
    setWindowTitle(QString::fromLatin1(HubSetupForm::kCaption));
    setAccessibleName(QString::fromLatin1(HubSetupForm::kCaption));
    setModal(true);

    auto* top = new QVBoxLayout(this);
    // The system's picture, when it is installed beside the program; the dialog works without it.
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgHubSetup"));
    picture->setAccessibleName(QStringLiteral("ZEVA"));
    const QPixmap pixmap(QDir::current().filePath(QStringLiteral("ZEVA1.bmp")));
    if (!pixmap.isNull()) picture->setPixmap(pixmap);
    picture->setVisible(!pixmap.isNull());
    top->addWidget(picture);

    auto* grid = grid_ = new QGridLayout;
    // Box order on screen follows the labels: identifier, address, port.
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(HubSetupForm::kLabels[i]), this);
        auto* box = new QLineEdit(ToQt(form_.Text(i)), this);
        const QString name = QStringLiteral("txtHubSetup(%1)").arg(i);
        box->setObjectName(name);
        box->setAccessibleName(QString::fromLatin1(HubSetupForm::kLabels[i]));
        box->setAccessibleDescription(name);
        label->setAccessibleName(QString::fromLatin1(HubSetupForm::kLabels[i]));
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1);
        boxes_[static_cast<std::size_t>(i)] = box;
    }
    top->addLayout(grid);

    auto* row = new QHBoxLayout;
    row->addStretch();
    const char* captions[2] = {"&Ok", "&Cancel"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
        const QString name = QStringLiteral("cmdControl(%1)").arg(i);
        button->setObjectName(name);
        button->setAccessibleName(i == 0 ? QStringLiteral("Ok") : QStringLiteral("Cancel"));
        button->setAccessibleDescription(name);
        button->setAutoDefault(false);
        row->addWidget(button);
        buttons_[static_cast<std::size_t>(i)] = button;
    }
    buttons_[0]->setDefault(true);
    top->addLayout(row);

    connect(buttons_[0], &QPushButton::clicked, this, [this] { OnOk(); });
    connect(buttons_[1], &QPushButton::clicked, this, &QDialog::reject);
}

void frmHubSetup::ShowBackupHub(std::string& address, std::int32_t& port) {
    backupAddress_ = &address;
    backupPort_ = &port;
    const char* labels[2] = {"Backup Address", "Backup Port"};
    const char* names[2] = {"txtBackupHub(0)", "txtBackupHub(1)"};
    const QString texts[2] = {ToQt(address), port > 0 ? QString::number(port) : QString()};
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(QString::fromLatin1(labels[i]), this);
        auto* box = new QLineEdit(texts[i], this);
        box->setObjectName(QString::fromLatin1(names[i]));
        box->setAccessibleName(QString::fromLatin1(labels[i]));
        box->setAccessibleDescription(QString::fromLatin1(names[i]));
        label->setBuddy(box);
        grid_->addWidget(label, 3 + i, 0);
        grid_->addWidget(box, 3 + i, 1);
        backup_[static_cast<std::size_t>(i)] = box;
    }
    setTabOrder(boxes_[HubSetupForm::kPort], backup_[0]);
    setTabOrder(backup_[0], backup_[1]);
}

void frmHubSetup::OnOk() {
    for (int i = 0; i < 3; ++i)
        form_.SetText(i, FromQt(boxes_[static_cast<std::size_t>(i)]->text()));
    std::int32_t backupPort = 0;
    if (backup_[1]) {
        // The second hub is checked first so a refusal changes nothing at all.
        const std::string text = Trim(FromQt(backup_[1]->text()));
        const auto value = ToInt32(text);
        if (!text.empty() && (!value || *value < 1 || *value > 65535)) {
            messages_.Show(HubSetupForm::BadPortMessage(text), MessageIcon::Exclamation);
            backup_[1]->setFocus();
            backup_[1]->selectAll();
            return;
        }
        backupPort = text.empty() ? 0 : *value;
    }
    if (!form_.Ok(ident_, address_, port_, messages_)) {
        QLineEdit* port = boxes_[HubSetupForm::kPort];
        port->setFocus();
        port->selectAll();
        return;
    }
    if (backup_[0]) {
        *backupAddress_ = Trim(FromQt(backup_[0]->text()));
        *backupPort_ = backupPort;
    }
    accept();
}

bool frmHubSetup::Run(QWidget* parent, std::string& setupIdent, std::string& address, std::int32_t& port,
                      const std::string& caption, MessageBox& messages, std::string* backupAddress,
                      std::int32_t* backupPort) {
    frmHubSetup dialog(parent, setupIdent, address, port, messages);
    if (backupAddress && backupPort) dialog.ShowBackupHub(*backupAddress, *backupPort);
    if (!caption.empty()) dialog.setWindowTitle(ToQt(caption));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace zeva
