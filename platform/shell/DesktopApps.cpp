#include "platform/shell/DesktopApps.h"

#include "platform/shell/IniText.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <map>
#include <optional>

namespace {

struct Entry {
    DesktopApp app;
    QStringList mimeTypes;
    bool hidden = false; // Hidden=true: as if not installed
    bool noDisplay = false;
};

QStringList searchFolders(
    const char* homeVariable, const char* homeDefault, const char* dirsVariable, const char* dirsDefault)
{
    QString home = qEnvironmentVariable(homeVariable);
    if (home.isEmpty())
        home = QDir::homePath() + QLatin1Char('/') + QLatin1String(homeDefault);
    QString dirs = qEnvironmentVariable(dirsVariable);
    if (dirs.isEmpty())
        dirs = QLatin1String(dirsDefault);
    return QStringList{home} + dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QStringList dataFolders()
{
    return searchFolders("XDG_DATA_HOME", ".local/share", "XDG_DATA_DIRS", "/usr/local/share:/usr/share");
}

QStringList mimeAppsFiles()
{
    QStringList files;
    for (const QString& folder : searchFolders("XDG_CONFIG_HOME", ".config", "XDG_CONFIG_DIRS", "/etc/xdg"))
        files << folder + QStringLiteral("/mimeapps.list");
    for (const QString& folder : dataFolders())
        files << folder + QStringLiteral("/applications/mimeapps.list");
    return files;
}

std::optional<Entry> readEntry(const QString& file, const QString& id)
{
    const std::vector<IniLine> lines = ParseIni(ReadIniLines(file));
    const QString group = QStringLiteral("desktop entry");
    if (IniValue(lines, group, QStringLiteral("type")) != QLatin1String("Application"))
        return std::nullopt;
    Entry entry;
    entry.app.id = id;
    entry.app.file = file;
    entry.app.name = UnescapeDesktopValue(IniValue(lines, group, QStringLiteral("name")));
    entry.app.exec = UnescapeDesktopValue(IniValue(lines, group, QStringLiteral("exec")));
    entry.app.icon = UnescapeDesktopValue(IniValue(lines, group, QStringLiteral("icon")));
    entry.app.terminal = IniValue(lines, group, QStringLiteral("terminal")) == QLatin1String("true");
    entry.mimeTypes = IniValue(lines, group, QStringLiteral("mimetype")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    entry.hidden = IniValue(lines, group, QStringLiteral("hidden")) == QLatin1String("true");
    entry.noDisplay = IniValue(lines, group, QStringLiteral("nodisplay")) == QLatin1String("true");
    if (entry.app.exec.isEmpty())
        return std::nullopt;
    return entry;
}

// Installed entries by id; an entry in an earlier data folder hides later
// ones of the same id.
std::map<QString, Entry> installedEntries()
{
    std::map<QString, Entry> entries;
    QSet<QString> seen;
    for (const QString& folder : dataFolders()) {
        const QString applications = folder + QStringLiteral("/applications");
        QDirIterator files(applications, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            const QString id = QDir(applications).relativeFilePath(file).replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (std::optional<Entry> entry = readEntry(file, id))
                entries.emplace(id, *entry);
        }
    }
    return entries;
}

QStringList associated(const QString& file, const QString& section, const QString& mimeType)
{
    return IniValue(ParseIni(ReadIniLines(file)), section, mimeType.toLower())
        .split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// %f and %u take one file per start.
bool startsPerFile(const QString& exec)
{
    return exec.contains(QLatin1String("%f")) || exec.contains(QLatin1String("%u"));
}

std::optional<QStringList> splitExec(const QString& exec)
{
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size() && QStringLiteral("\"`$\\").contains(exec[i + 1]))
                word += exec[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words << word;
    return words;
}

QString asUrl(const QString& file) { return QUrl::fromLocalFile(file).toString(); }

// One word with its field codes expanded; several words for %F, %U and %i
// standing alone.
QStringList expandWord(const QString& word, const DesktopApp& app, const QStringList& files)
{
    if (word == QLatin1String("%F"))
        return files;
    if (word == QLatin1String("%U")) {
        QStringList urls;
        for (const QString& file : files)
            urls << asUrl(file);
        return urls;
    }
    if (word == QLatin1String("%i"))
        return app.icon.isEmpty() ? QStringList() : QStringList{QStringLiteral("--icon"), app.icon};
    QString out;
    bool hadCode = false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != QLatin1Char('%') || i + 1 == word.size()) {
            out += word[i];
            continue;
        }
        hadCode = true;
        switch (word[++i].unicode()) {
        case '%':
            out += QLatin1Char('%');
            break;
        case 'f':
            out += files.value(0);
            break;
        case 'u':
            out += files.isEmpty() ? QString() : asUrl(files.front());
            break;
        case 'c':
            out += app.name;
            break;
        case 'k':
            out += app.file;
            break;
        default:
            break; // deprecated and unknown codes vanish
        }
    }
    return hadCode && out.isEmpty() ? QStringList() : QStringList{out};
}

} // namespace

std::vector<DesktopApp> AppsForMimeType(const QString& mimeType)
{
    QStringList types{mimeType};
    const QMimeType known = QMimeDatabase().mimeTypeForName(mimeType);
    if (known.isValid())
        types << known.name() << known.allAncestors();
    const std::map<QString, Entry> entries = installedEntries();
    std::vector<DesktopApp> apps;
    QSet<QString> taken;
    QSet<QString> removed;
    const auto take = [&](const QString& id, bool explicitly) {
        const auto found = entries.find(id);
        if (found == entries.end() || found->second.hidden || taken.contains(id) || removed.contains(id))
            return;
        if (found->second.noDisplay && !explicitly)
            return;
        taken.insert(id);
        apps.push_back(found->second.app);
    };
    const QStringList listFiles = mimeAppsFiles();
    for (const QString& type : types) {
        for (const QString& file : listFiles)
            for (const QString& id : associated(file, QStringLiteral("removed associations"), type))
                removed.insert(id);
        for (const QString& section : {QStringLiteral("default applications"), QStringLiteral("added associations")})
            for (const QString& file : listFiles)
                for (const QString& id : associated(file, section, type))
                    take(id, true);
        std::vector<const Entry*> naming;
        for (const auto& [id, entry] : entries)
            if (entry.mimeTypes.contains(type, Qt::CaseInsensitive))
                naming.push_back(&entry);
        std::sort(naming.begin(), naming.end(),
            [](const Entry* a, const Entry* b) { return a->app.name.compare(b->app.name, Qt::CaseInsensitive) < 0; });
        for (const Entry* entry : naming)
            take(entry->app.id, false);
    }
    return apps;
}

std::vector<QStringList> ExecArguments(const DesktopApp& app, const QStringList& files)
{
    const std::optional<QStringList> words = splitExec(app.exec);
    if (!words || words->isEmpty())
        return {};
    std::vector<QStringList> starts;
    std::vector<QStringList> fileGroups;
    if (startsPerFile(app.exec) && files.size() > 1)
        for (const QString& file : files)
            fileGroups.push_back({file});
    else
        fileGroups.push_back(files);
    for (const QStringList& group : fileGroups) {
        QStringList arguments;
        for (const QString& word : *words)
            arguments << expandWord(word, app, group);
        if (!arguments.isEmpty())
            starts.push_back(arguments);
    }
    return starts;
}
