#pragma once
#include <string>

namespace zeva {

// What start-up, the connection timer and shutdown do to the station's long-lived objects: the hub
// connection, the field and record classes with the field database, and the module flags. Station
// implements it; tests record the calls.
class StationPort {
  public:
    virtual ~StationPort() = default;

    // Create and load the hub connection `client`, its console hidden.
    virtual void CreateHubConnection() = 0;
    // Once the identifier checks: open the field database, connect the field and record classes,
    // close the database. "" on success, else the message to show: kFieldDatabaseFailure followed by
    // the file name and ")", kFieldClassFailure, or the record class's.
    virtual std::string ConnectClasses(const std::string& userid) = 0;
    static constexpr const char* kFieldDatabaseFailure = "Failed to Open the Field DataBase (";
    static constexpr const char* kFieldClassFailure = "Failed to connect to Field class (ZVFClass)";
    // After ConnectClasses failed to open the field database: another program holds it locked.
    virtual bool FieldDatabaseLocked() const = 0;
    // Why it failed to open ("file is not a database").
    virtual std::string FieldDatabaseError() const = 0;
    // Connect the module flag class; false stops start-up with "Failed to load ModuleClass".
    virtual bool ConnectModuleFlags(const std::string& userid) = 0;

    // The hub connection as the connection timer sees it.
    virtual bool HubConnected() const = 0;
    // One connection attempt with the member settings; the result shows on the next tick.
    virtual void ConnectToHub() = 0;
    virtual void DisconnectHub() = 0;
    // True while a log-off the connection has started is still under way (the 1002 not yet gone).
    virtual bool HubDisconnecting() const = 0;
    // True while an attempt to the hub is under way (connecting or logging in).
    virtual bool HubConnecting() const = 0;
    virtual std::string HubLocalPort() const = 0;

    // Shutdown, each called only for what start-up created and connected.
    virtual void DisconnectClasses() = 0;
    virtual void CloseFieldDatabase() = 0;
    virtual void DisconnectModuleFlags() = 0;
    virtual void UnloadHubConnection() = 0;
};

} // namespace zeva
