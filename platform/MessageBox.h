#pragma once
#include <string>

namespace zeva {

enum class MessageIcon { None, Critical, Exclamation, Information };

// Modal message boxes. An empty title means the program's own title ("ZEVA Screen Client").
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    // One OK button; returns when the operator has answered. `detail`, when not empty, is the
    // box's secondary text under the message: what to do about it.
    virtual void Show(const std::string& text, MessageIcon icon = MessageIcon::None,
                      const std::string& title = {}, const std::string& detail = {}) = 0;
};

} // namespace zeva
