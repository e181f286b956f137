// Names from outside become one safe name inside the folder, and folders
// list in the shell's order.
#include "platform/shell/ShellNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ShortcutFileName, StaysOneSafeNameInTheFolder)
{
    const QString longTitle(300, QLatin1Char('x'));
    const struct {
        QString title;
        QString expected;
    } cases[] = {
        {QStringLiteral("Example Page"), QStringLiteral("Example Page.url")},
        {QStringLiteral("../../etc/passwd"), QStringLiteral("_.._etc_passwd.url")},
        {QStringLiteral("a/b\\c"), QStringLiteral("a_b_c.url")},
        {QStringLiteral(".hidden"), QStringLiteral("hidden.url")},
        {QStringLiteral(".."), QStringLiteral("Favorite.url")},
        {QStringLiteral("  "), QStringLiteral("Favorite.url")},
        {QString::fromUtf8("nul\0byte", 8), QStringLiteral("nul_byte.url")},
        {QStringLiteral("line\nbreak"), QStringLiteral("line_break.url")},
        {longTitle, QString(251, QLatin1Char('x')) + QStringLiteral(".url")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        EXPECT_EQ(ShortcutFileName(c.title, QStringLiteral(".url")), c.expected);
    }
    const QString wide = ShortcutFileName(QString(200, QChar(0x00e9)), QStringLiteral(".url"));
    EXPECT_LE(wide.toUtf8().size(), 255);
    EXPECT_TRUE(wide.endsWith(QStringLiteral(".url")));
}

TEST(ShellOrder, IgnoresCaseAndComparesNumbersByValue)
{
    const struct {
        const char* a;
        const char* b;
    } before[] = {
        {"apple", "Banana"},
        {"Item 2", "Item 10"},
        {"Item 02", "Item 3"},
        {"Work", "Work Projects"},
        {"a", "ab"},
        {"News", "news"}, // equal but for case: exact text decides, so the order is total
        {"x9", "xa"},
    };
    for (const auto& c : before) {
        SCOPED_TRACE(std::string(c.a) + " < " + c.b);
        EXPECT_TRUE(ShellNameLess(QString::fromUtf8(c.a), QString::fromUtf8(c.b)));
        EXPECT_FALSE(ShellNameLess(QString::fromUtf8(c.b), QString::fromUtf8(c.a)));
    }
    EXPECT_FALSE(ShellNameLess(QStringLiteral("same"), QStringLiteral("same")));
}

TEST(ShellOrder, ListsFoldersFirst)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("zeta")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Alpha 10")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("alpha 9")));
    for (const char* name : {"a.url", "B.url", "10.url", "9.url"}) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFileInfoList entries = QDir(dir.path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
    SortAsShell(entries);
    QStringList names;
    for (const QFileInfo& entry : entries)
        names << entry.fileName();
    EXPECT_EQ(names,
        QStringList({QStringLiteral("alpha 9"), QStringLiteral("Alpha 10"), QStringLiteral("zeta"),
            QStringLiteral("9.url"), QStringLiteral("10.url"), QStringLiteral("a.url"), QStringLiteral("B.url")}));
}

} // namespace
