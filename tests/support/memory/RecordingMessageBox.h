#pragma once
#include "platform/MessageBox.h"

#include <string>
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
    // The texts shown since the last call, oldest first.
    std::vector<std::string> TakeTexts() {
        std::vector<std::string> texts;
        for (const auto& m : shown)
            texts.push_back(m.text);
        shown.clear();
        return texts;
    }
    std::vector<Shown> shown;
};

} // namespace zeva
