#include "favorites/BookmarkRecords.h"

#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "tools/BrowserSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

QString FavoritesRoot(const QString& favoritesPath)
{
    if (favoritesPath != QLatin1String("Auto"))
        return favoritesPath;
    const QString registered = GetShellFolderPath(QStringLiteral("Favorites"));
    return registered.isEmpty() ? SpecialFolderPath(CSIDL_FAVORITES) : registered;
}

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString JoinPath(const QString& folder, const QStringList& parts)
{
    QString path = folder;
    for (const QString& part : parts)
        path = JoinPath(path, part);
    return path;
}

bool UrlRecLess(const TUrlRec& a, const TUrlRec& b)
{
    const auto parts = std::lexicographical_compare_three_way(a.Folder.begin(), a.Folder.end(), b.Folder.begin(),
        b.Folder.end(), [](const QString& x, const QString& y) { return QString::compare(x, y) <=> 0; });
    if (parts != 0)
        return parts < 0;
    return QString::compare(a.Title, b.Title) < 0;
}

void SortUrlRecs(TUrlRecs& records) { std::stable_sort(records.begin(), records.end(), UrlRecLess); }

namespace {

class FolderScanner {
public:
    FolderScanner(const QString& root, bool recursive) : recursive_(recursive)
    {
        visited_.insert(QFileInfo(root).canonicalFilePath());
    }

    void scan(const QString& path, const QStringList& folder, int level)
    {
        QFileInfoList entries
            = QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        SortAsShell(entries);
        for (const QFileInfo& entry : entries) {
            if (entry.isDir())
                addFolder(entry, folder, level);
            else if (entry.suffix().compare(QLatin1String("url"), Qt::CaseInsensitive) == 0)
                addFavorite(entry, folder, level);
        }
    }

    TUrlRecs records;

private:
    void addFolder(const QFileInfo& entry, const QStringList& parent, int level)
    {
        const QString canonical = entry.canonicalFilePath();
        if (canonical.isEmpty() || visited_.contains(canonical))
            return;
        visited_.insert(canonical);
        QStringList folder = parent;
        folder << entry.fileName();
        records.push_back({folder, QString(), QString(), level});
        if (recursive_)
            scan(entry.filePath(), folder, level + 1);
    }

    void addFavorite(const QFileInfo& entry, const QStringList& folder, int level)
    {
        QString url = ReadInternetShortcutUrl(entry.filePath());
        if (url.isEmpty())
            url = QStringLiteral("no path");
        records.push_back({folder, entry.fileName().chopped(4), url, level});
    }

    bool recursive_;
    QSet<QString> visited_;
};

} // namespace

TUrlRecs ScanFavoritesFolder(const QString& root, bool recursive)
{
    FolderScanner scanner(root, recursive);
    scanner.scan(root, {}, 1);
    return std::move(scanner.records);
}

QString EscapeHtml(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            escaped += QLatin1String("&amp;");
            break;
        case u'<':
            escaped += QLatin1String("&lt;");
            break;
        case u'>':
            escaped += QLatin1String("&gt;");
            break;
        case u'"':
            escaped += QLatin1String("&quot;");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

namespace {

// The character an entity body (the text between "&" and ";") stands for;
// 0 when it is not one this reader knows.
char32_t entityCharacter(QStringView body)
{
    static const struct {
        const char* name;
        char32_t character;
    } named[] = {{"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''}, {"nbsp", 0xA0}};
    for (const auto& entity : named) {
        if (body == QLatin1String(entity.name))
            return entity.character;
    }
    if (body.size() < 2 || body.front() != u'#')
        return 0;
    bool ok = false;
    const bool hex = body.at(1) == u'x' || body.at(1) == u'X';
    const uint code = hex ? body.mid(2).toUInt(&ok, 16) : body.mid(1).toUInt(&ok, 10);
    const bool valid = ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return valid ? char32_t(code) : 0;
}

} // namespace

QString DecodeHtmlEntities(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString decoded;
    decoded.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype semicolon = text.at(i) == u'&' ? text.indexOf(QLatin1Char(';'), i + 1) : -1;
        const char32_t character = semicolon > i && semicolon - i <= 10
            ? entityCharacter(QStringView(text).mid(i + 1, semicolon - i - 1))
            : 0;
        if (character == 0) {
            decoded += text.at(i++);
            continue;
        }
        decoded += QString::fromUcs4(&character, 1);
        i = semicolon + 1;
    }
    return decoded;
}
