#include "addressbar/AddressText.h"

#include "platform/registry/Registry.h"

#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <array>
#include <utility>

QString NormalizeAddressText(const QString& text)
{
    if (text.isEmpty() || text.endsWith(u'/'))
        return text;
    const qsizetype slash = text.lastIndexOf(u'/');
    const qsizetype dot = text.lastIndexOf(u'.');
    return slash >= 0 && slash > dot ? text + u'/' : text;
}

int SpecialFolderCsidl(const QString& text)
{
    static const std::array<std::pair<const char*, int>, 24> names{{
        {"DESKTOP", 0},
        {"INTERNET", 1},
        {"PROGRAMS", 2},
        {"CONTROL PANEL", 3},
        {"PRINTERS", 4},
        {"MY DOCUMENTS", 5},
        {"FAVORITES", 6},
        {"STARTUP", 7},
        {"RECENT", 8},
        {"SENDTO", 9},
        {"RECYCLE BIN", 10},
        {"STARTMENU", 11},
        {"DESKTOP DIRECTORY", 16},
        {"MY COMPUTER", 17},
        {"NETWORK NEIGHBORHOOD", 18},
        {"NETHOOD", 19},
        {"FONTS", 20},
        {"TEMPLATES", 21},
        {"START MENU", 22},
        {"COMMON PROGRAMS", 23},
        {"COMMON STARTUP", 24},
        {"COMMON DESKTOP", 25},
        {"APPDATA", 26},
        {"PRINTHOOD", 27},
    }};
    const QString name = text.trimmed();
    for (const auto& [special, csidl] : names)
        if (name.compare(QLatin1String(special), Qt::CaseInsensitive) == 0)
            return csidl;
    return NoSpecialFolder;
}

QString ExtensionIconKey(const QString& text)
{
    static const QStringList known{QStringLiteral(".xml"), QStringLiteral(".txt"), QStringLiteral(".doc"),
        QStringLiteral(".bmp"), QStringLiteral(".zip"), QStringLiteral(".rar"), QStringLiteral(".jpg"),
        QStringLiteral(".gif"), QStringLiteral(".jpeg")};
    const qsizetype dot = text.lastIndexOf(u'.');
    const qsizetype delimiter = std::max({text.lastIndexOf(u'/'), text.lastIndexOf(u'\\'), text.lastIndexOf(u':')});
    const QString extension = dot > delimiter ? text.mid(dot).trimmed().toLower() : QString();
    for (const QString& key : known)
        if (extension.contains(key))
            return extension;
    return QStringLiteral("*.htm");
}

namespace {

// The address a site icon is taken for: a text without a scheme is an http
// address, as the browser takes it.
QUrl siteUrl(const QString& text)
{
    const QString address = text.trimmed();
    const bool hasScheme = address.contains(QStringLiteral("://"));
    const QUrl url(hasScheme ? address : QStringLiteral("http://") + address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return url;
}

} // namespace

QString FaviconHost(const QString& text)
{
    const QUrl url = siteUrl(text);
    return url.isEmpty() ? QString() : url.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toLower();
}

QString FaviconAddress(const QString& text)
{
    const QString host = FaviconHost(text);
    return host.isEmpty()
        ? QString()
        : siteUrl(text).scheme().toLower() + QStringLiteral("://") + host + QStringLiteral("/favicon.ico");
}

QString GetCacheFolder()
{
    TRegistry reg(HKEY_CURRENT_USER);
    try {
        if (reg.OpenKeyReadOnly(
                QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"))
            && reg.ValueExists(QStringLiteral("Cache")))
            return reg.ReadString(QStringLiteral("Cache")) + u'/';
    } catch (const ERegistryException&) {
        // An unreadable key leaves no cache folder.
    }
    return {};
}
