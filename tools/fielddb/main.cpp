// zeva-fielddb: creates the sample field database (fields 101 to 153, shaped after the default test
// record) and lists the definitions of a field database the way the screen client loads them.
// Texts are printed as UTF-8.
#include "common/Convert.h"
#include "common/Cp1252.h"
#include "common/SqliteDatabase.h"
#include "model/FieldDatabase.h"
#include "model/FieldValue.h"
#include "tools/ToolExit.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

extern const char* const kSampleFieldsSql;

namespace {

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "zeva-fielddb: %s\n", message.c_str());
    return status;
}

// Writes the database under a temporary name beside path and renames it into place only when the
// whole script ran: a script that fails leaves no file behind to block the next try.
bool CreateFromScript(const std::string& path, const std::string& script, std::string& error) {
    namespace fs = std::filesystem;
    const std::string temp = path + ".part" + std::to_string(::getpid());
    std::error_code ec;
    fs::remove(temp, ec);
    zeva::SqliteDatabase db;
    bool ok = db.Open(temp, zeva::SqliteDatabase::Mode::Create) && db.ExecScript(script);
    if (!ok) error = db.LastError();
    db.Close();
    if (ok) {
        fs::rename(temp, path, ec);
        if (ec) {
            ok = false;
            error = "cannot rename " + temp + ": " + ec.message();
        }
    }
    if (!ok) fs::remove(temp, ec);
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zeva-fielddb"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEVA_PROJECT_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates and lists ZEVA field databases (table ZVFields).\n\n"
                       "Commands:\n"
                       "  create   write the sample field database (fields 101 to 153)\n"
                       "  list     print the definitions as the client loads them\n\n"
                       "create writes the file only when the whole script ran; it replaces an existing\n"
                       "file only with --force.\n\n") +
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
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("create or list"));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) return Fail(zeva::tool::kUsage, "give one command (create or list); see --help");
    const std::string path = parser.value(fileOption).toStdString();
    const QString qpath = parser.value(fileOption);

    if (args[0] == QLatin1String("create")) {
        std::string script = kSampleFieldsSql;
        if (parser.isSet(sqlOption)) {
            QFile file(parser.value(sqlOption));
            if (!file.open(QIODevice::ReadOnly))
                return Fail(zeva::tool::kFailed, parser.value(sqlOption).toStdString() + ": cannot read");
            script = file.readAll().toStdString();
        }
        if (QFileInfo::exists(qpath) && !parser.isSet(forceOption))
            return Fail(zeva::tool::kFailed, path + ": exists; use --force to replace it");
        std::string error;
        if (!CreateFromScript(path, script, error))
            return Fail(zeva::tool::kFailed, path + ": " + error + "; no file written");
    } else if (args[0] != QLatin1String("list")) {
        return Fail(zeva::tool::kUsage, "unknown command \"" + args[0].toStdString() + "\"; see --help");
    }

    zeva::FieldDatabase fields;
    std::vector<zeva::ZVFieldType> rows;
    if (!zeva::PXOpenDatabase(fields, path))
        return Fail(zeva::tool::kFailed, path + ": " + fields.LastError());
    if (!fields.ReadFields(rows)) return Fail(zeva::tool::kFailed, path + ": " + fields.LastError());
    for (const auto& f : rows)
        std::printf("%04d %-12s %-8s %-20s %s%s\n", f.Identifier, zeva::Cp1252ToUtf8(f.Title).c_str(),
                    zeva::FieldValue::TypeName(f.VType).c_str(), zeva::Cp1252ToUtf8(f.DFormat).c_str(),
                    zeva::Cp1252ToUtf8(f.Description).c_str(), f.DBase ? "" : "  (not stored)");
    std::printf("%zu fields in %s\n", rows.size(), path.c_str());
    return 0;
}
