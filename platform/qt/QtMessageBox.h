#pragma once
#include "platform/MessageBox.h"

class QWidget;

namespace zeva {

// Modal QMessageBox with one OK button. Once a stop signal has come (QtCloseSignals) nobody is
// left to answer a box: it is not shown, and the caller says on standard error what matters.
class QtMessageBox final : public MessageBox {
  public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void Show(const std::string& text, MessageIcon icon, const std::string& title,
              const std::string& detail) override;

  private:
    QWidget* parent_;
};

} // namespace zeva
