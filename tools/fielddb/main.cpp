// zeva-fielddb: creates the sample field database (fields 101 to 153, shaped after the default test
// record), lists the definitions of a field database the way the screen client loads them, and
// copies the table ZVFields of an Access (Jet) field database into SQLite: "export" for the client,
// which runs it in a child process, and "import" for an administrator moving a site over.
// Texts are printed as UTF-8.
#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/JetHeader.h"
#include "common/SqliteDatabase.h"
#include "common/WholeFile.h"
#include "model/FieldDatabase.h"
#include "model/FieldValue.h"
#include "tools/DatabaseFileError.h"
#include "tools/ToolExit.h"
#include "tools/jet/JetTable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <unistd.h>

extern const char* const kSampleFieldsSql;

namespace {

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "zeva-fielddb: %s\n", message.c_str());
    return status;
}

constexpr zeva::tool::DatabaseKind kFieldDatabase{"field database", zeva::FieldDatabase::kDefaultFile,
                                                  zeva::FieldDatabase::kTable,
                                                  "zeva-fielddb create makes the sample one"};

// A file to be written (create, import) where none can be: a folder, or a folder that is missing or
// cannot be written. Checked first, so a folder is not told "exists; use --force".
std::optional<std::string> CannotWrite(const std::string& path) {
    if (!zeva::WriteProblem(path)) return std::nullopt;
    return zeva::tool::DatabaseFileError(kFieldDatabase, path, {}, true) + "; no file written";
}

// Writes the database under a temporary name beside path and renames it into place only when the
// whole script ran: a script that fails leaves no file behind to block the next try.
bool CreateFromScript(const std::string& path, const std::string& script, std::string& error) {
    namespace fs = std::filesystem;
    const std::string temp = path + ".part" + std::to_string(::getpid());
    std::error_code ec;
    fs::remove(temp, ec);
    const zeva::WholeFileResult created = zeva::WriteThenRename(path, temp, [&](const std::string& part) {
        zeva::SqliteDatabase db;
        const bool ok = db.Open(part, zeva::SqliteDatabase::Mode::Create) && db.ExecScript(script);
        if (!ok) error = db.LastError();
        db.Close();
        return ok;
    });
    if (created.step == zeva::WholeFileStep::Rename) error = "cannot rename " + temp + ": " + created.reason;
    return created.Ok();
}

// Reads ZVFields from the Jet file and writes it into the SQLite file target, which must be
// missing or empty.
bool CopyJetFields(const std::string& jetPath, const std::string& target, bool scratch, std::size_t* rows,
                   std::string& error) {
    if (zeva::JetVersionOfFile(jetPath) == zeva::JetVersion::None) {
        const zeva::PathProblem problem = zeva::ReadProblem(jetPath);
        error =
            jetPath + ": " +
            (problem ? problem.text + " (name the Access field database)" : "not an Access (Jet) database");
        return false;
    }
    zeva::jet::Table table;
    if (!zeva::jet::ReadTable(jetPath, zeva::FieldDatabase::kTable, table, error)) return false;
    std::error_code ec;
    if (std::filesystem::exists(target, ec) && std::filesystem::file_size(target, ec) != 0) {
        error = target + ": exists and is not empty";
        return false;
    }
    zeva::SqliteDatabase db;
    if (!db.Open(target, zeva::SqliteDatabase::Mode::Create) ||
        (scratch && !db.ExecScript("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"))) {
        error = target + ": " + db.LastError();
        return false;
    }
    if (!zeva::jet::WriteTable(db, zeva::FieldDatabase::kTable, table, error)) {
        error = target + ": " + error;
        return false;
    }
    if (rows) *rows = table.Rows.size();
    return true;
}

// Writes the field database path from table ZVFields of the Access file old; 0 when it did.
int Import(const std::string& old, const std::string& path, bool force) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(old, path, ec))
        return Fail(zeva::tool::kUsage,
                    path + ": is the Access file being read; name the new file with --file");
    if (const auto why = CannotWrite(path)) return Fail(zeva::tool::kFailed, *why);
    if (QFileInfo::exists(QString::fromStdString(path)) && !force)
        return Fail(zeva::tool::kFailed, path + ": exists; use --force to replace it");
    const std::string temp = path + ".part" + std::to_string(::getpid());
    fs::remove(temp, ec);
    std::size_t rows = 0;
    std::string error;
    const zeva::WholeFileResult imported = zeva::WriteThenRename(
        path, temp, [&](const std::string& part) { return CopyJetFields(old, part, false, &rows, error); });
    if (imported.step == zeva::WholeFileStep::Write)
        return Fail(zeva::tool::kFailed, error + "; no file written");
    if (!imported.Ok())
        return Fail(zeva::tool::kFailed,
                    "cannot rename " + temp + ": " + imported.reason + "; no file written");
    std::printf("read %zu rows of table %s from %s (%s)\n", rows, zeva::FieldDatabase::kTable, old.c_str(),
                zeva::JetVersionName(zeva::JetVersionOfFile(old)));
    return 0;
}

