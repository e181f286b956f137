#include "browserhost/SystemTools.h"

#include "platform/inet/ProcessProxy.h"
#include "platform/registry/Registry.h"

namespace {

const QString BrowserKey = QStringLiteral("Software\\Microsoft\\Internet Explorer");
const QString NavigatingKey = QStringLiteral("AppEvents\\Schemes\\Apps\\Explorer\\Navigating");

// A value of the local machine's browser key; empty when it cannot be read.
QString browserValue(const QString& name)
{
    try {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(BrowserKey) && reg.ValueExists(name))
            return reg.ReadString(name);
    } catch (const ERegistryException&) {}
    return {};
}

} // namespace

bool SetProxy(const QString&, const QString& proxy)
{
    const qsizetype colon = proxy.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    bool isNumber = false;
    const int port = proxy.mid(colon + 1).trimmed().toInt(&isNumber);
    return isNumber && SetProcessProxy({proxy.left(colon), port, {}, {}});
}

bool SetProxyWithAuthentication(
    const QString&, const QString& host, const QString& user, int port, const QString& password)
{
    return SetProcessProxy({host, port, user, password});
}

bool RemoveProxy()
{
    ResetProcessProxy();
    return true;
}

void DisableNavigationSound(bool disable)
{
    const QString from = disable ? QStringLiteral(".Current") : QStringLiteral("Old_Current");
    const QString to = disable ? QStringLiteral("Old_Current") : QStringLiteral(".Current");
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.KeyExists(NavigatingKey + QLatin1Char('\\') + from) || !reg.OpenKey(NavigatingKey, disable))
            return;
        if (reg.KeyExists(to))
            reg.DeleteKey(to);
        reg.MoveKey(from, to, true);
    } catch (const ERegistryException&) {}
}

int LeadingVersionNumber(const QString& version)
{
    qsizetype digits = 0;
    while (digits < version.size() && digits < 9 && version.at(digits).isDigit() && version.at(digits).unicode() < 0x80)
        ++digits;
    return digits ? version.left(digits).toInt() : 0;
}

bool IsIE5OrLater() { return LeadingVersionNumber(browserValue(QStringLiteral("Version"))) > 4; }

QString GetIEFileVersion() { return browserValue(QStringLiteral("svcVersion")); }

int IEMajorVersion()
{
    const QString version = GetIEFileVersion();
    const qsizetype dot = version.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return -1;
    bool isNumber = false;
    const int major = version.left(dot).toInt(&isNumber);
    return isNumber ? major : -1;
}

bool IsWindowsXPSP2OrLater() { return true; }
