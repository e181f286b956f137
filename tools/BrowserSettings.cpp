#include "tools/BrowserSettings.h"

#include "platform/inet/ProcessProxy.h"
#include "platform/inet/UrlCache.h"
#include "platform/inet/UrlHistory.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/shell/DesktopApps.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/SpecialFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QLocale>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QUrl>

namespace {

const QString ShellFoldersKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

// A string value of a key; nullopt when the key or value cannot be read.
std::optional<QString> readString(HKEY root, const QString& key, const QString& name)
{
    try {
        TRegistry reg(root);
        if (reg.OpenKeyReadOnly(key) && reg.ValueExists(name))
            return reg.ReadString(name);
        if (reg.OpenKeyReadOnly(key) && name.isEmpty())
            return QString();
    } catch (const ERegistryException&) {}
    return std::nullopt;
}

// The desktop's default program for a MIME type; nullopt when it has none.
std::optional<DesktopApp> defaultApp(const QString& mimeType)
{
    const std::vector<DesktopApp> apps = AppsForMimeType(mimeType);
    if (apps.empty())
        return std::nullopt;
    return apps.front();
}

// The desktop's client kinds and the MIME types their programs are found by.
const struct {
    const char* kind;
    const char* mimeType;
} ClientKinds[] = {
    {"Mail", "x-scheme-handler/mailto"},
    {"News", "x-scheme-handler/news"},
    {"Calendar", "text/calendar"},
    {"Contacts", "text/vcard"},
};

// Whether the client program of the command line is a desktop program that
// runs in a terminal (Terminal=true in its desktop entry).
bool needsTerminal(const QString& kind, const QString& commandLine)
{
    for (const auto& client : ClientKinds) {
        if (kind != QLatin1String(client.kind))
            continue;
        for (const DesktopApp& app : AppsForMimeType(QLatin1String(client.mimeType)))
            if (app.exec == commandLine)
                return app.terminal;
    }
    return false;
}

} // namespace

CacheCleared ClearCache()
{
    const TUrlCacheCleared files = TUrlCache().Clear();
    return {files.Entries, files.Bytes, ClearHttpCache().value_or(-1)};
}

QString CacheClearedText(const CacheCleared& cleared)
{
    const QLocale locale;
    QString text = QStringLiteral("The cache was cleared: %1 %2 (%3)")
                       .arg(cleared.Files)
                       .arg(cleared.Files == 1 ? QStringLiteral("file") : QStringLiteral("files"),
                           locale.formattedDataSize(cleared.FileBytes));
    if (cleared.EngineBytes >= 0)
        text += QStringLiteral(" and %1 of saved web pages").arg(locale.formattedDataSize(cleared.EngineBytes));
    return text + u'.';
}

QString GetCachedPath(const QString& address)
{
    const auto entry = TUrlCache().Find(address);
    return entry ? entry->LocalFile : QString();
}

void SetGlobalOffline(bool offline) { SetProcessOffline(offline); }

void WorkOffline() { SetGlobalOffline(true); }

void WorkOnline() { SetGlobalOffline(false); }

bool DeleteHistory() { return TUrlHistory().Clear(); }

SystemDefaults DesktopSystemDefaults(const QString& engineVersion)
{
    SystemDefaults defaults;
    defaults.browserVersion = engineVersion;
    for (const auto& kind : ClientKinds) {
        if (const auto app = defaultApp(QLatin1String(kind.mimeType))) {
            // The name becomes a registry key, where "\\" would nest it.
            const QString name
                = QString(app->name.isEmpty() ? app->id : app->name).replace(QLatin1Char('\\'), QLatin1Char(' '));
            defaults.clients.push_back({QLatin1String(kind.kind), name, app->exec});
        }
    }
    if (const auto browser = defaultApp(QStringLiteral("text/html")))
        defaults.htmlFileCommand = browser->exec;
    return defaults;
}

