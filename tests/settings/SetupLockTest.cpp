#include "settings/SetupLock.h"

#include "SettingsFixture.h"
#include "settings/ClientSettings.h"
#include "tests/support/memory/RecordingMessageBox.h"

namespace zeva::test {
namespace {

// The lock with its flags recorded by code and both keys stored in a real settings database at
// every change, as the main window wires it.
class SetupLockTest : public SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        lock = std::make_unique<SetupLock>(
            settings, messages, [this](const std::string& code) { sent.push_back(code); },
            [this](const ClientSettings& s) { StoreSetupLock(Db(true), s); });
        lock->OnLockApplied([this](bool locked) { framesEnabled = !locked; });
    }
    std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const auto& m : messages.shown)
            texts.push_back(m.text);
        messages.shown.clear();
        return texts;
    }
    ClientSettings Restart() {
        ClientSettings r;
        ReadOutputKeys(Db(false), r);
        return r;
    }

    ClientSettings settings;
    RecordingMessageBox messages;
    std::vector<std::string> sent;
    std::unique_ptr<SetupLock> lock;
    bool framesEnabled = true;
};

TEST_F(SetupLockTest, LockAndUnlockSendTheirFlagsAndStoreTheStateAtOnce) {
    EXPECT_EQ(lock->view().ButtonCaption[0], "&Lock");
    lock->Button(0); // locking asks for no password
    EXPECT_EQ(std::tuple(lock->Locked(), framesEnabled, lock->view().Status, lock->view().ButtonCaption[0]),
              std::tuple(true, false, "LOCKED", "&UnLock"));
    EXPECT_EQ(sent, std::vector<std::string>{"PWLOCK"});
    EXPECT_TRUE(Restart().SetupLockState) << "stored at the change, not at shutdown";

    lock->Button(0);
    EXPECT_EQ(std::tuple(lock->view().BoxLabel[0], lock->view().ClearBoxes, lock->view().ButtonCaption[2]),
              std::tuple("Enter Password", true, "&Cancel"));
    lock->Confirm(0, "Keystone"); // compared exactly
    lock->Confirm(0, "Keystone"); // Enter, then the focus leaving the box: one attempt
    EXPECT_EQ(Messages(), std::vector<std::string>{"Incorrect password"});
    EXPECT_TRUE(lock->Locked());

    lock->Button(0);
    lock->Confirm(0, "keystone");
    EXPECT_EQ(std::tuple(lock->Locked(), framesEnabled, lock->view().Status),
              std::tuple(false, true, "UNLOCKED"));
    EXPECT_EQ(sent, (std::vector<std::string>{"PWLOCK", "PWUNLOCK"}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(Restart().SetupLockState);
}

TEST_F(SetupLockTest, CancelConfirmsNothing) {
    lock->Button(0);
    lock->Button(0); // step 1
    lock->Cancel();  // after typing the right password: still locked
    EXPECT_TRUE(lock->Locked());
    EXPECT_EQ(lock->view().Step, SetupLock::kIdle);
    lock->Confirm(0, "keystone"); // a late focus-out of the hidden box
    EXPECT_TRUE(lock->Locked());

    lock->Button(1);
    lock->Confirm(0, "keystone");
    lock->Confirm(1, "new one");
    EXPECT_EQ(lock->view().Step, SetupLock::kConfirm);
    lock->Cancel();
    lock->Confirm(2, "new one");
    EXPECT_EQ(settings.SetUpPassword, "keystone");
    EXPECT_EQ(sent.size(), 1u) << "only the PWLOCK";
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SetupLockTest, PasswordChangeWhileLockedStepsAndMismatch) {
    lock->Button(0);
    lock->Button(1);
    EXPECT_EQ(lock->view().BoxLabel[0], "Old Password");
    lock->Confirm(0, "wrong");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Incorrect password"});
    EXPECT_EQ(lock->view().Step, SetupLock::kIdle);

    lock->Button(1);
    lock->Confirm(0, "keystone");
    EXPECT_EQ(lock->view().ActiveBox, 1);
    lock->Confirm(0, "keystone"); // the old box losing the focus does not run step 3
    EXPECT_EQ(lock->view().Step, SetupLock::kNewPassword);
    lock->Confirm(1, "abc");
    lock->Confirm(2, "abd");
    EXPECT_EQ(Messages(), std::vector<std::string>{"New Password and Confirmed Password do not match"});
    EXPECT_EQ(settings.SetUpPassword, "keystone");

    // An empty password confirmed empty is the password, after a restart too.
    lock->Button(1);
    lock->Confirm(0, "keystone");
    lock->Confirm(1, "");
    lock->Confirm(2, "");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Password Changed"});
    EXPECT_EQ(settings.SetUpPassword, "");
    EXPECT_TRUE(lock->Locked()) << "a change leaves the setup locked";
    EXPECT_EQ(sent, (std::vector<std::string>{"PWLOCK", "PWCHANGE"}));
    EXPECT_EQ(Restart().SetUpPassword, "");
    lock->Button(0);
    lock->Confirm(0, "");
    EXPECT_FALSE(lock->Locked());
}

TEST_F(SetupLockTest, StartUpAppliesTheStoredStateWithoutSendingOrStoring) {
    settings.SetupLockState = true;
    lock->ApplyStoredState();
    EXPECT_EQ(std::tuple(framesEnabled, lock->view().Status), std::tuple(false, "LOCKED"));
    EXPECT_TRUE(sent.empty());
    EXPECT_FALSE(Restart().SetupLockState);
}

} // namespace
} // namespace zeva::test
