#include "tools/settings/SettingsCommands.h"

#include "common/Cp1252.h"
#include "common/JetHeader.h"
#include "common/SqliteDatabase.h"
#include "common/TextUtil.h"
#include "common/WholeFile.h"
#include "settings/ClientSettings.h"
#include "settings/SettingsCatalog.h"
#include "settings/SettingsDatabase.h"
#include "settings/SettingsSchema.h"
#include "tools/DatabaseFileError.h"
#include "tools/ToolExit.h"
#include "tools/jet/JetTable.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace zeva::settingstool {

const char* const kCommandHelp =
    "Commands:\n"
    "  create               create an empty settings database (table StartUp)\n"
    "  list                 print every row as: key = value\n"
    "  list --all           print every key the client reads with the value it will use and\n"
    "                       where it comes from (the file or the default), then rows it does not read\n"
    "  defaults             print every key the client reads: default, kind and meaning\n"
    "  get KEY              print the value of KEY (exit 2 when the file has no such key)\n"
    "  set KEY VALUE [DESC] update KEY, or insert it with DESC (default \"Automatic Insertion\");\n"
    "                       refuses a key the client does not read and a value that does not read\n"
    "                       as the key's kind, unless --force (keys of other modules)\n"
    "  delete KEY           remove every row of KEY\n"
    "  site                 make the file ready for an operator's station (created when missing):\n"
    "                       Hub Connection Retries 0 (the link always comes back after a hub\n"
    "                       outage), the Output display at start-up, no first-load setup dialog;\n"
    "                       --hub-address, --hub-port and --field-db set those keys too\n"
    "  import OLD.mdb       write the settings database from table StartUp of an old station's\n"
    "                       Access (Jet) settings file: every row, its texts as stored; replaces an\n"
    "                       existing file only with --force, never the file it reads\n\n"
    "KEY is section and key name joined by a backslash, e.g. \"Setup\\TCP\\Remote Port\".\n"
    "A VALUE that begins with - goes after --, e.g. zeva-settings set KEY -- -120.\n"
    "The listings write a control character in a value as \\xNN (a line break as \\x0A); get prints\n"
    "the value as stored.";

