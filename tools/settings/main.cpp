// zeva-settings: creates, lists, checks and sets the keys of a settings database (ZEVARegistry.mdb)
// for administrators and for the demo. Keys are full keys, section and key name joined by "\",
// e.g. "Setup\TCP\Remote Port". Values are taken and printed as UTF-8.
#include "tools/ToolExit.h"
#include "tools/settings/SettingsCommands.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <iostream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zeva-settings"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEVA_PROJECT_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Administers the ZEVA Screen Client settings database.\n\n") +
        QString::fromUtf8(zeva::settingstool::kCommandHelp) + QStringLiteral("\n\n") +
        QString::fromUtf8(zeva::tool::kExitStatusHelp));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption fileOption({QStringLiteral("f"), QStringLiteral("file")},
                                        QStringLiteral("The settings database (default: ZEVARegistry.mdb)."),
                                        QStringLiteral("path"), QStringLiteral("ZEVARegistry.mdb"));
    const QCommandLineOption allOption(QStringLiteral("all"),
                                       QStringLiteral("list: every key the client reads."));
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        QStringLiteral("set: write a key the client does not read, or any value; import: replace the file."));
    const QCommandLineOption addressOption(
        QStringLiteral("hub-address"), QStringLiteral("site: the hub's address."), QStringLiteral("address"));
    const QCommandLineOption portOption(QStringLiteral("hub-port"),
                                        QStringLiteral("site: the hub's TCP port."), QStringLiteral("port"));
    const QCommandLineOption fieldOption(QStringLiteral("field-db"),
                                         QStringLiteral("site: the field database file name."),
                                         QStringLiteral("file"));
    parser.addOptions({fileOption, allOption, forceOption, addressOption, portOption, fieldOption});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("create, list, defaults, get, set, delete, site or import"));
    const auto toStd = [](const QStringList& list) {
        std::vector<std::string> out;
        for (const QString& a : list)
            out.push_back(a.toStdString());
        return out;
    };
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << "zeva-settings: "
                  << zeva::settingstool::UsageErrorText(parser.errorText().toStdString(),
                                                        toStd(QCoreApplication::arguments().mid(1)))
                  << "\n";
        return zeva::tool::kUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

    zeva::settingstool::Options options;
    options.file = parser.value(fileOption).toStdString();
    options.all = parser.isSet(allOption);
    options.force = parser.isSet(forceOption);
    if (parser.isSet(addressOption)) options.hubAddress = parser.value(addressOption).toStdString();
    if (parser.isSet(portOption)) options.hubPort = parser.value(portOption).toStdString();
    if (parser.isSet(fieldOption)) options.fieldDb = parser.value(fieldOption).toStdString();
    return zeva::settingstool::Run(toStd(parser.positionalArguments()), options, std::cout, std::cerr);
}
