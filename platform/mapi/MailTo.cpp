#include "platform/mapi/MailTo.h"

#include <QByteArray>
#include <QUrl>

namespace {

QString Encoded(QString text, bool lineBreaks)
{
    if (lineBreaks) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (const QChar c : {QChar(u'\r'), QChar(0x2028), QChar(0x2029)})
            text.replace(c, u'\n');
    }
    QByteArray encoded = QUrl::toPercentEncoding(text, lineBreaks ? QByteArray() : QByteArray("@"));
    if (lineBreaks)
        encoded.replace("%0A", "%0D%0A");
    return QString::fromLatin1(encoded);
}

} // namespace

QString MailToAddress(const QString& to, const QString& subject, const QString& body)
{
    QString address = QStringLiteral("mailto:") + Encoded(to, false);
    QChar separator = u'?';
    if (!subject.isEmpty()) {
        address += separator + QStringLiteral("subject=") + Encoded(subject, true);
        separator = u'&';
    }
    if (!body.isEmpty())
        address += separator + QStringLiteral("body=") + Encoded(body, true);
    return address;
}
