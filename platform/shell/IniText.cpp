#include "platform/shell/IniText.h"

#include "platform/files/PlainFiles.h"

#include <QFile>

namespace {

// No settings file comes near this; a larger one (or a device that never
// ends) is not read.
constexpr std::size_t kIniBytesMax = 16 << 20;

// Views rather than copies: shortcut folders are parsed by the thousand.
QString sectionName(QStringView trimmed)
{
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')))
        return trimmed.mid(1, trimmed.size() - 2).trimmed().toString().toLower();
    return {};
}

bool isComment(QStringView trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

} // namespace

QStringList ReadIniLines(const QString& fileName, bool* crlf)
{
    if (crlf)
        *crlf = true;
    std::string bytes;
    if (!ReadWholeFile(QFile::encodeName(fileName).toStdString(), bytes, kIniBytesMax))
        return {};
    const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    if (crlf)
        *crlf = text.isEmpty() || text.contains(QLatin1String("\r\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

std::vector<IniLine> ParseIni(const QStringList& lines)
{
    std::vector<IniLine> parsed;
    parsed.reserve(std::size_t(lines.size()));
    QString section;
    for (const QString& line : lines) {
        IniLine entry;
        const QStringView trimmed = QStringView(line).trimmed();
        const QString header = sectionName(trimmed);
        if (!header.isEmpty()) {
            section = header;
        } else if (!isComment(trimmed) && line.contains(QLatin1Char('='))) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            entry.key = QStringView(line).left(equals).trimmed().toString().toLower();
            entry.value = QStringView(line).mid(equals + 1).trimmed().toString();
        }
        entry.section = section;
        parsed.push_back(std::move(entry));
    }
    return parsed;
}

QString IniValue(const std::vector<IniLine>& lines, const QString& section, const QString& key)
{
    for (const IniLine& line : lines)
        if (line.section == section && line.key == key)
            return line.value;
    return {};
}

QString EscapeDesktopValue(const QString& value)
{
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case 0:
            break;
        default:
            out += c;
        }
    }
    if (out.startsWith(QLatin1Char(' ')))
        out.replace(0, 1, QStringLiteral("\\s"));
    return out;
}

QString UnescapeDesktopValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += QLatin1Char('\\');
            out += next;
        }
    }
    return out;
}
