#include "comms/ui/frmHubSetup.h"

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

    auto* grid = new QGridLayout;
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

void frmHubSetup::OnOk() {
    for (int i = 0; i < 3; ++i)
        form_.SetText(i, FromQt(boxes_[static_cast<std::size_t>(i)]->text()));
    if (!form_.Ok(ident_, address_, port_, messages_)) {
        QLineEdit* port = boxes_[HubSetupForm::kPort];
        port->setFocus();
        port->selectAll();
        return;
    }
    accept();
}

bool frmHubSetup::Run(QWidget* parent, std::string& setupIdent, std::string& address, std::int32_t& port,
                      const std::string& caption, MessageBox& messages) {
    frmHubSetup dialog(parent, setupIdent, address, port, messages);
    if (!caption.empty()) dialog.setWindowTitle(ToQt(caption));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace zeva
