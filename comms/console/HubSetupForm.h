#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zeva {

class MessageBox;

// What the hub setup dialog does with its three boxes: box 0 the client identifier, box 1 the hub
// address, box 2 the hub port. Ok takes the boxes back into the owner's values; Cancel leaves them.
// The identifier and the address are taken as typed (the engine normalises the identifier when it
// connects); a port that is not a whole number is refused with a message and the dialog stays open,
// since converting it blindly would either stop the program or quietly connect to the wrong port.
class HubSetupForm {
  public:
    static constexpr int kIdent = 0;
    static constexpr int kAddress = 1;
    static constexpr int kPort = 2;
    static constexpr const char* kCaption = "HUB Setup";
    static constexpr const char* kLabels[3] = {"Client Identifer", "Server Address", "Server Port"};

    HubSetupForm(const std::string& setupIdent, const std::string& address, std::int32_t port);

    const std::string& Text(int box) const { return boxes_.at(static_cast<std::size_t>(box)); }
    void SetText(int box, const std::string& text) { boxes_.at(static_cast<std::size_t>(box)) = text; }

    // True (the dialog closes) when the boxes were taken into the three values. False when the port
    // box does not hold a whole number: the message says so and nothing is changed.
    bool Ok(std::string& setupIdent, std::string& address, std::int32_t& port, MessageBox& messages) const;

    // The message shown for a port box that is not a number.
    static std::string BadPortMessage(const std::string& text);

  private:
    std::array<std::string, 3> boxes_;
};

} // namespace zeva
