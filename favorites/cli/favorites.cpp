// zarn-favorites: lists the favorites folder, exports it to a bookmark HTML
// file and imports one into a sub-folder of it, with the browser's own
// bookmark components.
// Exit status: 0 success, 1 the operation failed, 2 bad usage.
#include "favorites/ExportFavorite.h"
#include "favorites/ImportFavorite.h"
#include "platform/cli/CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

constexpr const char* kUsage
    = "usage: zarn-favorites list [--recursive] | export FILE | import FILE [--into FOLDER] [--verbose]\n";

constexpr const char* kHelp
    = "Works on ZarnWeb's favorites folder (Favorites/ in the profile: $ZARNWEB_HOME, else\n"
      "$XDG_DATA_HOME/ZarnWeb), one .url shortcut per favorite.\n"
      "\n"
      "  list [--recursive]        the folders (\"Name/\") and favorites (\"Title<TAB>address\")\n"
      "                            of the favorites folder, with --recursive those of every\n"
      "                            sub-folder too, indented by depth\n"
      "  export FILE               writes every favorite into the bookmark HTML file FILE\n"
      "                            (UTF-8; its name must hold \"htm\" after the first character),\n"
      "                            replacing it whole\n"
      "  import FILE [--into FOLDER] [--verbose]\n"
      "                            creates the favorites of the bookmark HTML file FILE (ours or\n"
      "                            another browser's) in the sub-folder FOLDER of the favorites\n"
      "                            folder, \"Imported Bookmarks\" unless given; --verbose names\n"
      "                            each link left out and why\n"
      "  -h, --help                show this help\n"
      "\n"
      "Each command ends with a summary line (\"412 imported, 3 skipped\").\n"
      "Exit status: 0 success, 1 the operation failed (the message says why), 2 bad usage.\n";

struct Command {
    QString name;
    QString file;
    QString into = QStringLiteral("Imported Bookmarks");
    bool recursive = false;
    bool verbose = false;
};

enum class Parsed { Run, Help, BadUsage };

Parsed parseArguments(const QStringList& args, Command& command)
{
    if (args.contains(QLatin1String("-h")) || args.contains(QLatin1String("--help")))
        return Parsed::Help;
    if (args.isEmpty())
        return Parsed::BadUsage;
    command.name = args.front();
    bool haveFile = false, haveInto = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (command.name == QLatin1String("list") && arg == QLatin1String("--recursive") && !command.recursive)
            command.recursive = true;
        else if (command.name == QLatin1String("import") && arg == QLatin1String("--verbose") && !command.verbose)
            command.verbose = true;
        else if (command.name == QLatin1String("import") && arg == QLatin1String("--into") && !haveInto
            && i + 1 < args.size()) {
            command.into = args.at(++i);
            haveInto = true;
        } else if (command.name != QLatin1String("list") && !haveFile && !arg.startsWith(QLatin1Char('-'))) {
            command.file = arg;
            haveFile = true;
        } else
            return Parsed::BadUsage;
    }
    const bool known = command.name == QLatin1String("list") || command.name == QLatin1String("export")
        || command.name == QLatin1String("import");
    return known && (haveFile || command.name == QLatin1String("list")) ? Parsed::Run : Parsed::BadUsage;
}

const cli::Tool tool{"zarn-favorites", kUsage, kHelp};

// Titles and addresses come from bookmark files and shortcuts of anyone.
void printLine(const QString& line) { cli::PrintLine(line.toStdString()); }

// The components' messages break their lines for a message box.
void printError(const QString& message)
{
    tool.Fail(QString(message).replace(QLatin1String("\n\r"), QLatin1String(" ")).toStdString());
}

void printSkippedLinks(const QStringList& skipped)
{
    for (const QString& link : skipped)
        printError(QStringLiteral("link not followed: ") + link);
}

const TFavoriteErrorEvent reportError = [](QObject*, const QString& message, unsigned char code) {
    printError(message + QStringLiteral(" (error %1)").arg(code));
};

int list(const Command& command)
{
    const QString root = FavoritesRoot(QStringLiteral("Auto"));
    if (!QFileInfo(root).isDir()) {
        printError(QStringLiteral("the favorites folder %1 cannot be read").arg(root));
        return 1;
    }
    int favorites = 0, folders = 0;
    QStringList skipped;
    for (const TUrlRec& record : ScanFavoritesFolder(root, command.recursive, &skipped)) {
        const QString indent(2 * (record.Level - 1), QLatin1Char(' '));
        if (record.Title.isEmpty()) {
            printLine(indent + record.Folder.last() + QLatin1Char('/'));
            ++folders;
        } else {
            printLine(indent + record.Title + QLatin1Char('\t') + record.Url);
            ++favorites;
        }
    }
    printSkippedLinks(skipped);
    printLine(QStringLiteral("%1 favorites, %2 folders").arg(favorites).arg(folders));
    return 0;
}

int exportFavorites(const Command& command)
{
    const QFileInfo file(command.file);
    TExportFavorite exporter;
    exporter.TargetPath = file.absolutePath();
    exporter.TargetFileName = file.fileName();
    exporter.OnError = reportError;
    const bool exported = exporter.Execute();
    printSkippedLinks(exporter.SkippedLinks());
    if (!exported)
        return 1;
    printLine(QStringLiteral("%1 exported to %2").arg(exporter.ExportedCount()).arg(exporter.TargetFile()));
    return 0;
}

int importFavorites(const Command& command)
{
    const QFileInfo file(command.file);
    TImportFavorite importer;
    importer.CurrentFilePath = file.absolutePath();
    importer.CurrentFileName = file.fileName();
    importer.TargetSubFolder = command.into;
    importer.ShowSuccessMessage = false;
    importer.OnError = reportError;
    if (!importer.Execute())
        return 1;
    if (command.verbose)
        for (const QString& link : importer.SkippedLinks())
            printLine(QStringLiteral("skipped ") + link);
    printLine(QStringLiteral("%1 imported, %2 skipped").arg(importer.ImportedCount()).arg(importer.SkippedCount()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ZarnWeb"));
    Command command;
    switch (parseArguments(QCoreApplication::arguments().mid(1), command)) {
    case Parsed::Help:
        return tool.Help();
    case Parsed::BadUsage:
        return tool.BadUsage();
    case Parsed::Run:
        break;
    }
    if (command.name == QLatin1String("list"))
        return list(command);
    if (command.name == QLatin1String("export"))
        return exportFavorites(command);
    return importFavorites(command);
}
