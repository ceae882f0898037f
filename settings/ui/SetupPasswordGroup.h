#pragma once
#include "settings/SetupLock.h"

#include <QGroupBox>
#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zeva {

class ValueLabel;

// The "Setup Password Control" group: the status label, three hidden-character password boxes with
// their labels and three buttons, showing SetupLock's steps. A box is confirmed by Enter or by
// leaving it (Tab included); pressing Cancel cancels. The group is never disabled by the lock it controls.
class SetupPasswordGroup final : public QGroupBox {
    Q_OBJECT
  public:
    explicit SetupPasswordGroup(QWidget* parent);
    ~SetupPasswordGroup() override;

    // Creates the lock over the settings; enable(false) disables the setup frames.
    void Start(ClientSettings& settings, MessageBox& messages, SetupLock::FlagSender sendFlag,
               SetupLock::Store store, SetupLock::LockApplied enable);
    SetupLock* lock() const { return lock_.get(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Show(const SetupLock::View& view);

    ValueLabel* lblSetupPasswordD_{};
    std::array<QLabel*, 3> lblSetupPassword_{};
    std::array<QLineEdit*, 3> txtSetupPassword_{};
    std::array<QPushButton*, 3> cmdSetupPassword_{};
    std::unique_ptr<SetupLock> lock_;
};

} // namespace zeva
