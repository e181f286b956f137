#include "platform/shell/ShellNames.h"

#include "platform/files/SafeFile.h"

#include <algorithm>

QString ShortcutFileName(const QString& title, const QString& extension)
{
    QString name = title;
    for (QChar& c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    qsizetype start = 0;
    while (start < name.size() && (name.at(start) == QLatin1Char('.') || name.at(start).isSpace()))
        ++start;
    name = name.mid(start).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Favorite");
    return QString::fromStdString(
        SafeFileName((name + extension).toStdString(), (QStringLiteral("Favorite") + extension).toStdString()));
}

namespace {

// Compares the runs of digits starting at a[i] and b[j] by value (leading
// zeros ignored) and moves i and j past them.
int compareNumbers(const QString& a, qsizetype& i, const QString& b, qsizetype& j)
{
    auto skipZeros = [](const QString& s, qsizetype& k) {
        while (k < s.size() && s.at(k) == QLatin1Char('0'))
            ++k;
    };
    skipZeros(a, i);
    skipZeros(b, j);
    const qsizetype startA = i, startB = j;
    while (i < a.size() && a.at(i).isDigit())
        ++i;
    while (j < b.size() && b.at(j).isDigit())
        ++j;
    if (i - startA != j - startB)
        return i - startA < j - startB ? -1 : 1;
    return QStringView(a).mid(startA, i - startA).compare(QStringView(b).mid(startB, j - startB));
}

int compareNatural(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            if (const int byValue = compareNumbers(a, i, b, j))
                return byValue;
            continue;
        }
        const char16_t x = a.at(i).toCaseFolded().unicode(), y = b.at(j).toCaseFolded().unicode();
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}

} // namespace

bool ShellNameLess(const QString& a, const QString& b)
{
    const int natural = compareNatural(a, b);
    return natural != 0 ? natural < 0 : a < b;
}

bool ShellEntryLess(bool aIsFolder, const QString& a, bool bIsFolder, const QString& b)
{
    return aIsFolder != bIsFolder ? aIsFolder : ShellNameLess(a, b);
}

void SortAsShell(QFileInfoList& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return ShellEntryLess(a.isDir(), a.fileName(), b.isDir(), b.fileName());
    });
}
