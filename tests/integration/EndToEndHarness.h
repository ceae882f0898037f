#pragma once
// What the end-to-end tests and the end-to-end benchmark share: a settings database that points
// the real main window at a hub on a loopback port, the sample field database beside it, caller
// records with distinct calling numbers, and bounded waits on the event loop.
#include "common/SqliteDatabase.h"
#include "comms/ui/QtHubConnection.h"
#include "shell/ui/frmZVScreenClientMain.h"
#include "tests/support/SiteFolder.h"
#include "tools/hub/RecordSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListView>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

namespace zeva::e2e {

// Runs the event loop until done() holds or ms have passed; never spins: each round waits for an
// event, woken at least every 20 ms.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QTimer wake;
        wake.setSingleShot(true);
        wake.start(20);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The calling number (field 105) of record n: unique per record, ten digits.
inline std::string CallingNumber(std::uint64_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "04%08llu", static_cast<unsigned long long>(n % 100000000ULL));
    return text;
}

// Writes count pipe-delimited caller records (the hub's default test record with field 102 the
// sequence number and field 105 the calling number of CallingNumber(n)).
inline bool WriteRecordsFile(const std::string& path, std::uint64_t count) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string line = RecordSource::DefaultTestLine();
    const std::size_t calling = line.find("|0311112222|") + 1; // field 105, ten digits
    for (std::uint64_t n = 0; n < count && out; ++n) {
        char seq[16];
        std::snprintf(seq, sizeof seq, "%06llu", static_cast<unsigned long long>(n % 1000000ULL));
        line.replace(2, 6, seq); // field 102, six digits
        line.replace(calling, 10, CallingNumber(n));
        out << line << '\n';
    }
    return static_cast<bool>(out);
}

// A settings database at settingsPath for a client that connects at once to 127.0.0.1:port,
// with the sample field database (made from data/sample-fields.sql) beside it. extra overrides or
// adds keys ("Setup\\TCP\\Async Comms" -> "False").
inline bool WriteSettings(const std::filesystem::path& dir, const std::string& settingsPath, int port,
                          const std::map<std::string, std::string>& extra, std::string& error) {
    const std::string fieldPath = (dir / "ZEVAField.mdb").string();
    std::map<std::string, std::string> keys = {
        {"Setup\\WINDOW\\Load", "False"},
        {"Setup\\WINDOW\\WindowSelected", "1"},
        {"Setup\\TCP\\Auto Connect", "True"},
        {"Setup\\TCP\\Remote Address", "127.0.0.1"},
        {"Setup\\TCP\\Remote Port", std::to_string(port)},
        {"Setup\\TCP\\Hub Connection Retries", "20"},
        {"Setup\\TCP\\Hub Inter Retry Wait", "1"},
        {"Setup\\TCP\\Async Comms", "True"},
        {"Setup\\FieldDataBaseFile", fieldPath},
    };
    std::string map; // Fields grid rows from the last up to row 1
    for (int f = 153; f >= 101; --f)
        map += std::to_string(f) + ":";
    keys["FIELDS_Window\\QMapIndex"] = map;
    for (const auto& [k, v] : extra)
        keys[k] = v;

    std::filesystem::remove(settingsPath);
    if (!test::CreateSettingsDatabase(settingsPath, {keys.begin(), keys.end()})) {
        error = "cannot create " + settingsPath;
        return false;
    }

    std::ifstream sql(std::string(ZEVA_SOURCE_DIR) + "/data/sample-fields.sql");
    std::stringstream text;
    text << sql.rdbuf();
    std::filesystem::remove(fieldPath);
    SqliteDatabase fields;
    if (text.str().empty() || !fields.Open(fieldPath, SqliteDatabase::Mode::Create) ||
        !fields.ExecScript(text.str())) {
        error = "cannot make the sample field database " + fieldPath;
        return false;
    }
    return true;
}

// The engine's step of the window's hub connection, shortened (the login then takes a fraction of
// a second instead of four 2-second steps). The connection timer and the server timer keep theirs.
inline bool SetEngineTick(frmZVScreenClientMain& window, int ms) {
    if (!window.hubHost()) return false;
    bool found = false;
    for (QTimer* t : window.hubHost()->findChildren<QTimer*>(Qt::FindDirectChildrenOnly))
        if (t->interval() == QtHubConnection::kTickMs) {
            t->setInterval(ms);
            found = true;
        }
    return found;
}

// The Output window's lines as they stand; its view() hears of them once per frame.
inline QtLineListBox* OutputList(const frmZVScreenClientMain& window) {
    return QtLineListBox::Of(window.findChild<QListView*>(QStringLiteral("lstOutput")));
}

} // namespace zeva::e2e
