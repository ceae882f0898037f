#include "settings/SetupLock.h"

#include "platform/MessageBox.h"
#include "settings/ClientSettings.h"

namespace zeva {

SetupLock::SetupLock(ClientSettings& settings, MessageBox& messages, FlagSender sendFlag, Store store)
    : settings_(settings), messages_(messages), sendFlag_(std::move(sendFlag)), store_(std::move(store)) {
    ShowPasswordStep(kIdle);
}

bool SetupLock::Locked() const {
    return settings_.SetupLockState;
}

void SetupLock::ApplyStoredState() {
    if (lockApplied_) lockApplied_(settings_.SetupLockState);
    ShowPasswordStep(kIdle);
}

void SetupLock::SetLockState(bool locked) {
    settings_.SetupLockState = locked;
    // Stored now: the flag goes out at once, and a crash must not lose what it reported.
    if (store_) store_(settings_);
    if (lockApplied_) lockApplied_(locked);
}

void SetupLock::ShowPasswordStep(int step) {
    View v;
    v.Step = step;
    v.Locked = settings_.SetupLockState;
    v.ClearBoxes = step != kIdle;
    // Hidden buttons keep their captions, so every button always has a name a screen reader says.
    v.ButtonCaption = {v.Locked ? "&UnLock" : "&Lock", "C&hange Password", "&Cancel"};
    if (step == kIdle) {
        v.Status = v.Locked ? "LOCKED" : "UNLOCKED";
        v.ButtonVisible = {true, true, false};
    } else {
        v.ButtonVisible = {false, false, true};
        v.ActiveBox = step == kNewPassword ? 1 : step == kConfirm ? 2 : 0;
        v.BoxVisible[std::size_t(v.ActiveBox)] = true;
        v.BoxLabel[0] = step == kOldPassword ? "Old Password" : "Enter Password";
    }
    view_ = v;
    if (viewChanged_) viewChanged_(view_);
}

void SetupLock::Button(int index) {
    const int step = view_.Step;
    if (index == 2) {
        // Cancel returns to step 0 and confirms nothing, whatever the box held.
        if (step != kIdle) {
            newPassword_.clear();
            ShowPasswordStep(kIdle);
        }
        return;
    }
    if (step != kIdle || (index != 0 && index != 1)) return;
    if (index == 1) {
        ShowPasswordStep(kOldPassword);
    } else if (settings_.SetupLockState) {
        ShowPasswordStep(kUnlock);
    } else {
        SetLockState(true);
        ShowPasswordStep(kIdle);
        if (sendFlag_) sendFlag_("PWLOCK");
    }
}

void SetupLock::Confirm(int box, const std::string& text) {
    // Only the step's own box, once: the step changes before any message can move the focus.
    if (box != view_.ActiveBox) return;
    switch (view_.Step) {
    case kUnlock:
        ShowPasswordStep(kIdle);
        if (text == settings_.SetUpPassword) {
            SetLockState(false);
            ShowPasswordStep(kIdle);
            if (sendFlag_) sendFlag_("PWUNLOCK");
        } else {
            messages_.Show("Incorrect password");
        }
        break;
    case kOldPassword:
        if (text == settings_.SetUpPassword) {
            ShowPasswordStep(kNewPassword);
        } else {
            ShowPasswordStep(kIdle);
            messages_.Show("Incorrect password");
        }
        break;
    case kNewPassword:
        newPassword_ = text;
        ShowPasswordStep(kConfirm);
        break;
    case kConfirm: {
        const bool match = text == newPassword_;
        newPassword_.clear();
        ShowPasswordStep(kIdle);
        if (match) {
            settings_.SetUpPassword = text;
            if (store_) store_(settings_);
            if (sendFlag_) sendFlag_("PWCHANGE");
            messages_.Show("Password Changed");
        } else {
            messages_.Show("New Password and Confirmed Password do not match");
        }
        break;
    }
    default:
        break;
    }
}

} // namespace zeva
