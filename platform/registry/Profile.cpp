#include "platform/registry/Profile.h"

#include "platform/registry/HiveStore.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <QVariant>
#include <QtGlobal>

#include <vector>

namespace {

// Bumped when a later version seeds more; each hive is seeded once per mark.
const QString kSeededMark = QStringLiteral("defaults-1");

const char* const kProfileFolders[] = {"Favorites/Links", "Cookies", "History", "Cache", "Outbox"};

struct Seed {
    const char* key;
    const char* name;  // nullptr: only the key is created
    QVariant value;    // QString → REG_SZ, int → REG_DWORD
};

QString profilePath(const char* sub)
{
    return ProfileFolder() + QLatin1Char('/') + QLatin1String(sub);
}

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
        {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles",
         "DefaultProfile", QStringLiteral("Default")},
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

void seedHive(HKEY root, const std::vector<Seed>& seeds)
{
    registry_detail::HiveUse held(root);
    registry_detail::Hive& hive = *held;
    if (!HiveWritable(root) || hive.hasMark(kSeededMark))
        return;
    TRegistry reg(root);
    for (const Seed& seed : seeds) {
        if (!reg.OpenKey(QLatin1Char('\\') + QLatin1String(seed.key), true))
            return;
        const QString name = QLatin1String(seed.name);
        if (!seed.name || reg.ValueExists(name))
            continue;
        if (seed.value.typeId() == QMetaType::Int)
            reg.WriteInteger(name, seed.value.toInt());
        else
            reg.WriteString(name, seed.value.toString());
    }
    hive.setMark(kSeededMark);
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

}

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

QString StartPageUrl()
{
    return QUrl::fromLocalFile(ProfileFolder() + QStringLiteral("/start.html")).toString();
}

void EnsureProfileDefaults()
{
    for (const char* sub : kProfileFolders)
        QDir().mkpath(profilePath(sub));
    writeStartPage();
    try {
        seedHive(HKEY_CURRENT_USER, currentUserSeeds());
        seedHive(HKEY_LOCAL_MACHINE, localMachineSeeds());
        seedHive(HKEY_CLASSES_ROOT, classesRootSeeds());
    } catch (const ERegistryException& e) {
        // A damaged hive must not keep the program from starting.
        qWarning("Cannot seed the registry: %s", e.what());
    }
}
