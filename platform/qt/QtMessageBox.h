#pragma once
#include "platform/MessageBox.h"

class QWidget;

namespace zeva {

// Modal QMessageBox with one OK button.
class QtMessageBox final : public MessageBox {
  public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void Show(const std::string& text, MessageIcon icon, const std::string& title) override;

  private:
    QWidget* parent_;
};

} // namespace zeva
