#include "platform/registry/Profile.h"

#include "platform/registry/HiveStore.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <QtGlobal>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

const char* const kProfileFolders[] = {"Favorites/Links", "Cookies", "History", "Cache", "Outbox"};

// Bumped when a later version seeds more; each hive is seeded once per mark.
const QString kSeededMark = QStringLiteral("defaults-1");

struct Seed {
    QString key;
    std::optional<QString> name; // nullopt: only the key is created
    QString value; // REG_SZ
};

SystemDefaults& systemDefaults()
{
    static SystemDefaults defaults;
    return defaults;
}

QString profilePath(const char* sub) { return ProfileFolder() + QLatin1Char('/') + QLatin1String(sub); }

std::vector<Seed> currentUserSeeds()
{
    const char* const shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const char* const pageSetup = "Software\\Microsoft\\Internet Explorer\\PageSetup";
    return {
        {"Software\\Microsoft\\Internet Explorer\\Main", "Start Page", StartPageUrl()},
        {pageSetup, "header", QStringLiteral("&w&bPage &p of &P")},
        {pageSetup, "footer", QStringLiteral("&u&b&d")},
        {pageSetup, "margin_left", QStringLiteral("0.750000")},
        {pageSetup, "margin_right", QStringLiteral("0.750000")},
        {pageSetup, "margin_top", QStringLiteral("0.750000")},
        {pageSetup, "margin_bottom", QStringLiteral("0.750000")},
        {shellFolders, "Favorites", profilePath("Favorites")},
        {shellFolders, "Cookies", profilePath("Cookies")},
        {shellFolders, "History", profilePath("History")},
        {shellFolders, "Cache", profilePath("Cache")},
        {"AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.Current", "", QString()},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform", std::nullopt,
            {}},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains", std::nullopt, {}},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\EscDomains", std::nullopt, {}},
        {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles", "DefaultProfile",
            QStringLiteral("Default")},
    };
}

std::vector<RegisteredClient> fixedClients()
{
    return {
        {QStringLiteral("Mail"), QStringLiteral("Thunderbird"), QStringLiteral("thunderbird -mail")},
        {QStringLiteral("News"), QStringLiteral("Thunderbird"), QStringLiteral("thunderbird -mail")},
        {QStringLiteral("Calendar"), QStringLiteral("GNOME Calendar"), QStringLiteral("gnome-calendar")},
        {QStringLiteral("Internet Call"), QStringLiteral("Linphone"), QStringLiteral("linphone")},
    };
}

// The desktop's clients, then the fixed ones of the kinds it has none for.
std::vector<RegisteredClient> registeredClients()
{
    std::vector<RegisteredClient> clients = systemDefaults().clients;
    for (RegisteredClient& fixed : fixedClients()) {
        const bool given = std::any_of(clients.begin(), clients.end(),
            [&](const RegisteredClient& client) { return client.kind.compare(fixed.kind, Qt::CaseInsensitive) == 0; });
        if (!given)
            clients.push_back(std::move(fixed));
    }
    return clients;
}

std::vector<Seed> localMachineSeeds()
{
    const QString browserKey = QStringLiteral("Software\\Microsoft\\Internet Explorer");
    const QString version
        = systemDefaults().browserVersion.isEmpty() ? QStringLiteral("11.0.9600.0") : systemDefaults().browserVersion;
    std::vector<Seed> seeds = {
        {browserKey, QStringLiteral("Version"), version},
        {browserKey, QStringLiteral("svcVersion"), version},
    };
    for (const RegisteredClient& client : registeredClients()) {
        const QString kindKey = QStringLiteral("Software\\Clients\\") + client.kind;
        seeds.push_back({kindKey, QString(), client.name});
        seeds.push_back({kindKey + QLatin1Char('\\') + client.name + QStringLiteral("\\shell\\open\\command"),
            QString(), client.command});
    }
    return seeds;
}

std::vector<Seed> classesRootSeeds()
{
    return {
        {".htm", "", QStringLiteral("htmlfile")},
        {".html", "", QStringLiteral("htmlfile")},
        {"htmlfile", "", QStringLiteral("HTML Document")},
        {"htmlfile\\shell\\open\\command", "",
            systemDefaults().htmlFileCommand.isEmpty() ? QStringLiteral("xdg-open %u")
                                                       : systemDefaults().htmlFileCommand},
        {"InternetShortcut", "", QStringLiteral("Internet Shortcut")},
        {"ChannelShortcut", "", QStringLiteral("Channel Shortcut")},
        {"CLSID\\{FF393560-C2A7-11CF-BFF4-444553540000}", "", QStringLiteral("History")},
    };
}

