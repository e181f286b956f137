#pragma once
// Security zones and page security: which zone a page belongs to, whether it
// came over an encrypted connection, and the user's trusted and restricted
// site lists (the current user's ZoneMap keys, platform/inet/ZoneManager.h).
// Stateless; user-interface thread only.
#include "platform/inet/ZoneManager.h"

#include <QIcon>
#include <QString>

class TSXT;

// Appends to domain the text after text's second-to-last "." (the whole text
// when it has fewer than two dots).
void ExtractDomain(const QString& text, QString& domain);

// Whether the site lists put the address text in the restricted (4) or the
// trusted (2) zone. The list value read is "https" with the flag, else the
// address's own scheme, either falling back to "*"; so a site added by
// AddToRestrictedZone or AddToTrustedZone is found again. False when no
// entry matches.
bool CheckIfInRestrictedZone(const QString& text, bool https);
bool CheckIfInTrustedZone(const QString& text, bool https);

// Adds an https address to the trusted sites: the DWORD "https" = 2 in the
// Domains sub-key named by the whole address. An address without "https" (in
// any case) shows the error box "Only sites with https:// prefix (secured
// sites) can be added to the trusted sites list zone!" and writes nothing.
// Write failures are swallowed.
void AddToTrustedZone(const QString& address);
// Adds the address's site to the restricted sites: the DWORD "*" = 4 in the
// Domains sub-key named by its host, without a leading "www.". An address
// without a host writes nothing; write failures are swallowed.
void AddToRestrictedZone(const QString& address);

// The attributes of the zone the address maps to; False when the zone has
// none.
bool GetZoneAttributes(const QString& address, ZoneAttributes& attributes);
// The zone of the address with its display name (at most 260 characters),
// description (at most 200) and 16 x 16 icon; False when the zone cannot be
// told, with the outputs unchanged.
bool CheckSiteSecurityZone(const QString& address, QString& zoneName, QString& description, QIcon& icon);
// Sets icon to the icon at location ("<file>#<number>"); leaves it unchanged
// when there is none there.
void LoadIconFromLocation(const QString& location, QIcon& icon);
// Whether the page came over an encrypted connection. An address without
// "https://" (case-sensitive): "None", "The page is not secured.", False.
// Otherwise, when the protocol of the browser's document location is
// "https:": "SSL", "It is a secure web page.", True; else False with the
// outputs unchanged (also when the document cannot be asked).
bool CheckSiteSecurityLevel(TSXT* browser, const QString& address, QString& secureType, QString& description);
