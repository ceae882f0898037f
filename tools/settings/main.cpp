// zeva-settings: creates, lists, reads and sets the keys of a settings database (ZEVARegistry.mdb)
// for administrators and for the demo. Keys are full keys, section and key name joined by "\",
// e.g. "Setup\TCP\Remote Port". Values are taken and printed as UTF-8.
#include "common/SqliteDatabase.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

using zeva::SqliteDatabase;

namespace {

const char* kSchema = "CREATE TABLE IF NOT EXISTS StartUp (Key_Description TEXT, Key_Data TEXT, Description TEXT);"
                      "CREATE INDEX IF NOT EXISTS StartUpKey ON StartUp (Key_Description);";

int Fail(const std::string& message) {
    std::fprintf(stderr, "zeva-settings: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zeva-settings"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Administers the ZEVA Screen Client settings database.\n\n"
        "Commands:\n"
        "  create               create an empty settings database (table StartUp)\n"
        "  list                 print every row as: key = value\n"
        "  get KEY              print the value of KEY (exit 2 when the key is missing)\n"
        "  set KEY VALUE [DESC] update KEY, or insert it with DESC (default \"Automatic Insertion\")\n"
        "  delete KEY           remove every row of KEY\n\n"
        "KEY is section and key name joined by a backslash, e.g. \"Setup\\TCP\\Remote Port\"."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption fileOption({QStringLiteral("f"), QStringLiteral("file")},
                                  QStringLiteral("The settings database (default: ZEVARegistry.mdb)."),
                                  QStringLiteral("path"), QStringLiteral("ZEVARegistry.mdb"));
    parser.addOption(fileOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("create, list, get, set or delete"));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty()) return Fail("no command given; see --help");
    const QString command = args[0];
    const std::string path = parser.value(fileOption).toStdString();
    SqliteDatabase db;

    if (command == QLatin1String("create")) {
        if (!db.Open(path, SqliteDatabase::Mode::Create) || !db.ExecScript(kSchema))
            return Fail(path + ": " + db.LastError());
        std::printf("%s\n", path.c_str());
        return 0;
    }
    if (!QFileInfo::exists(QString::fromStdString(path))) return Fail(path + ": no such file");
    const bool writes = command == QLatin1String("set") || command == QLatin1String("delete");
    if (!db.Open(path, writes ? SqliteDatabase::Mode::ReadWrite : SqliteDatabase::Mode::ReadOnly))
        return Fail(path + ": " + db.LastError());

    std::vector<SqliteDatabase::Row> rows;
    if (command == QLatin1String("list") && args.size() == 1) {
        if (!db.Exec("SELECT Key_Description, Key_Data FROM StartUp ORDER BY rowid", {}, &rows))
            return Fail(db.LastError());
        for (const auto& row : rows)
            std::printf("%s = %s\n", row[0].value_or("").c_str(), row[1].value_or("").c_str());
        return 0;
    }
    if (command == QLatin1String("get") && args.size() == 2) {
        if (!db.Exec("SELECT Key_Data FROM StartUp WHERE Key_Description = ?1 ORDER BY rowid LIMIT 1",
                     {args[1].toStdString()}, &rows))
            return Fail(db.LastError());
        if (rows.empty()) return 2;
        std::printf("%s\n", rows[0][0].value_or("").c_str());
        return 0;
    }
    if (command == QLatin1String("set") && (args.size() == 3 || args.size() == 4)) {
        const std::string key = args[1].toStdString(), value = args[2].toStdString();
        const std::string desc = args.size() == 4 ? args[3].toStdString() : "Automatic Insertion";
        if (!db.Exec("UPDATE StartUp SET Key_Data = ?2 WHERE Key_Description = ?1", {key, value}))
            return Fail(db.LastError());
        if (db.Changes() == 0 &&
            !db.Exec("INSERT INTO StartUp (Key_Description, Key_Data, Description) VALUES (?1, ?2, ?3)",
                     {key, value, desc}))
            return Fail(db.LastError());
        return 0;
    }
    if (command == QLatin1String("delete") && args.size() == 2) {
        if (!db.Exec("DELETE FROM StartUp WHERE Key_Description = ?1", {args[1].toStdString()}))
            return Fail(db.LastError());
        return 0;
    }
    return Fail("unknown command or wrong arguments: " + command.toStdString() + "; see --help");
}
