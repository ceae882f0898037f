#include "shell/RecordAlert.h"

namespace zeva {

RecordAlert::RecordAlert(int mode) {
    SetMode(mode);
}

void RecordAlert::SetMode(int mode) {
    mode_ = (mode >= kNone && mode <= kFlashAndBell) ? mode : kFlash;
}

RecordAlert::Request RecordAlert::RecordArrived(bool windowActive) {
    if (windowActive) {
        asked_ = false;
        return {};
    }
    if (mode_ == kNone || asked_) return {};
    asked_ = true;
    return {true, mode_ == kFlashAndBell};
}

} // namespace zeva
