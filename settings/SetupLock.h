#pragma once
#include <array>
#include <functional>
#include <string>

namespace zeva {

class MessageBox;
struct ClientSettings;

// The setup password lock: the "Setup Password Control" group's five steps and their transitions.
// Lock, unlock and a password change each store both keys at once and send their flag to the
// monitor (PWLOCK, PWUNLOCK, PWCHANGE). The password is never shown, logged or put in a message.
//
// The window shows View() after every change (the view callback) and reports what the operator
// does: the buttons, and a box confirmed by Enter or by losing the focus. A box losing the focus to
// Cancel is not confirmed: the window calls Cancel() alone. A box is confirmed at most once per
// step, so Enter followed by the focus leaving the box runs the step once.
class SetupLock {
  public:
    enum Step { kIdle = 0, kUnlock = 1, kOldPassword = 2, kNewPassword = 3, kConfirm = 4 };
    struct View {
        int Step = kIdle;
        bool Locked = false;
        std::string Status; // "LOCKED" / "UNLOCKED", shown in step 0 only
        std::array<std::string, 3> ButtonCaption;
        std::array<bool, 3> ButtonVisible{};
        std::array<std::string, 3> BoxLabel{"Enter Password", "New Password", "Confirm Password"};
        std::array<bool, 3> BoxVisible{};
        int ActiveBox = -1;      // the box that has the focus; -1 in step 0
        bool ClearBoxes = false; // entering a step other than 0 empties the boxes
    };
    using FlagSender = std::function<void(const std::string& code)>;
    using Store = std::function<void(const ClientSettings& settings)>;
    using ViewChanged = std::function<void(const View& view)>;
    // The setup frames are enabled exactly when unlocked; the password group is never disabled.
    using LockApplied = std::function<void(bool locked)>;

    SetupLock(ClientSettings& settings, MessageBox& messages, FlagSender sendFlag, Store store);

    void OnViewChanged(ViewChanged f) { viewChanged_ = std::move(f); }
    void OnLockApplied(LockApplied f) { lockApplied_ = std::move(f); }

    // Start-up: the stored state applied as it is, nothing stored or sent.
    void ApplyStoredState();
    // Buttons 0 (Lock / UnLock), 1 (Change Password) and 2 (Cancel).
    void Button(int index);
    void Cancel() { Button(2); }
    void Confirm(int box, const std::string& text);

    const View& view() const { return view_; }
    bool Locked() const;

  private:
    void ShowPasswordStep(int step);
    void SetLockState(bool locked);

    ClientSettings& settings_;
    MessageBox& messages_;
    FlagSender sendFlag_;
    Store store_;
    ViewChanged viewChanged_;
    LockApplied lockApplied_;
    View view_;
    std::string newPassword_;
};

} // namespace zeva
