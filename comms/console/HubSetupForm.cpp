#include "comms/console/HubSetupForm.h"

#include "common/Convert.h"
#include "common/TextUtil.h"
#include "platform/MessageBox.h"

#include <optional>

namespace zeva {

namespace {

// Blanks around, an optional sign and decimal digits, within 32 bits. A fraction or an exponent
// is not a port number even though the text is numeric.
std::optional<std::int32_t> WholeNumber(const std::string& text) {
    const std::string t = Trim(text);
    std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    if (i == t.size()) return std::nullopt;
    for (std::size_t k = i; k < t.size(); ++k)
        if (t[k] < '0' || t[k] > '9') return std::nullopt;
    return ToInt32(t);
}

} // namespace

HubSetupForm::HubSetupForm(const std::string& setupIdent, const std::string& address, std::int32_t port) {
    boxes_[kAddress] = address;
    boxes_[kPort] = IntText(port);
    boxes_[kIdent] = setupIdent;
}

std::string HubSetupForm::BadPortMessage(const std::string& text) {
    return "The Server Port \"" + text +
           "\" is not a number. Enter the hub's port as a whole number, "
           "for example 6000.";
}

bool HubSetupForm::Ok(std::string& setupIdent, std::string& address, std::int32_t& port,
                      MessageBox& messages) const {
    const auto number = WholeNumber(boxes_[kPort]);
    if (!number) {
        messages.Show(BadPortMessage(boxes_[kPort]), MessageIcon::Exclamation, kCaption);
        return false;
    }
    address = boxes_[kAddress];
    port = *number;
    setupIdent = boxes_[kIdent];
    return true;
}

} // namespace zeva
