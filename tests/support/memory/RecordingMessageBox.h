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
        std::string detail;
    };
    void Show(const std::string& text, MessageIcon icon, const std::string& title,
              const std::string& detail) override {
        shown.push_back({text, icon, title, detail});
    }
    std::vector<Shown> shown;
};

} // namespace zeva
