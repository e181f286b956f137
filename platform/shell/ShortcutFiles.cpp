#include "platform/shell/ShortcutFiles.h"

#include "platform/files/SafeFile.h"
#include "platform/shell/IniText.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

const QString kInternetShortcut = QStringLiteral("internetshortcut");
const QString kDesktopEntry = QStringLiteral("desktop entry");

// Replaces the file's content through a temporary name; only a file that
// replaces another is synced first, so that writing many new shortcuts stays
// cheap.
bool writeWholeFile(const QString& fileName, const QByteArray& text)
{
    SafeFileWriter out(QFile::encodeName(fileName).toStdString());
    return out.Open() && out.Write(text.constData(), std::size_t(text.size())) && out.Commit();
}

} // namespace

QString ReadInternetShortcutUrl(const QString& fileName)
{
    return IniValue(ParseIni(ReadIniLines(fileName)), kInternetShortcut, QStringLiteral("url"));
}

bool WriteInternetShortcutUrl(const QString& fileName, const QString& url)
{
    if (url.contains(QLatin1Char('\n')) || url.contains(QLatin1Char('\r')) || url.contains(QChar(0)))
        return false;
    bool crlf = true;
    QStringList lines = QFileInfo::exists(fileName) ? ReadIniLines(fileName, &crlf) : QStringList();
    const std::vector<IniLine> parsed = ParseIni(lines);
    const QString urlLine = QStringLiteral("URL=") + url;
    qsizetype sectionEnd = -1; // the line after the section's last line
    bool written = false;
    for (std::size_t i = 0; i < parsed.size() && !written; ++i) {
        if (parsed[i].section != kInternetShortcut)
            continue;
        if (parsed[i].key == QLatin1String("url")) {
            lines[qsizetype(i)] = urlLine;
            written = true;
        }
        sectionEnd = qsizetype(i) + 1;
    }
    if (!written && sectionEnd >= 0)
        lines.insert(sectionEnd, urlLine);
    else if (!written)
        lines << QStringLiteral("[InternetShortcut]") << urlLine;
    const QString newline = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QByteArray text = (lines.join(newline) + newline).toUtf8();
    return writeWholeFile(fileName, text);
}

bool WriteDesktopLink(const QString& fileName, const QString& name, const QString& url)
{
    const QByteArray text = (QStringLiteral("[Desktop Entry]\nType=Link\nName=") + EscapeDesktopValue(name)
        + QStringLiteral("\nURL=") + EscapeDesktopValue(url) + QStringLiteral("\nIcon=text-html\n"))
                                .toUtf8();
    return writeWholeFile(fileName, text);
}

QString ReadDesktopLinkUrl(const QString& fileName)
{
    const std::vector<IniLine> lines = ParseIni(ReadIniLines(fileName));
    if (IniValue(lines, kDesktopEntry, QStringLiteral("type")) != QLatin1String("Link"))
        return {};
    return UnescapeDesktopValue(IniValue(lines, kDesktopEntry, QStringLiteral("url")));
}

ShortcutKind ShortcutKindOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("url"))
        return ShortcutKind::InternetShortcut;
    if (suffix == QLatin1String("desktop") && QFileInfo(fileName).isFile()) {
        const std::vector<IniLine> lines = ParseIni(ReadIniLines(fileName));
        if (IniValue(lines, kDesktopEntry, QStringLiteral("type")) == QLatin1String("Link"))
            return ShortcutKind::DesktopLink;
    }
    return ShortcutKind::None;
}

QString ShortcutTarget(const QString& fileName)
{
    switch (ShortcutKindOf(fileName)) {
    case ShortcutKind::InternetShortcut:
        return ReadInternetShortcutUrl(fileName);
    case ShortcutKind::DesktopLink:
        return ReadDesktopLinkUrl(fileName);
    case ShortcutKind::None:
        break;
    }
    return {};
}
