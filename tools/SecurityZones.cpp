#include "tools/SecurityZones.h"

#include "browserhost/LateBound.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Dialogs.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

// Addresses of the lists may be written without a scheme ("www.example.com").
QString asAddress(const QString& text)
{
    return text.contains(QLatin1String("://")) ? text : QStringLiteral("http://") + text;
}

bool listedAs(const QString& text, bool https, int zone)
{
    const auto listed = ListedZone(asAddress(text), https ? QStringLiteral("https") : QString());
    return listed && *listed == zone;
}

void writeZone(const QString& entry, const QString& valueName, int zone)
{
    try {
        TRegistry registry(HKEY_CURRENT_USER);
        if (registry.OpenKey(ZoneMapDomainsKey + QLatin1Char('\\') + entry, true))
            registry.WriteInteger(valueName, zone);
    } catch (const ERegistryException&) {}
}

} // namespace

void ExtractDomain(const QString& text, QString& domain)
{
    int dots = 0;
    qsizetype start = 0;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] == QLatin1Char('.') && ++dots == 2) {
            start = i + 1;
            break;
        }
    }
    domain += text.mid(start);
}

bool CheckIfInRestrictedZone(const QString& text, bool https) { return listedAs(text, https, URLZONE_UNTRUSTED); }

bool CheckIfInTrustedZone(const QString& text, bool https) { return listedAs(text, https, URLZONE_TRUSTED); }

void AddToTrustedZone(const QString& address)
{
    if (!address.contains(QLatin1String("https"), Qt::CaseInsensitive)) {
        MessageDlg(QStringLiteral("Only sites with https:// prefix (secured sites) can be added to the trusted sites "
                                  "list zone!"),
            mtError, mbOK);
        return;
    }
    writeZone(address, QStringLiteral("https"), URLZONE_TRUSTED);
}

// The host an address names; empty for one without (about:, javascript:,
// mailto:, "http:x.test"). Only a text without any scheme is taken as a
// site name ("www.a.test", "a.test:8080").
QString hostOf(const QString& address)
{
    if (address.contains(QLatin1String("://")))
        return QUrl(address).host();
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d+(/|$))"));
    if (scheme.match(address).hasMatch())
        return {};
    return QUrl(QStringLiteral("http://") + address).host();
}

void AddToRestrictedZone(const QString& address)
{
    QString host = hostOf(address);
    if (host.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        host.remove(0, 4);
    if (!host.isEmpty())
        writeZone(host, QStringLiteral("*"), URLZONE_UNTRUSTED);
}

bool GetZoneAttributes(const QString& address, ZoneAttributes& attributes)
{
    const auto found = GetZoneAttributes(MapUrlToZone(address));
    if (found)
        attributes = *found;
    return found.has_value();
}

bool CheckSiteSecurityZone(const QString& address, QString& zoneName, QString& description, QIcon& icon)
{
    ZoneAttributes attributes;
    if (!GetZoneAttributes(address, attributes))
        return false;
    LoadIconFromLocation(attributes.IconPath, icon);
    zoneName = attributes.DisplayName.left(260);
    description = attributes.Description.left(200);
    return true;
}

void LoadIconFromLocation(const QString& location, QIcon& icon)
{
    if (QIcon loaded = LoadZoneIcon(location); !loaded.isNull())
        icon = loaded;
}

bool CheckSiteSecurityLevel(TSXT* browser, const QString& address, QString& secureType, QString& description)
{
    if (!address.contains(QLatin1String("https://"))) {
        secureType = QStringLiteral("None");
        description = QStringLiteral("The page is not secured.");
        return false;
    }
    try {
        const OleObject location = OleObject(browser ? browser->Document() : nullptr).Object(u"location");
        if (location.Text(u"protocol") != QLatin1String("https:"))
            return false;
    } catch (const std::exception&) {
        return false;
    }
    secureType = QStringLiteral("SSL");
    description = QStringLiteral("It is a secure web page.");
    return true;
}
