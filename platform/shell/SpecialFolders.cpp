#include "platform/shell/SpecialFolders.h"

#include "platform/registry/Profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QtGlobal>

namespace {

enum class Place {
    Virtual, // a name and an icon, no folder
    Absent, // this system has no such folder
    UserDir, // an XDG user folder: where = its user-dirs key, sub = its default under home
    DataHome, // under $XDG_DATA_HOME
    ConfigHome, // under $XDG_CONFIG_HOME
    Profile, // under the profile folder
    Absolute,
    Home,
};

struct Folder {
    int csidl;
    const char* displayName;
    const char* iconName;
    Place place;
    const char* where;
    const char* sub;
};

// clang-format off
const Folder kFolders[] = {
    {CSIDL_DESKTOP, "Desktop", "user-desktop", Place::UserDir, "XDG_DESKTOP_DIR", "Desktop"},
    {CSIDL_INTERNET, "The Internet", "applications-internet", Place::Virtual, nullptr, nullptr},
    {CSIDL_PROGRAMS, "Programs", "applications-other", Place::DataHome, nullptr, "applications"},
    {CSIDL_CONTROLS, "Control Panel", "preferences-system", Place::Virtual, nullptr, nullptr},
    {CSIDL_PRINTERS, "Printers", "printer", Place::Virtual, nullptr, nullptr},
    {CSIDL_PERSONAL, "My Documents", "folder-documents", Place::UserDir, "XDG_DOCUMENTS_DIR", "Documents"},
    {CSIDL_FAVORITES, "Favorites", "user-bookmarks", Place::Profile, nullptr, "Favorites"},
    {CSIDL_STARTUP, "Startup", "folder", Place::ConfigHome, nullptr, "autostart"},
    {CSIDL_RECENT, "Recent", "document-open-recent", Place::DataHome, nullptr, "RecentDocuments"},
    {CSIDL_SENDTO, "SendTo", "folder", Place::Absent, nullptr, nullptr},
    {CSIDL_BITBUCKET, "Recycle Bin", "user-trash", Place::DataHome, nullptr, "Trash/files"},
    {CSIDL_STARTMENU, "Start Menu", "applications-other", Place::DataHome, nullptr, "applications"},
    {CSIDL_MYMUSIC, "My Music", "folder-music", Place::UserDir, "XDG_MUSIC_DIR", "Music"},
    {CSIDL_MYVIDEO, "My Videos", "folder-videos", Place::UserDir, "XDG_VIDEOS_DIR", "Videos"},
    {CSIDL_DESKTOPDIRECTORY, "Desktop", "user-desktop", Place::UserDir, "XDG_DESKTOP_DIR", "Desktop"},
    {CSIDL_DRIVES, "My Computer", "computer", Place::Absolute, "/", nullptr},
    {CSIDL_NETWORK, "My Network Places", "network-workgroup", Place::Virtual, nullptr, nullptr},
    {CSIDL_NETHOOD, "NetHood", "folder", Place::Absent, nullptr, nullptr},
    {CSIDL_FONTS, "Fonts", "preferences-desktop-font", Place::DataHome, nullptr, "fonts"},
    {CSIDL_TEMPLATES, "Templates", "folder-templates", Place::UserDir, "XDG_TEMPLATES_DIR", "Templates"},
    {CSIDL_COMMON_STARTMENU, "Start Menu", "applications-other", Place::Absolute, "/usr/share/applications", nullptr},
    {CSIDL_COMMON_PROGRAMS, "Programs", "applications-other", Place::Absolute, "/usr/share/applications", nullptr},
    {CSIDL_COMMON_STARTUP, "Startup", "folder", Place::Absolute, "/etc/xdg/autostart", nullptr},
    {CSIDL_COMMON_DESKTOPDIRECTORY, "Desktop", "user-desktop", Place::Absent, nullptr, nullptr},
    {CSIDL_APPDATA, "Application Data", "folder", Place::ConfigHome, nullptr, ""},
    {CSIDL_PRINTHOOD, "PrintHood", "folder", Place::Absent, nullptr, nullptr},
    {CSIDL_LOCAL_APPDATA, "Application Data", "folder", Place::DataHome, nullptr, ""},
    {CSIDL_INTERNET_CACHE, "Temporary Internet Files", "folder", Place::Profile, nullptr, "Cache"},
    {CSIDL_COOKIES, "Cookies", "folder", Place::Profile, nullptr, "Cookies"},
    {CSIDL_HISTORY, "History", "document-open-recent", Place::Profile, nullptr, "History"},
    {CSIDL_MYPICTURES, "My Pictures", "folder-pictures", Place::UserDir, "XDG_PICTURES_DIR", "Pictures"},
    {CSIDL_PROFILE, "Home", "user-home", Place::Home, nullptr, nullptr},
};
// clang-format on

const Folder* folderOf(int csidl)
{
    for (const Folder& folder : kFolders)
        if (folder.csidl == csidl)
            return &folder;
    return nullptr;
}

QString baseFolder(const char* variable, const char* defaultUnderHome)
{
    const QString set = qEnvironmentVariable(variable);
    if (!set.isEmpty() && QDir::isAbsolutePath(set))
        return set;
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(defaultUnderHome);
}

QString joined(const QString& base, const char* sub)
{
    return *sub ? base + QLatin1Char('/') + QLatin1String(sub) : base;
}

// The user-dirs.dirs file holds lines such as XDG_DESKTOP_DIR="$HOME/Desktop";
// only absolute paths and paths relative to $HOME are valid there.
QString userDir(const char* key, const char* defaultUnderHome)
{
    QFile file(baseFolder("XDG_CONFIG_HOME", ".config") + QStringLiteral("/user-dirs.dirs"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        static const QRegularExpression line(QStringLiteral("^\\s*(\\w+)\\s*=\\s*\"(.*)\"\\s*$"));
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QRegularExpressionMatch match = line.match(in.readLine());
            if (!match.hasMatch() || match.captured(1) != QLatin1String(key))
                continue;
            QString value = match.captured(2);
            if (value.startsWith(QLatin1String("$HOME")))
                value = QDir::homePath() + value.mid(5);
            if (QDir::isAbsolutePath(value))
                return QDir::cleanPath(value);
        }
    }
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(defaultUnderHome);
}

QString pathOf(const Folder& folder)
{
    switch (folder.place) {
    case Place::Virtual:
    case Place::Absent:
        return {};
    case Place::UserDir:
        return userDir(folder.where, folder.sub);
    case Place::DataHome:
        return joined(baseFolder("XDG_DATA_HOME", ".local/share"), folder.sub);
    case Place::ConfigHome:
        return joined(baseFolder("XDG_CONFIG_HOME", ".config"), folder.sub);
    case Place::Profile:
        return joined(ProfileFolder(), folder.sub);
    case Place::Absolute:
        return QLatin1String(folder.where);
    case Place::Home:
        return QDir::homePath();
    }
    return {};
}

QString comparable(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir(path).absolutePath());
}

} // namespace

