#include "favorites/BookmarkRecords.h"

#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "tools/BrowserSettings.h"

#include "platform/files/PlainFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <compare>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>

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

// Shortcuts a reader takes in one go, so that readers rarely meet at the lock.
constexpr std::size_t kShortcutsPerTake = 64;

// Reads the addresses of shortcuts on other threads while the folders are
// still being walked: on a folder of thousands of favorites the time goes
// into opening files, which runs in parallel.
class ShortcutReaders {
public:
    ShortcutReaders()
    {
        const unsigned helpers = std::max(1u, std::thread::hardware_concurrency()) - 1;
        for (unsigned i = 0; i < helpers; ++i)
            helpers_.emplace_back([this] { readUntilDone(); });
    }
    // Without Finish() (the walk failed), what is still queued is dropped.
    ~ShortcutReaders()
    {
        {
            const std::lock_guard lock(mutex_);
            walked_ = true;
            taken_ = queue_.size();
        }
        ready_.notify_all();
    }
    ShortcutReaders(const ShortcutReaders&) = delete;
    ShortcutReaders& operator=(const ShortcutReaders&) = delete;

    // Queues the shortcut at path; its address goes to *url, which must stay
    // where it is until Finish() returns.
    void Add(const QString& path, QString* url)
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back({path, url});
        if (queue_.size() - taken_ >= kShortcutsPerTake)
            ready_.notify_one();
    }

    // Reads what is left on this thread too and waits for the others.
    void Finish()
    {
        {
            const std::lock_guard lock(mutex_);
            walked_ = true;
        }
        ready_.notify_all();
        readUntilDone();
        helpers_.clear();
    }

private:
    struct Shortcut {
        QString path;
        QString* url;
    };

    void readUntilDone()
    {
        std::vector<Shortcut*> batch;
        while (take(batch)) {
            for (Shortcut* shortcut : batch) {
                const QString url = ReadInternetShortcutUrl(shortcut->path);
                *shortcut->url = url.isEmpty() ? QStringLiteral("no path") : url;
            }
        }
    }

    // The next shortcuts to read, waiting while the walk may still add some.
    bool take(std::vector<Shortcut*>& batch)
    {
        batch.clear();
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return walked_ || queue_.size() - taken_ >= kShortcutsPerTake; });
        const std::size_t end = std::min(taken_ + kShortcutsPerTake, queue_.size());
        for (; taken_ < end; ++taken_)
            batch.push_back(&queue_[taken_]);
        return !batch.empty();
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Shortcut> queue_; // a deque, so that taken entries stay where they are
    std::size_t taken_ = 0;
    bool walked_ = false;
    std::vector<std::jthread> helpers_;
};

class FolderScanner {
public:
    FolderScanner(const QString& root, bool recursive, QStringList* skippedLinks)
        : recursive_(recursive), root_(QFileInfo(root).canonicalFilePath()), skippedLinks_(skippedLinks)
    {
        visited_.insert(root_);
    }

    void scan(const QString& path, const QStringList& folder, int level)
    {
        std::vector<FolderEntry> entries;
        ListFolder(QFile::encodeName(path).toStdString(), entries);
        struct Named {
            QString name;
            bool isFolder;
            bool isLink;
        };
        std::vector<Named> named;
        named.reserve(entries.size());
        for (const FolderEntry& entry : entries)
            named.push_back({QFile::decodeName(entry.name.c_str()), entry.isFolder, entry.isLink});
        std::sort(named.begin(), named.end(),
            [](const auto& a, const auto& b) { return ShellEntryLess(a.isFolder, a.name, b.isFolder, b.name); });
        for (const auto& [name, isFolder, isLink] : named) {
            const bool favorite = name.size() > 4 && name.endsWith(QLatin1String(".url"), Qt::CaseInsensitive);
            if (!isFolder && !favorite)
                continue;
            const QString entryPath = JoinPath(path, name);
            if (isLink && !leadsInside(entryPath, folder, name))
                continue;
            if (isFolder)
                addFolder(entryPath, name, folder, level);
            else
                addFavorite(entryPath, name, folder, level);
        }
    }

    TUrlRecs takeRecords()
    {
        readers_.Finish();
        TUrlRecs records;
        records.reserve(records_.size());
        std::move(records_.begin(), records_.end(), std::back_inserter(records));
        return records;
    }

private:
    // A link is followed only when it ends inside the favorites folder: one
    // to "/" would list the whole disk as favorites.
    bool leadsInside(const QString& path, const QStringList& folder, const QString& name)
    {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty() && (canonical == root_ || canonical.startsWith(root_ + QLatin1Char('/'))))
            return true;
        skip(folder, name,
            canonical.isEmpty() ? QStringLiteral("it leads nowhere")
                                : QStringLiteral("it leads outside the favorites folder"));
        return false;
    }

    void skip(const QStringList& folder, const QString& name, const QString& why)
    {
        if (skippedLinks_)
            skippedLinks_->append((QStringList(folder) << name).join(QLatin1Char('/')) + QLatin1String(": ") + why);
    }

    void addFolder(const QString& path, const QString& name, const QStringList& parent, int level)
    {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (canonical.isEmpty() || visited_.contains(canonical)) {
            skip(parent, name, QStringLiteral("its folder is listed already"));
            return;
        }
        visited_.insert(canonical);
        QStringList folder = parent;
        folder << name;
        records_.push_back({folder, QString(), QString(), level});
        if (recursive_)
            scan(path, folder, level + 1);
    }

    void addFavorite(const QString& path, const QString& name, const QStringList& folder, int level)
    {
        records_.push_back({folder, name.chopped(4), QString(), level});
        readers_.Add(path, &records_.back().Url);
    }

    bool recursive_;
    QString root_;
    QStringList* skippedLinks_;
    QSet<QString> visited_;
    std::deque<TUrlRec> records_; // a deque, so that the readers' targets stay where they are
    ShortcutReaders readers_;
};

} // namespace

TUrlRecs ScanFavoritesFolder(const QString& root, bool recursive, QStringList* skippedLinks)
{
    FolderScanner scanner(root, recursive, skippedLinks);
    scanner.scan(root, {}, 1);
    return scanner.takeRecords();
}

QString EscapeHtml(const QString& text)
{
    const auto special = [](QChar c) { return c == u'&' || c == u'<' || c == u'>' || c == u'"'; };
    if (std::none_of(text.begin(), text.end(), special))
        return text;
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
