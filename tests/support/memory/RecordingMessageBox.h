#pragma once
#include "platform/MessageBox.h"

#include <vector>

namespace zeva {

// Records every message box instead of showing it, for tests.
class RecordingMessageBox final : public MessageBox {
  public:
    struct Shown {
        std::string text;
        MessageIcon icon;
        std::string title;
    };
    void Show(const std::string& text, MessageIcon icon, const std::string& title) override {
        shown.push_back({text, icon, title});
    }
    std::vector<Shown> shown;
};

} // namespace zeva
