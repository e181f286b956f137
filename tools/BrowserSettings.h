#pragma once
// The user's browser settings kept in the registry, the folders the browser
// uses, the default browser and the registered client programs, and the
// machine's name and address. Stateless; registry failures give empty
// results or False and are never raised.
#include <QString>
#include <QStringList>

#include <optional>

struct SystemDefaults;

// Writes "Start Page" of the current user's "Software\Microsoft\Internet
// Explorer\Main" key (created when missing).
void SetNewHomePage(const QString& address);
// Deletes the current user's typed-address list (the whole TypedURLs key).
void ClearTypedUrls();

// The text of a value of the current user's "Shell Folders" key; empty when
// the value is missing or blank.
QString GetShellFolderPath(const QString& valueName);
QString GetCookiesPath();
QString GetHistoryPath();
// The file-system path of a special folder (a CSIDL number), created when
// missing; empty for a virtual or unknown folder or one that cannot be made.
QString GetSpecialFolderPath(int csidl);

// What ClearCache removed: the files of the download cache and their bytes,
// and the bytes the engine's HTTP cache held (-1 when no engine runs in the
// program).
struct CacheCleared {
    int Files = 0;
    qint64 FileBytes = 0;
    qint64 EngineBytes = -1;
};
// Deletes every entry of the internet cache: the files downloaded through
// DownloadFile and the page engine's HTTP cache. Asks nothing.
CacheCleared ClearCache();
// What a clearing removed, as the user is told: "The cache was cleared: 3
// files (12 KB) and 2.5 MB of saved web pages."; the engine's part is left
// out when there was no engine.
QString CacheClearedText(const CacheCleared& cleared);
// The local copy of address in the download cache, matched exactly (letter
// case counts); empty when there is none.
QString GetCachedPath(const QString& address);

// Sets this program's offline state (never the desktop's): while offline the
// page engine and our transfers refuse network requests. The state is kept
// in the registry and holds again at the next start.
void SetGlobalOffline(bool offline);
void WorkOffline();
void WorkOnline();
// Empties the history store and the engine's visited links; False when the
// store could not be cleared.
bool DeleteHistory();

// What a fresh profile's registry takes from the desktop and the engine: the
// browser version is the engine's version text (its leading number the
// engine's major version); the mail, news, calendar and contacts clients and
// the HTML file command are the desktop's default programs for mailto:,
// news:, calendars, contact cards and HTML pages. A kind the desktop has no
// program for is left to the fixed defaults.
SystemDefaults DesktopSystemDefaults(const QString& engineVersion);

// The command of classes root "htmlfile\shell\open\command"; "No default
// browser found." when the key cannot be opened.
QString GetDefaultBrowserFromRegistry();
// The name a user knows the default browser by: the name of the desktop's
// program whose command that is ("Chromium"), else the command's program
// file name ("chromium"); "No default browser found." without a command.
QString GetDefaultBrowserName();

// A command line split into program and arguments by the desktop-entry
// rules (blanks separate, double quotes group, field codes dropped); nullopt
// for an empty line or broken quoting.
struct ProgramCommand {
    QString program;
    QStringList arguments;
};
std::optional<ProgramCommand> SplitCommandLine(const QString& commandLine);

// Starts the program registered for a client kind ("Mail", "News",
// "Calendar", "Internet Call"): the default value of the local machine's
// "Software\Clients\<kind>" names the client, whose "shell\open\command"
// gives the command line. Never through a shell. True only when the
// program started.
bool OpenClientProgram(const QString& kind);
// The registered news, calendar, internet-call and contacts programs.
bool OpenNewsClient();
bool OpenCalendar();
bool OpenNetMeeting();
bool OpenAddressBook();
// Starts a program by name or path without arguments; True when it started.
bool RunProgram(const QString& program);

// The machine's name and its first non-loopback address, found without
// asking a name server. False with errorText saying why when either is
// missing.
bool GetIPAndHostName(QString& hostName, QString& address, QString& errorText);
// Whether the machine has a network connection: the platform's network
// information when it has a backend, else any running non-loopback
// interface with an address.
bool CheckOnlineStatus();