void SetNewHomePage(const QString& address)
{
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (reg.OpenKey(QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\Main"), true))
            reg.WriteString(QStringLiteral("Start Page"), address);
    } catch (const ERegistryException&) {}
}

void ClearTypedUrls()
{
    try {
        TRegistry(HKEY_CURRENT_USER).DeleteKey(QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs"));
    } catch (const ERegistryException&) {}
}

QString GetShellFolderPath(const QString& valueName)
{
    const QString path = readString(HKEY_CURRENT_USER, ShellFoldersKey, valueName).value_or(QString());
    return path.trimmed().isEmpty() ? QString() : path;
}

QString GetCookiesPath() { return GetShellFolderPath(QStringLiteral("Cookies")); }

QString GetHistoryPath() { return GetShellFolderPath(QStringLiteral("History")); }

QString GetSpecialFolderPath(int csidl)
{
    const QString path = SpecialFolderPath(csidl);
    return !path.isEmpty() && QDir().mkpath(path) ? path : QString();
}

QString GetDefaultBrowserFromRegistry()
{
    return readString(HKEY_CLASSES_ROOT, QStringLiteral("htmlfile\\shell\\open\\command"), QString())
        .value_or(QStringLiteral("No default browser found."));
}

QString GetDefaultBrowserName()
{
    const auto command = readString(HKEY_CLASSES_ROOT, QStringLiteral("htmlfile\\shell\\open\\command"), QString());
    if (!command || command->trimmed().isEmpty())
        return QStringLiteral("No default browser found.");
    for (const DesktopApp& app : AppsForMimeType(QStringLiteral("text/html")))
        if (app.exec == *command && !app.name.isEmpty())
            return app.name;
    const auto program = SplitCommandLine(*command);
    return program ? QFileInfo(program->program).fileName() : *command;
}

std::optional<ProgramCommand> SplitCommandLine(const QString& commandLine)
{
    DesktopApp app;
    app.exec = commandLine;
    const std::vector<QStringList> lists = ExecArguments(app, {});
    if (lists.empty() || lists.front().isEmpty())
        return std::nullopt;
    return ProgramCommand{lists.front().front(), lists.front().mid(1)};
}

bool OpenClientProgram(const QString& kind)
{
    const QString clientsKey = QStringLiteral("Software\\Clients\\") + kind;
    const QString client = readString(HKEY_LOCAL_MACHINE, clientsKey, QString()).value_or(QString());
    if (client.isEmpty())
        return false;
    const QString commandKey = clientsKey + QLatin1Char('\\') + client + QStringLiteral("\\shell\\open\\command");
    const QString commandLine = readString(HKEY_LOCAL_MACHINE, commandKey, QString()).value_or(QString());
    const auto command = SplitCommandLine(commandLine);
    if (!command)
        return false;
    if (!needsTerminal(kind, commandLine))
        return ProgramLauncher().startDetached(command->program, command->arguments);
    // Started without one it would run where nobody sees it.
    const auto terminal = TerminalCommand(command->program, command->arguments);
    return terminal && ProgramLauncher().startDetached(terminal->front(), terminal->mid(1));
}

bool OpenNewsClient() { return OpenClientProgram(QStringLiteral("News")); }

bool OpenCalendar() { return OpenClientProgram(QStringLiteral("Calendar")); }

bool OpenNetMeeting() { return OpenClientProgram(QStringLiteral("Internet Call")); }

bool OpenAddressBook() { return OpenClientProgram(QStringLiteral("Contacts")); }

bool RunProgram(const QString& program)
{
    return !program.trimmed().isEmpty() && ProgramLauncher().startDetached(program, {});
}

bool GetIPAndHostName(QString& hostName, QString& address, QString& errorText)
{
    hostName = QHostInfo::localHostName();
    address.clear();
    if (hostName.isEmpty()) {
        errorText = QStringLiteral("The machine has no host name.");
        return false;
    }
    for (const QHostAddress& candidate : QNetworkInterface::allAddresses()) {
        if (!candidate.isLoopback() && candidate.protocol() == QAbstractSocket::IPv4Protocol) {
            address = candidate.toString();
            return true;
        }
    }
    errorText = QStringLiteral("The machine has no network address.");
    return false;
}

bool CheckOnlineStatus()
{
    if (QNetworkInformation::loadDefaultBackend() && QNetworkInformation::instance()
        && QNetworkInformation::instance()->supports(QNetworkInformation::Feature::Reachability)) {
        const auto reachability = QNetworkInformation::instance()->reachability();
        if (reachability != QNetworkInformation::Reachability::Unknown)
            return reachability == QNetworkInformation::Reachability::Online
                || reachability == QNetworkInformation::Reachability::Site;
    }
    for (const QNetworkInterface& face : QNetworkInterface::allInterfaces()) {
        const auto flags = face.flags();
        if (flags.testFlag(QNetworkInterface::IsRunning) && !flags.testFlag(QNetworkInterface::IsLoopBack)
            && !face.addressEntries().isEmpty())
            return true;
    }
    return false;
}
