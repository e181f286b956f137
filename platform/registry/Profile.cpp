#include "platform/registry/Profile.h"

#include "platform/registry/HiveStore.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <QtGlobal>

#include <vector>

namespace {

const char* const kProfileFolders[] = {"Favorites/Links", "Cookies", "History", "Cache", "Outbox"};

// Bumped when a later version seeds more; each hive is seeded once per mark.
const QString kSeededMark = QStringLiteral("defaults-1");

struct Seed {
    const char* key;
    const char* name; // nullptr: only the key is created
    QString value; // REG_SZ
};

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
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform", nullptr, {}},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains", nullptr, {}},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\EscDomains", nullptr, {}},
        {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles", "DefaultProfile",
            QStringLiteral("Default")},
    };
}

std::vector<Seed> localMachineSeeds()
{
    // "Version" keeps the leading 9 that browsers of this generation report
    // there; the real version is in "svcVersion".
    return {
        {"Software\\Microsoft\\Internet Explorer", "Version", QStringLiteral("9.11.9600.0")},
        {"Software\\Microsoft\\Internet Explorer", "svcVersion", QStringLiteral("11.0.9600.0")},
        {"Software\\Clients\\Mail", "", QStringLiteral("Thunderbird")},
        {"Software\\Clients\\Mail\\Thunderbird\\shell\\open\\command", "", QStringLiteral("thunderbird -mail")},
        {"Software\\Clients\\News", "", QStringLiteral("Thunderbird")},
        {"Software\\Clients\\News\\Thunderbird\\shell\\open\\command", "", QStringLiteral("thunderbird -mail")},
        {"Software\\Clients\\Calendar", "", QStringLiteral("GNOME Calendar")},
        {"Software\\Clients\\Calendar\\GNOME Calendar\\shell\\open\\command", "", QStringLiteral("gnome-calendar")},
        {"Software\\Clients\\Internet Call", "", QStringLiteral("Linphone")},
        {"Software\\Clients\\Internet Call\\Linphone\\shell\\open\\command", "", QStringLiteral("linphone")},
    };
}

std::vector<Seed> classesRootSeeds()
{
    return {
        {".htm", "", QStringLiteral("htmlfile")},
        {".html", "", QStringLiteral("htmlfile")},
        {"htmlfile", "", QStringLiteral("HTML Document")},
        {"htmlfile\\shell\\open\\command", "", QStringLiteral("xdg-open \"%1\"")},
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

QString StartPageUrl() { return QUrl::fromLocalFile(ProfileFolder() + QStringLiteral("/start.html")).toString(); }

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
        const QString key = QLatin1String(seed.key);
        createKey(hive, key);
        if (seed.name)
            putValue(hive, key, QLatin1String(seed.name), REG_SZ, seed.value.toUtf8(), Existing::Keep);
    }
    hive.setMark(kSeededMark);
}

} // namespace registry_detail
