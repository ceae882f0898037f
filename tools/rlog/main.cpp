// zeva-rlog: reads, counts, backs up and converts the record logs kept by the log store.
#include <QCommandLineParser>
#include <QCoreApplication>

#include <iostream>

#include "common/Convert.h"
#include "platform/Clock.h"
#include "tools/ToolExit.h"
#include "tools/rlog/RlogCommands.h"

namespace {

// The usage error for command: none given, unknown, or given the wrong arguments.
int Usage(const QString& command) {
    const bool known = command == "list" || command == "count" || command == "backup" || command == "convert";
    if (command.isEmpty())
        std::cerr << "zeva-rlog: no command given; see zeva-rlog --help\n";
    else if (!known)
        std::cerr << "zeva-rlog: unknown command \"" << command.toStdString() << "\"; see zeva-rlog --help\n";
    else
        std::cerr << "zeva-rlog: wrong arguments for " << command.toStdString() << "; see zeva-rlog --help\n";
    return zeva::tool::kUsage;
}

// The log file's name without folder and .log, dots as _, then _.
std::string DefaultPrefix(const std::string& log) {
    std::string prefix = log;
    const auto slash = prefix.find_last_of("/\\");
    if (slash != std::string::npos) prefix.erase(0, slash + 1);
    if (prefix.size() > 4 && prefix.ends_with(".log")) prefix.resize(prefix.size() - 4);
    for (char& c : prefix)
        if (c == '.') c = '_'; // a backup's name: keep the time digits apart from its parts
    prefix += '_';
    return prefix;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zeva-rlog");
    QCoreApplication::setApplicationVersion(ZEVA_PROJECT_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Reads and converts ZEVA record logs (LOGS/rstre<id>.log).\n\n"
            "Commands:\n"
            "  list <log file>                 Lists every entry: type, date-time (dd/mm/yyyy hh:mm:ss)\n"
            "                                  and text. --type keeps one type (0 records, 1 messages,\n"
            "                                  2 field definitions).\n"
            "  count <log file>                Counts the entries of each type and in all.\n"
            "  backup <base folder> <id>       Moves <base folder>/LOGS/rstre<id>.log into\n"
            "                                  <base folder>/BACKUP, starts a fresh log and prints the\n"
            "                                  backup's path.\n"
            "  convert <log file>              Converts the log into an SQLite database named\n"
            "                                  <prefix>hhmmssddmmyyyy.sqlite and prints its name.\n"
            "                                  Tables: RawRecords, Log, and Data0000, Data0001, ... with\n"
            "                                  one column per stored field. A write that fails (a full\n"
            "                                  disk) ends it and no database is kept.\n\n") +
        QString::fromUtf8(zeva::tool::kExitStatusHelp) +
        QStringLiteral(" A file that is not a record log fails."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("command", "list, count, backup or convert.");
    parser.addPositionalArgument("arguments", "The command's arguments.", "[arguments...]");
    const QCommandLineOption typeOption("type", "list: show only entries of this type (0 to 99).", "type");
    const QCommandLineOption prefixOption(
        "prefix",
        "convert: database name prefix (default: the log file's name without .log, dots as _, then _; in the "
        "current folder).",
        "prefix");
    parser.addOption(typeOption);
    parser.addOption(prefixOption);
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    zeva::SystemClock clock;

    if (command == "list" && args.size() == 2) {
        std::optional<std::int16_t> type;
        if (parser.isSet(typeOption)) {
            type = zeva::ToInt16(parser.value(typeOption).toStdString());
            if (!type || *type < 0 || *type > 99) {
                std::cerr
                    << "zeva-rlog: --type must be 0 to 99 (0 records, 1 messages, 2 field definitions)\n";
                return zeva::tool::kUsage;
            }
        }
        return zeva::rlog::List(args[1].toStdString(), type, std::cout, std::cerr);
    }
    if (command == "count" && args.size() == 2)
        return zeva::rlog::Count(args[1].toStdString(), std::cout, std::cerr);
    if (command == "backup" && args.size() == 3)
        return zeva::rlog::Backup(args[1].toStdString(), args[2].toStdString(), clock, std::cout, std::cerr);
    if (command == "convert" && args.size() == 2) {
        std::string prefix = parser.value(prefixOption).toStdString();
        if (prefix.empty()) prefix = DefaultPrefix(args[1].toStdString());
        return zeva::rlog::Convert(args[1].toStdString(), prefix, clock, std::cout, std::cerr);
    }
    return Usage(command);
}
