#pragma once
#include "comms/console/HubSetupForm.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <string>

class QGridLayout;
class QLineEdit;
class QPushButton;

namespace zeva {

class MessageBox;

// The hub setup dialog: the client identifier, the hub address and the hub port in three boxes,
// "&Ok" takes them (a port that is not a number keeps the dialog open with a message), "&Cancel"
// and Escape leave everything as it was. The logic is HubSetupForm; this window only shows it.
class frmHubSetup final : public QDialog {
    Q_OBJECT
  public:
    // Modal: shows the dialog with the three values and writes them back when the operator chose
    // Ok. caption: the dialog's caption ("HUB Setup" when empty). True when the values were taken.
    // With backupAddress and backupPort the dialog also shows the second hub's two boxes (both
    // empty: none); an empty or whole-number port from 1 to 65535 is taken, anything else keeps
    // the dialog open with the message a bad port gets.
    static bool Run(QWidget* parent, std::string& setupIdent, std::string& address, std::int32_t& port,
                    const std::string& caption, MessageBox& messages, std::string* backupAddress = nullptr,
                    std::int32_t* backupPort = nullptr);

    // Builds the dialog over the owner's values; they change only when Ok is accepted.
    frmHubSetup(QWidget* parent, std::string& setupIdent, std::string& address, std::int32_t& port,
                MessageBox& messages);

    QLineEdit* txtHubSetup(int index) const { return boxes_.at(static_cast<std::size_t>(index)); }
    // The second hub's boxes: 0 address, 1 port; null without them.
    QLineEdit* txtBackupHub(int index) const { return backup_.at(static_cast<std::size_t>(index)); }
    void ShowBackupHub(std::string& address, std::int32_t& port);
    QPushButton* cmdControl(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }

  private:
    void OnOk();

    std::string& ident_;
    std::string& address_;
    std::int32_t& port_;
    MessageBox& messages_;
    HubSetupForm form_;
    std::array<QLineEdit*, 3> boxes_{};
    std::array<QPushButton*, 2> buttons_{};
    std::array<QLineEdit*, 2> backup_{};
    std::string* backupAddress_ = nullptr;
    std::int32_t* backupPort_ = nullptr;
    QGridLayout* grid_{};
};

} // namespace zeva