// Prints the definitions of the field database path as the client loads them.
int List(const std::string& path) {
    zeva::FieldDatabase fields;
    std::vector<zeva::ZVFieldType> rows;
    // Opened directly: the client's line naming its setting for the file is not for this tool.
    if (!fields.Open(path) || !fields.ReadFields(rows))
        return Fail(zeva::tool::kFailed,
                    zeva::tool::DatabaseFileError(kFieldDatabase, path, fields.LastError(), false));
    for (const auto& f : rows)
        std::printf("%04d %-12s %-8s %-20s %s%s\n", f.Identifier, zeva::Cp1252ToUtf8(f.Title).c_str(),
                    zeva::FieldValue::TypeName(f.VType).c_str(), zeva::Cp1252ToUtf8(f.DFormat).c_str(),
                    zeva::Cp1252ToUtf8(f.Description).c_str(), f.DBase ? "" : "  (not stored)");
    std::printf("%zu fields in %s\n", rows.size(), path.c_str());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    // The client runs export on files it cannot trust, in a child process: it starts no Qt and
    // touches nothing but the two files.
    if (argc == 4 && std::string_view(argv[1]) == "export") {
        std::string error;
        if (!CopyJetFields(argv[2], argv[3], true, nullptr, error)) return Fail(zeva::tool::kFailed, error);
        return 0;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zeva-fielddb"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEVA_PROJECT_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates and lists ZEVA field databases (table ZVFields).\n\n"
                       "Commands:\n"
                       "  create              write the sample field database (fields 101 to 153)\n"
                       "  list                print the definitions as the client loads them\n"
                       "  import OLD.mdb      write the field database (--file) from table ZVFields of\n"
                       "                      an Access (Jet) database, then list it\n"
                       "  export OLD.mdb OUT  copy table ZVFields of an Access database into the new\n"
                       "                      or empty SQLite file OUT (the client runs this itself)\n\n"
                       "create and import write the file only when all of it was written; they replace an\n"
                       "existing file only with --force, and import never replaces the file it reads.\n\n") +
        QString::fromUtf8(zeva::tool::kExitStatusHelp));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption fileOption({QStringLiteral("f"), QStringLiteral("file")},
                                  QStringLiteral("The field database (default: ZEVAField.mdb)."),
                                  QStringLiteral("path"),
                                  QString::fromLatin1(zeva::FieldDatabase::kDefaultFile));
    QCommandLineOption sqlOption(
        QStringLiteral("sql"), QStringLiteral("Create from this SQL script instead of the built-in sample."),
        QStringLiteral("script"));
    QCommandLineOption forceOption(QStringLiteral("force"), QStringLiteral("Replace an existing file."));
    parser.addOptions({fileOption, sqlOption, forceOption});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("create, list, import or export"));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const std::string path = parser.value(fileOption).toStdString();
    const QString qpath = parser.value(fileOption);
    const bool jetCommand =
        !args.isEmpty() && (args[0] == QLatin1String("import") || args[0] == QLatin1String("export"));
    const qsizetype expected = !jetCommand ? 1 : args[0] == QLatin1String("import") ? 2 : 3;
    if (args.size() != expected)
        return Fail(zeva::tool::kUsage,
                    "give one command (create, list, import OLD.mdb or export OLD.mdb OUT); "
                    "see --help");

    if (args[0] == QLatin1String("export")) { // export with options in front of its arguments
        std::string error;
        if (!CopyJetFields(args[1].toStdString(), args[2].toStdString(), true, nullptr, error))
            return Fail(zeva::tool::kFailed, error);
        return 0;
    }
    if (args[0] == QLatin1String("import")) {
        if (const int failed = Import(args[1].toStdString(), path, parser.isSet(forceOption))) return failed;
    } else if (args[0] == QLatin1String("create")) {
        std::string script = kSampleFieldsSql;
        if (parser.isSet(sqlOption)) {
            QFile file(parser.value(sqlOption));
            if (!file.open(QIODevice::ReadOnly))
                return Fail(zeva::tool::kFailed, parser.value(sqlOption).toStdString() + ": cannot read");
            script = file.readAll().toStdString();
        }
        if (const auto why = CannotWrite(path)) return Fail(zeva::tool::kFailed, *why);
        if (QFileInfo::exists(qpath) && !parser.isSet(forceOption))
            return Fail(zeva::tool::kFailed, path + ": exists; use --force to replace it");
        std::string error;
        if (!CreateFromScript(path, script, error))
            return Fail(zeva::tool::kFailed, path + ": " + error + "; no file written");
    } else if (args[0] != QLatin1String("list")) {
        return Fail(zeva::tool::kUsage, "unknown command \"" + args[0].toStdString() + "\"; see --help");
    }

    return List(path);
}
