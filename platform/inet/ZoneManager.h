#pragma once
// The security and zone managers: which zone an address belongs to and what
// each zone is called. The user's lists of trusted and restricted sites are
// the ZoneMap keys of the current user's registry.
#include <QIcon>
#include <QString>

#include <optional>

constexpr int URLZONE_LOCAL_MACHINE = 0;
constexpr int URLZONE_INTRANET = 1;
constexpr int URLZONE_TRUSTED = 2;
constexpr int URLZONE_INTERNET = 3;
constexpr int URLZONE_UNTRUSTED = 4;

// The current user's site lists, below which one sub-key per site holds
// DWORD values named by scheme ("http", "https" or "*" for any) with the zone.
inline const QString ZoneMapDomainsKey
    = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains");
inline const QString ZoneMapEscDomainsKey
    = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\EscDomains");

// The zone the site lists give the address, read as the value named by
// scheme (the address's own when empty), else "*". A list entry matches the
// address's host when its sub-key is named by the host, by a domain the host
// belongs to (with the host's remaining labels as a further sub-key tried
// first), or by a full address of that host; a path or port after the name
// is ignored. Nothing when no entry matches; unreadable lists count as empty.
std::optional<int> ListedZone(const QString& url, const QString& scheme = {});

// file addresses: the local machine; then the site lists; then loopback
// hosts and host names without a dot: the local intranet; else the internet.
int MapUrlToZone(const QString& url);

struct ZoneAttributes {
    QString DisplayName;
    QString Description;
    QString IconPath; // a location as LoadZoneIcon takes it
};

// The attributes of a zone 0..4; nothing for another number.
std::optional<ZoneAttributes> GetZoneAttributes(int zone);

// The 16 x 16 icon at a location "<file>#<number>", where the file is one of
// the program's icon folders and the number names the icon in it. A null
// icon when the folder or the icon does not exist.
QIcon LoadZoneIcon(const QString& location);
