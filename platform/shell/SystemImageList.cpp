#include "platform/shell/SystemImageList.h"

#include "platform/shell/SpecialFolders.h"

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>

namespace {

const QString kGenericDocument = QStringLiteral("text-x-generic");

// Without a desktop session (offscreen, a bare window manager) Qt knows
// neither an icon theme nor where themes lie, and every themed icon would be
// empty: the freedesktop theme folders are searched and an installed desktop
// theme is taken. A theme the desktop chose is left alone.
QStringList freedesktopIconFolders()
{
    QStringList folders{QDir::homePath() + QStringLiteral("/.icons")};
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& base : (dataHome + QLatin1Char(':') + dataDirs).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << base + QStringLiteral("/icons");
    folders << QStringLiteral("/usr/share/pixmaps");
    return folders;
}

void chooseThemeWhenNone()
{
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != QLatin1String("hicolor"))
        return;
    QStringList searchPaths = QIcon::themeSearchPaths();
    for (const QString& folder : freedesktopIconFolders())
        if (!searchPaths.contains(folder))
            searchPaths << folder;
    QIcon::setThemeSearchPaths(searchPaths);
    if (QIcon::fallbackThemeName().isEmpty())
        QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
    for (const QString& candidate : {QStringLiteral("Adwaita"), QStringLiteral("breeze"), QStringLiteral("gnome")}) {
        for (const QString& base : searchPaths) {
            if (QFileInfo::exists(base + QLatin1Char('/') + candidate + QStringLiteral("/index.theme"))) {
                QIcon::setThemeName(candidate);
                return;
            }
        }
    }
}

QIcon themedIcon(const QStringList& themeNames, const QIcon& fallback)
{
    for (const QString& name : themeNames)
        if (!name.isEmpty() && QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    return fallback;
}

QStringList iconNamesOf(const QMimeType& type) { return {type.iconName(), type.genericIconName(), kGenericDocument}; }

} // namespace

SystemImageList& SystemImageList::instance()
{
    static SystemImageList list;
    return list;
}

SystemImageList::SystemImageList()
{
    chooseThemeWhenNone();
    QAbstractFileIconProvider provider;
    indexOfThemed(QStringLiteral("document"), {kGenericDocument}, provider.icon(QAbstractFileIconProvider::File));
}

QSize SystemImageList::imageSize(ImageSize size) { return size == ImageSize::Small ? QSize(16, 16) : QSize(32, 32); }

int SystemImageList::indexOfThemed(const QString& key, const QStringList& themeNames, const QIcon& fallback)
{
    const auto known = indexOfKey_.constFind(key);
    if (known != indexOfKey_.constEnd())
        return *known;
    icons_.push_back(themedIcon(themeNames, fallback));
    const int index = int(icons_.size()) - 1;
    indexOfKey_.insert(key, index);
    return index;
}

int SystemImageList::indexOfPath(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return -1;
    if (info.isDir()) {
        const int csidl = SpecialFolderOfPath(info.absoluteFilePath());
        return csidl >= 0 ? indexOfSpecialFolder(csidl) : indexOfFolder();
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    return indexOfThemed(QStringLiteral("mime:") + type.name(), iconNamesOf(type), icons_.front());
}

int SystemImageList::indexOfFileType(const QString& fileName)
{
    QString name = fileName.trimmed();
    if (name.startsWith(QLatin1Char('*')))
        name.remove(0, 1);
    if (name.startsWith(QLatin1Char('.')))
        name.prepend(QLatin1Char('x'));
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (type.isDefault())
        return 0;
    return indexOfThemed(QStringLiteral("mime:") + type.name(), iconNamesOf(type), icons_.front());
}

int SystemImageList::indexOfFolder()
{
    return indexOfThemed(QStringLiteral("folder"), {QStringLiteral("folder")},
        QAbstractFileIconProvider().icon(QAbstractFileIconProvider::Folder));
}

int SystemImageList::indexOfSpecialFolder(int csidl)
{
    if (!SpecialFolderExists(csidl))
        return -1;
    const QIcon folder = icon(indexOfFolder());
    return indexOfThemed(QStringLiteral("special:") + SpecialFolderIconName(csidl),
        {SpecialFolderIconName(csidl), QStringLiteral("folder")}, folder);
}

int SystemImageList::addIcon(const QIcon& icon)
{
    if (icon.isNull())
        return -1;
    icons_.push_back(icon);
    return int(icons_.size()) - 1;
}

int SystemImageList::count() const { return int(icons_.size()); }

QIcon SystemImageList::icon(int index) const
{
    return index >= 0 && index < count() ? icons_[std::size_t(index)] : QIcon();
}

QPixmap SystemImageList::pixmap(int index, ImageSize size) const
{
    const QIcon chosen = icon(index);
    return chosen.isNull() ? QPixmap() : chosen.pixmap(imageSize(size));
}
