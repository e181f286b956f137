#pragma once
// The user's profile folder and what a fresh profile holds.
#include <QString>

#include <vector>

// $ZARNWEB_HOME when set, else $XDG_DATA_HOME/ZarnWeb, else
// ~/.local/share/ZarnWeb; created when missing.
QString ProfileFolder();

// The file:// address of the start page kept in the profile folder.
QString StartPageUrl();

// Paths and file:// addresses inside the profile folder are stored relative
// to it, so that a copied or moved profile points into itself: the folder
// becomes kProfilePlaceholder in what is stored and comes back as the
// current profile folder when read. Other texts pass unchanged.
inline constexpr char kProfilePlaceholder[] = "%ZARNWEB_PROFILE%";
QString ProfileRelative(const QString& text);
QString ProfileAbsolute(const QString& stored);

// A program registered for a kind of client ("Mail", "News", "Calendar",
// "Contacts", "Internet Call") under the local machine's "Software\Clients".
struct RegisteredClient {
    QString kind;
    QString name;
    QString command; // a desktop-entry command line
};

// What the page engine and the desktop give a fresh profile. An empty field
// keeps the fixed default.
struct SystemDefaults {
    QString browserVersion; // its leading number is the engine's major version
    std::vector<RegisteredClient> clients; // replace the fixed clients of their kinds
    QString htmlFileCommand; // classes root "htmlfile\shell\open\command"
};

// Sets the system defaults the seeding below writes into a hive not yet
// seeded (and an untouched hive reads as); call before the first use of the
// registry.
void SetSystemDefaults(SystemDefaults defaults);

// First-run seeding, safe to call at every start: writes the start page into
// the profile, creates the profile's folders (Favorites with Links, Cookies,
// History, Cache, Outbox) and gives each writable hive, once, the keys a fresh
// system holds: home page, shell folders, page setup, browser version,
// registered clients and class names. Values already present are kept. Each
// hive is seeded on its own: one that cannot be written is left alone and
// seeded on a later start, one that fails is reported as a warning, and
// neither keeps the others from being seeded. A hive left untouched reads as
// these defaults without being seeded (UntouchedHives, Registry.h).
void EnsureProfileDefaults();