namespace {

using tool::kDone;
using tool::kFailed;
using tool::kUsage;

int Fail(std::ostream& err, int status, const std::string& message) {
    err << "zeva-settings: " << message << "\n";
    return status;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

constexpr tool::DatabaseKind kSettingsDatabase{"settings database", "ZEVARegistry.mdb", "StartUp",
                                               "zeva-settings create or site makes one"};

// What is wrong with the settings database at path, and what to do: an old station's Access file
// is told as one, since the settings tool only converts it.
std::string FileError(const std::string& path, const std::string& sqliteError, bool making) {
    if (!(making ? WriteProblem(path) : ReadProblem(path)) && JetVersionOfFile(path) != JetVersion::None)
        return path + " is an old station's Access settings file: convert it with: mv " + path +
               " old-registry.mdb && zeva-settings import old-registry.mdb -f " + path;
    return tool::DatabaseFileError(kSettingsDatabase, path, sqliteError, making);
}

// Opens path, made with its table when missing; "" when done, else the error for FileError. A
// database of another kind (the field database named by mistake) is not written into.
std::string Create(SqliteDatabase& db, const std::string& path) {
    std::vector<SqliteDatabase::Row> tables;
    if (!db.Open(path, SqliteDatabase::Mode::Create) ||
        !db.Exec("SELECT name FROM sqlite_master WHERE type = 'table'", {}, &tables))
        return db.LastError();
    const bool otherKind = !tables.empty() && std::none_of(tables.begin(), tables.end(), [](const auto& row) {
        return row[0] && EqualsNoCase(*row[0], "StartUp");
    });
    if (otherKind) return "no such table: StartUp";
    return db.ExecScript(kSettingsSchema) ? std::string() : db.LastError();
}

// Update the key's rows, or insert one.
bool Store(SqliteDatabase& db, const std::string& key, const std::string& value, const std::string& desc) {
    if (!db.Exec("UPDATE StartUp SET Key_Data = ?2 WHERE Key_Description = ?1", {key, value})) return false;
    return db.Changes() > 0 ||
           db.Exec("INSERT INTO StartUp (Key_Description, Key_Data, Description) VALUES (?1, ?2, ?3)",
                   {key, value, desc});
}

// Why a key the client does not read was refused, with the catalogue keys of the same name.
std::string NotReadMessage(const std::string& key) {
    std::string message = key + ": the client does not read this key";
    const std::string name =
        key.substr(key.find_last_of('\\') == std::string::npos ? 0 : key.find_last_of('\\') + 1);
    std::string alike;
    for (const auto& k : SettingsCatalog())
        if (k.Read && !k.Numbered && k.Name == name) alike += (alike.empty() ? "" : " or ") + k.FullName();
    if (!alike.empty()) message += "; did you mean " + alike + "?";
    message += " (zeva-settings defaults lists the keys; --force writes it anyway)";
    return message;
}

// An empty value shows as "", so a listing never ends a line in blanks.
std::string Shown(const std::string& value) {
    return value.empty() ? "\"\"" : value;
}

int Defaults(std::ostream& out) {
    for (const auto& k : SettingsCatalog()) {
        out << k.Pattern() << " = " << Shown(k.Default) << "  (" << KindName(k.Kind) << ") " << k.Meaning
            << "\n";
    }
    return kDone;
}

int ListAll(const std::string& path, SqliteDatabase& db, std::ostream& out, std::ostream& err) {
    std::vector<SqliteDatabase::Row> rows;
    if (!db.Exec("SELECT Key_Description, Key_Data FROM StartUp ORDER BY rowid", {}, &rows))
        return Fail(err, kFailed, FileError(path, db.LastError(), false));
    std::map<std::string, std::string> stored; // the first row of a key is the one the client reads
    std::vector<std::string> order;
    for (const auto& r : rows) {
        const std::string key = r[0].value_or("");
        if (stored.emplace(key, r[1].value_or("")).second) order.push_back(key);
    }
    db.Close();

    // The values as the client's own readers take them, on read-only connections.
    std::vector<std::string> errors;
    auto sink = [&](const std::string& line) { errors.push_back(line); };
    const Session operatorSession{"s01", false}, s99Session{"s99", false};
    SettingsDatabase settings(path, operatorSession, sink), settings99(path, s99Session, sink);
    ClientSettings s, s99;
    LoadAllSettings(settings, operatorSession.Userid, s);
    ReadOutputSettings(settings, s);
    ReadClientSelection(settings, s);
    ReadWindowKeys(settings99, s99Session.Userid, s99);
    if (!errors.empty()) return Fail(err, kFailed, path + ": " + errors.front());

    auto show = [&](const SettingKey& k, int n) {
        const std::string key = k.FullName(n);
        const auto it = stored.find(key);
        const bool inFile = it != stored.end() && !it->second.empty();
        std::string value, source;
        if (!k.Read) {
            value = inFile ? it->second : "";
            source = inFile ? "file; written by admin runs, not read" : "not set; written by admin runs";
        } else {
            const bool fits = inFile && ValueFits(k, it->second, nullptr, false);
            value = k.Value ? k.Value(k.Userid == "s99" ? s99 : s, n) : (fits ? it->second : k.Default);
            if (!inFile)
                source = "default";
            else if (SameValue(k.Kind, it->second, value))
                source = "file";
            else if (!fits)
                source = "default; the file's \"" + it->second + "\" does not read as " + KindName(k.Kind);
            else
                source = "file's \"" + it->second + "\" as the client takes it";
        }
        out << TerminalSafe(key + " = " + Shown(value) + "  (" + source + ")") << "\n";
    };
    for (const auto& k : SettingsCatalog()) {
        if (!k.Open()) {
            for (int n : k.KeyNumbers())
                show(k, n);
            continue;
        }
        // Open families (Field001.., grid columns): the keys the file holds.
        std::vector<int> numbers;
        for (const auto& key : order) {
            int n = 0;
            if (FindSettingKey(key, &n) == &k) numbers.push_back(n);
        }
        std::sort(numbers.begin(), numbers.end());
        for (int n : numbers)
            show(k, n);
        if (numbers.empty())
            out << k.Pattern() << " = " << Shown(k.Default) << "  (default; none in the file)\n";
    }
    for (const auto& key : order)
        if (!FindSettingKey(key))
            out << TerminalSafe(key + " = " + stored[key]) << "  (file; not read by the client)\n";
    return kDone;
}

int Site(const std::string& path, const Options& o, std::ostream& out, std::ostream& err) {
    std::vector<std::pair<std::string, std::string>> writes = {
        {"Setup\\TCP\\Hub Connection Retries", "0"},
        {"Setup\\WINDOW\\WindowSelected", "1"},
        {"Setup\\WINDOW\\Load", "False"},
    };
    if (o.hubAddress) writes.emplace_back("Setup\\TCP\\Remote Address", *o.hubAddress);
    if (o.hubPort) writes.emplace_back("Setup\\TCP\\Remote Port", *o.hubPort);
    if (o.fieldDb) writes.emplace_back("Setup\\FieldDataBaseFile", *o.fieldDb);
    for (const auto& [key, value] : writes) {
        std::string why;
        if (!ValueFits(*FindSettingKey(key), value, &why) || value.empty())
            return Fail(err, kUsage,
                        key + ": \"" + value + "\" is " + (why.empty() ? "empty" : why) +
                            "; nothing written");
    }
    SqliteDatabase db;
    if (const std::string error = Create(db, path); !error.empty())
        return Fail(err, kFailed, FileError(path, error, true));
    for (const auto& [key, value] : writes) {
        if (!Store(db, key, value, "zeva-settings site"))
            return Fail(err, kFailed, FileError(path, db.LastError(), true));
        out << key << " = " << value << "\n";
    }
    return kDone;
}

// The column of the Jet table with this name (Access names are case-blind); -1 when missing.
int ColumnOf(const jet::Table& table, const std::string& name) {
    for (std::size_t i = 0; i < table.Columns.size(); ++i) {
        const std::string& c = table.Columns[i].Name;
        if (c.size() == name.size() && std::equal(c.begin(), c.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return static_cast<int>(i);
    }
    return -1;
}

int Import(const std::string& old, const std::string& path, const Options& o, std::ostream& out,
           std::ostream& err) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(old, path, ec))
        return Fail(err, kUsage, path + ": is the Access file being read; name the new file with --file");
    if (WriteProblem(path)) return Fail(err, kFailed, FileError(path, {}, true) + "; no file written");
    if (Exists(path) && !o.force) return Fail(err, kFailed, path + ": exists; use --force to replace it");
    const JetVersion version = JetVersionOfFile(old);
    if (version == JetVersion::None) {
        const PathProblem problem = ReadProblem(old);
        return Fail(err, kFailed,
                    old + ": " +
                        (problem ? problem.text + " (name the old station's Access settings file)"
                                 : "not an Access (Jet) database"));
    }
    jet::Table table;
    std::string error;
    if (!jet::ReadTable(old, "StartUp", table, error)) return Fail(err, kFailed, error + "; no file written");
    const int key = ColumnOf(table, "Key_Description"), data = ColumnOf(table, "Key_Data"),
              desc = ColumnOf(table, "Description");
    if (key < 0)
        return Fail(err, kFailed, old + ": table StartUp has no column Key_Description; no file written");

    // Written under a temporary name and renamed into place, so a failure leaves no half file.
    const std::string temp = path + ".part" + std::to_string(::getpid());
    fs::remove(temp, ec);
    std::size_t read = 0, known = 0;
    const WholeFileResult imported = WriteThenRename(path, temp, [&](const std::string& part) {
        SqliteDatabase db;
        bool ok = Create(db, part).empty() && db.Exec("BEGIN");
        for (const auto& row : table.Rows) {
            if (!ok) break;
            auto cell = [&](int i) {
                return i < 0 ? std::optional<std::string>() : row[static_cast<std::size_t>(i)];
            };
            ok = db.Exec("INSERT INTO StartUp (Key_Description, Key_Data, Description) VALUES (?1, ?2, ?3)",
                         {cell(key), cell(data), cell(desc)});
            ++read;
            if (row[static_cast<std::size_t>(key)] &&
                FindSettingKey(Utf8ToCp1252(*row[static_cast<std::size_t>(key)])))
                ++known;
        }
        ok = ok && db.Exec("COMMIT");
        if (!ok) error = db.LastError();
        db.Close();
        return ok;
    });
    if (imported.step == WholeFileStep::Rename) error = "cannot rename " + temp + ": " + imported.reason;
    if (!imported.Ok()) return Fail(err, kFailed, path + ": " + error + "; no file written");
    out << "read " << read << " rows of table StartUp from " << old << " (" << JetVersionName(version)
        << ")\n"
        << "wrote " << path << ": " << known << " keys the client reads, " << read - known
        << " rows it does not read (zeva-settings list --all shows them)\n";
    return kDone;
}

} // namespace

int Run(const std::vector<std::string>& args, const Options& o, std::ostream& out, std::ostream& err) {
    if (args.empty()) return Fail(err, kUsage, "no command given; see --help");
    const std::string& command = args[0];
    const std::string& path = o.file;
    const size_t n = args.size();
    SqliteDatabase db;

    if (command == "defaults" && n == 1) return Defaults(out);
    if (command == "create" && n == 1) {
        if (const std::string error = Create(db, path); !error.empty())
            return Fail(err, kFailed, FileError(path, error, true));
        out << path << "\n";
        return kDone;
    }
    if (command == "site" && n == 1) return Site(path, o, out, err);
    if (command == "import" && n == 2) return Import(args[1], path, o, out, err);

    const bool known = (command == "list" && n == 1) || (command == "get" && n == 2) ||
                       (command == "set" && (n == 3 || n == 4)) || (command == "delete" && n == 2);
    if (!known) {
        const bool named = command == "list" || command == "get" || command == "set" || command == "delete" ||
                           command == "defaults" || command == "create" || command == "site" ||
                           command == "import";
        return Fail(err, kUsage,
                    (named ? "wrong arguments for " : "unknown command ") + ("\"" + command + "\"") +
                        "; see --help");
    }
    if (command == "set" && !o.force) {
        const SettingKey* k = FindSettingKey(args[1]);
        if (!k || !k->Read) return Fail(err, kUsage, NotReadMessage(args[1]));
        std::string why;
        if (!ValueFits(*k, args[2], &why))
            return Fail(err, kUsage,
                        args[1] + ": \"" + args[2] + "\" is " + why + " (the key is " + KindName(k->Kind) +
                            "); nothing written, --force writes it anyway");
    }
    if (!Exists(path)) return Fail(err, kFailed, FileError(path, {}, false));
    const bool writes = command == "set" || command == "delete";
    if (!db.Open(path, writes ? SqliteDatabase::Mode::ReadWrite : SqliteDatabase::Mode::ReadOnly))
        return Fail(err, kFailed, FileError(path, db.LastError(), writes));

    std::vector<SqliteDatabase::Row> rows;
    if (command == "list") {
        if (o.all) return ListAll(path, db, out, err);
        if (!db.Exec("SELECT Key_Description, Key_Data FROM StartUp ORDER BY rowid", {}, &rows))
            return Fail(err, kFailed, FileError(path, db.LastError(), false));
        for (const auto& row : rows)
            out << TerminalSafe(row[0].value_or("") + " = " + row[1].value_or("")) << "\n";
        return kDone;
    }
    if (command == "get") {
        if (!db.Exec("SELECT Key_Data FROM StartUp WHERE Key_Description = ?1 ORDER BY rowid LIMIT 1",
                     {args[1]}, &rows))
            return Fail(err, kFailed, FileError(path, db.LastError(), false));
        if (rows.empty()) return kFailed; // a missing key: nothing printed, as scripts expect
        out << rows[0][0].value_or("") << "\n";
        return kDone;
    }
    if (command == "set") {
        if (!Store(db, args[1], args[2], n == 4 ? args[3] : "Automatic Insertion"))
            return Fail(err, kFailed, FileError(path, db.LastError(), true));
        return kDone;
    }
    if (!db.Exec("DELETE FROM StartUp WHERE Key_Description = ?1", {args[1]}))
        return Fail(err, kFailed, FileError(path, db.LastError(), true));
    return kDone;
}

std::string UsageErrorText(const std::string& parserError, const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a.size() > 1 && a[0] == '-' && a[1] >= '0' && a[1] <= '9')
            return "\"" + a +
                   "\" is no option: a value that begins with - goes after --, e.g. zeva-settings set KEY "
                   "-- " +
                   a;
    return parserError;
}

} // namespace zeva::settingstool
