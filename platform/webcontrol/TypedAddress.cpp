#include "platform/webcontrol/TypedAddress.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// A host the user may type without a scheme, an optional port, and the rest
// of the address from the first "/", "?" or "#".
QUrl httpAddressOf(const QString& text)
{
    static const QRegularExpression hostLike(
        QStringLiteral(
            "^(?:localhost"
            "|(?:[\\p{L}\\p{N}](?:[\\p{L}\\p{N}_-]*[\\p{L}\\p{N}])?\\.)+\\p{L}(?:[\\p{L}\\p{N}-]*[\\p{L}\\p{N}])?"
            "|(?:(?:25[0-5]|2[0-4]\\d|1?\\d?\\d)\\.){3}(?:25[0-5]|2[0-4]\\d|1?\\d?\\d)"
            "|\\[[0-9a-f:.]+\\])"
            "(?::\\d{1,5})?(?:[/?#].*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    // An IPv6 address without brackets cannot carry a port: every colon is
    // part of the address.
    static const QRegularExpression bareIpv6(
        QStringLiteral("^([0-9a-f]*:[0-9a-f]*:[0-9a-f:.]*)([/?#].*)?$"), QRegularExpression::CaseInsensitiveOption);

    QString address;
    if (hostLike.match(text).hasMatch()) {
        address = QStringLiteral("http://") + text;
    } else if (const QRegularExpressionMatch ipv6 = bareIpv6.match(text); ipv6.hasMatch()) {
        address = QStringLiteral("http://[%1]%2").arg(ipv6.captured(1), ipv6.captured(2));
    } else {
        return {};
    }
    const QUrl url(address, QUrl::TolerantMode);
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

} // namespace

QUrl FixUpAddress(const QString& text, const QString& workingFolder)
{
    const QString address = text.trimmed();
    if (address.isEmpty())
        return {};
    if (address.startsWith(u'/'))
        return QUrl::fromLocalFile(address);
    // "~" is the shell's name for the home folder, which the control does not
    // expand: such a text is not taken for a path. The path is composed by
    // hand, since Qt's path functions take a leading ":" for its resources.
    if (!address.startsWith(u'~')) {
        const QString path = QDir::cleanPath(workingFolder + u'/' + address);
        if (QFileInfo::exists(path))
            return QUrl::fromLocalFile(path);
    }
    if (const QUrl http = httpAddressOf(address); http.isValid())
        return http;
    return QUrl(address, QUrl::TolerantMode);
}
