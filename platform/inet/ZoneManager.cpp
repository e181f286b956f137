#include "platform/inet/ZoneManager.h"

#include "platform/registry/Registry.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QUrl>

#include <array>

namespace {

// Where the program's zone icons live (zones.qrc).
const QString ZoneIconFolder = QStringLiteral(":/zones");

// The host part of a list entry's name: the host of a full address, else the
// name up to a path or port.
QString entryHost(const QString& name)
{
    if (name.contains(QLatin1String("://")))
        return QUrl(name).host().toLower();
    QString host = name.section(QLatin1Char('/'), 0, 0).section(QLatin1Char(':'), 0, 0);
    return host.toLower();
}

std::optional<int> zoneValue(TRegistry& registry, const QString& key, const QString& scheme)
{
    if (!registry.OpenKeyReadOnly(key))
        return std::nullopt;
    for (const QString& name : {scheme, QStringLiteral("*")}) {
        if (registry.GetDataType(name) == REG_DWORD)
            return registry.ReadInteger(name);
    }
    return std::nullopt;
}

std::optional<int> listedIn(TRegistry& registry, const QString& list, const QString& host, const QString& scheme)
{
    if (!registry.OpenKeyReadOnly(list))
        return std::nullopt;
    const QStringList entries = registry.GetKeyNames();
    for (const QString& entry : entries) {
        const QString entryName = entryHost(entry);
        if (entryName.isEmpty())
            continue;
        const QString key = list + QLatin1Char('\\') + entry;
        if (host == entryName) {
            if (auto zone = zoneValue(registry, key, scheme))
                return zone;
        } else if (host.endsWith(QLatin1Char('.') + entryName)) {
            const QString sub = host.left(host.size() - entryName.size() - 1);
            if (auto zone = zoneValue(registry, key + QLatin1Char('\\') + sub, scheme))
                return zone;
            if (auto zone = zoneValue(registry, key, scheme))
                return zone;
        }
    }
    return std::nullopt;
}

bool isIntranetHost(const QString& host)
{
    if (host.isEmpty())
        return false;
    if (QHostAddress address(host); !address.isNull())
        return address.isLoopback();
    return host == QLatin1String("localhost") || !host.contains(QLatin1Char('.'));
}

} // namespace

std::optional<int> ListedZone(const QString& url, const QString& scheme)
{
    const QUrl parsed(url);
    const QString host = parsed.host().toLower();
    if (host.isEmpty())
        return std::nullopt;
    const QString valueName = scheme.isEmpty() ? parsed.scheme().toLower() : scheme;
    try {
        TRegistry registry(HKEY_CURRENT_USER);
        for (const QString& list : {ZoneMapDomainsKey, ZoneMapEscDomainsKey}) {
            if (auto zone = listedIn(registry, list, host, valueName))
                return zone;
        }
    } catch (const ERegistryException&) {}
    return std::nullopt;
}

int MapUrlToZone(const QString& url)
{
    const QUrl parsed(url);
    if (parsed.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0)
        return URLZONE_LOCAL_MACHINE;
    if (auto zone = ListedZone(url))
        return *zone;
    return isIntranetHost(parsed.host().toLower()) ? URLZONE_INTRANET : URLZONE_INTERNET;
}

std::optional<ZoneAttributes> GetZoneAttributes(int zone)
{
    static const std::array<ZoneAttributes, 5> zones = {{
        {QStringLiteral("My Computer"), QStringLiteral("Your computer"), QString()},
        {QStringLiteral("Local intranet"),
            QStringLiteral("This zone contains all Web sites that are on your organization's intranet."), QString()},
        {QStringLiteral("Trusted sites"),
            QStringLiteral("This zone contains Web sites that you trust not to damage your computer or data."),
            QString()},
        {QStringLiteral("Internet"),
            QStringLiteral("This zone contains all Web sites you haven't placed in other zones"), QString()},
        {QStringLiteral("Restricted sites"),
            QStringLiteral("This zone contains Web sites that could potentially damage your computer or data."),
            QString()},
    }};
    if (zone < 0 || zone >= int(zones.size()))
        return std::nullopt;
    ZoneAttributes attributes = zones[std::size_t(zone)];
    attributes.IconPath = ZoneIconFolder + QLatin1Char('#') + QString::number(zone);
    return attributes;
}

QIcon LoadZoneIcon(const QString& location)
{
    const qsizetype hash = location.lastIndexOf(QLatin1Char('#'));
    if (hash < 0)
        return {};
    const QString folder = location.left(hash);
    bool isNumber = false;
    const int number = location.mid(hash + 1).toInt(&isNumber);
    const QString file = folder + QLatin1Char('/') + QString::number(number) + QLatin1String(".png");
    if (!isNumber || !QFileInfo(folder).isDir() || !QFileInfo::exists(file))
        return {};
    return QIcon(QPixmap(file).scaled(16, 16));
}