std::vector<Seed> seedsOf(HKEY root)
{
    switch (root) {
    case HKEY_CURRENT_USER:
        return currentUserSeeds();
    case HKEY_LOCAL_MACHINE:
        return localMachineSeeds();
    default:
        return classesRootSeeds();
    }
}

// The mark is looked at before the write, so that a seeded hive never waits
// for another process's write, and again inside it, so that two processes
// starting at once seed it once.
void seedHive(HKEY root)
{
    using namespace registry_detail;
    HiveUse held(root);
    Hive& hive = *held;
    if (!hive.writable() || (hive.readable() && HasDefaults(hive)))
        return;
    hive.write([&] {
        if (!HasDefaults(hive))
            WriteDefaults(root, hive);
    });
}

// The shipped page is written again whenever it differs, so that a newer
// program brings its newer page.
void writeStartPage()
{
    QFile shipped(QStringLiteral(":/zarnweb/profile/start.html"));
    if (!shipped.open(QIODevice::ReadOnly))
        return;
    const QByteArray page = shipped.readAll();
    const QString target = ProfileFolder() + QStringLiteral("/start.html");
    QFile current(target);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == page)
        return;
    QSaveFile out(target);
    if (out.open(QIODevice::WriteOnly) && out.write(page) == page.size() && out.commit())
        return;
    qWarning("Cannot write the start page %s", qPrintable(target));
}

} // namespace

QString ProfileFolder()
{
    QString folder = qEnvironmentVariable("ZARNWEB_HOME");
    if (folder.isEmpty()) {
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        if (data.isEmpty())
            data = QDir::homePath() + QStringLiteral("/.local/share");
        folder = data + QStringLiteral("/ZarnWeb");
    }
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    return folder;
}

void SetSystemDefaults(SystemDefaults defaults) { systemDefaults() = std::move(defaults); }

QString StartPageUrl() { return QUrl::fromLocalFile(ProfileFolder() + QStringLiteral("/start.html")).toString(); }

namespace {

// The profile folder as a path and as the start of a file:// address, each
// with its trailing "/", and their stored forms.
struct ProfilePrefixes {
    QString path, url;
    QString storedPath = QLatin1String(kProfilePlaceholder) + QLatin1Char('/');
    QString storedUrl = QLatin1String("file://") + QLatin1String(kProfilePlaceholder) + QLatin1Char('/');
    ProfilePrefixes()
    {
        const QString folder = ProfileFolder();
        path = folder + QLatin1Char('/');
        url = QUrl::fromLocalFile(path).toString();
    }
};

QString swapPrefix(const QString& text, const QString& from, const QString& to)
{
    if (text.startsWith(from))
        return to + text.mid(from.size());
    if (text + QLatin1Char('/') == from)
        return to.chopped(1);
    return {};
}

} // namespace

QString ProfileRelative(const QString& text)
{
    const ProfilePrefixes prefixes;
    for (const auto& [from, to] : {std::pair{prefixes.url, prefixes.storedUrl}, {prefixes.path, prefixes.storedPath}})
        if (QString swapped = swapPrefix(text, from, to); !swapped.isNull())
            return swapped;
    return text;
}

QString ProfileAbsolute(const QString& stored)
{
    if (!stored.contains(QLatin1String(kProfilePlaceholder)))
        return stored;
    const ProfilePrefixes prefixes;
    for (const auto& [from, to] : {std::pair{prefixes.storedUrl, prefixes.url}, {prefixes.storedPath, prefixes.path}})
        if (QString swapped = swapPrefix(stored, from, to); !swapped.isNull())
            return swapped;
    return stored;
}

void EnsureProfileDefaults()
{
    for (const char* sub : kProfileFolders)
        QDir().mkpath(profilePath(sub));
    writeStartPage();
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT}) {
        try {
            seedHive(root);
        } catch (const ERegistryException& e) {
            // Neither the program's start nor the other hives depend on it.
            qWarning("Cannot seed the registry: %s", e.what());
        }
    }
}

namespace registry_detail {

bool HasDefaults(Hive& hive) { return hive.hasMark(kSeededMark); }

void WriteDefaults(HKEY root, Hive& hive)
{
    for (const Seed& seed : seedsOf(root)) {
        createKey(hive, seed.key);
        if (seed.name)
            putValue(hive, seed.key, *seed.name, REG_SZ, ProfileRelative(seed.value).toUtf8(), Existing::Keep);
    }
    hive.setMark(kSeededMark);
}

} // namespace registry_detail