bool SpecialFolderExists(int csidl)
{
    const Folder* folder = folderOf(csidl);
    if (!folder || folder->place == Place::Absent)
        return false;
    // The history is the store's, there before its first visit is kept.
    return folder->place == Place::Virtual || csidl == CSIDL_HISTORY || QFileInfo(SpecialFolderPath(csidl)).isDir();
}

QString SpecialFolderPath(int csidl)
{
    const Folder* folder = folderOf(csidl);
    if (!folder)
        return {};
    const QString path = QDir::cleanPath(pathOf(*folder));
    if (csidl == CSIDL_FAVORITES)
        QDir().mkpath(path + QStringLiteral("/Links"));
    return path;
}

QString SpecialFolderDisplayName(int csidl)
{
    const Folder* folder = folderOf(csidl);
    return folder ? QLatin1String(folder->displayName) : QString();
}

int SpecialFolderOfPath(const QString& path)
{
    if (path.isEmpty())
        return -1;
    const QString wanted = comparable(path);
    for (const Folder& folder : kFolders) {
        if (folder.place == Place::Virtual || folder.place == Place::Absent)
            continue;
        // Asking for the favorites would create them; their path is known without.
        const QString candidate = folder.csidl == CSIDL_FAVORITES ? ProfileFolder() + QStringLiteral("/Favorites")
                                                                  : QDir::cleanPath(pathOf(folder));
        if (candidate == wanted)
            return folder.csidl;
    }
    return -1;
}

QString SpecialFolderIconName(int csidl)
{
    const Folder* folder = folderOf(csidl);
    return folder ? QLatin1String(folder->iconName) : QString();
}
