#pragma once
#include "settings/ClientSettings.h"

#include <string>

namespace zeva {

// What start-up and shutdown do to the main window: what shows and what the operator set there. The
// Qt main window implements it; tests record the calls. The start-up calls, HideDisplays to
// AutoConnectChecked, are listed in the order MainShell::Load makes them; a start-up that stops
// early makes only the first of them. The objects behind the window are the station's (StationPort).
class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;

    // After the command line, when it did not ask for admin mode: hide and disable imgComms,
    // imgConfig3 and imgSetup, disable the display-format setup frame and the main menu.
    virtual void HideDisplays() = 0;
    // Every pane at the Output list's place; the display mode shows one of them.
    virtual void PlacePanes() = 0;
    // The X25 client list x01, x02, selected as the settings say.
    virtual void LoadClientSelection(const ClientSettings& settings) = 0;
    // Once the settings are read: the output options, display-format list and fonts into the
    // panes.
    virtual void ApplyOutputSettings(const ClientSettings& settings) = 0;
    // Only on a fresh settings database: the hub setup dialog, modal; it may change the identifier.
    virtual void RunHubSetup(std::string& setupIdent) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Parse the display-format list into the output formatter (a first start gets the default list:
    // calling number, name and service address on one line).
    virtual void SetupDisplayFormatList() = 0;
    virtual void SetHourglass(bool busy) = 0;
    // Window position from the settings; the size follows from the display mode.
    virtual void RestoreFormPosition() = 0;
    virtual void SetRecordsProcessedText(const std::string& text) = 0;
    virtual void EnableTimers(bool enabled) = 0;
    // Show the saved display mode as if chosen from the menu.
    virtual void ShowDisplayMode(int mode) = 0;
    // The setup password lock's stored state applied as it is (the setup frames enabled exactly when
    // unlocked); nothing is stored or sent.
    virtual void ApplySetupLock(bool locked) = 0;
    // Last: whether Auto Connect carries its check mark; if so, start-up asks for a connection.
    virtual bool AutoConnectChecked() const = 0;
    virtual void ShowCommsConsole(bool visible) = 0;
    // The four information items of the Comms menu, mnuCommI(0) to mnuCommI(3).
    virtual void SetCommsInfoItem(int index, const std::string& text) = 0;

    // Before the settings are saved: copy what the window holds (fonts, sizes) into the settings.
    virtual void StoreWindowSettings() = 0;
    // Shutdown.
    virtual void SaveWindowPosition() = 0;
    // Ends the program: the window goes and the event loop stops.
    virtual void Unload() = 0;
};

} // namespace zeva
