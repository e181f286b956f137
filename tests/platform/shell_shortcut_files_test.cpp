// Internet shortcut files read and written in the form other browsers use,
// and desktop links.
#include "platform/shell/ShortcutFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ShortcutFiles : public ::testing::Test {
protected:
    QString write(const QByteArray& content)
    {
        const QString path = dir_.filePath(QStringLiteral("s%1.url").arg(++count_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir_;
    int count_ = 0;
};

TEST_F(ShortcutFiles, ReadTheUrlOfTheInternetShortcutSection)
{
    const struct {
        QByteArray content;
        QString url;
    } cases[] = {
        {"[InternetShortcut]\r\nURL=http://a.example/\r\n", "http://a.example/"},
        {"[InternetShortcut]\nURL=http://a.example/\n", "http://a.example/"},
        {"[DEFAULT]\r\nBASEURL=http://base.example/\r\n[InternetShortcut]\r\nURL=http://a.example/x?y=1&z\r\n"
         "IconIndex=0\r\n",
            "http://a.example/x?y=1&z"},
        {"[internetshortcut]\nurl = http://case.example/ \n", "http://case.example/"},
        {"[DEFAULT]\nURL=http://wrong.example/\n", ""},
        {"[Other]\nURL=http://wrong.example/\n[InternetShortcut]\nIconFile=x\n", ""},
        {"no sections at all", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadInternetShortcutUrl(write(c.content)), c.url) << c.content.toStdString();
    EXPECT_EQ(ReadInternetShortcutUrl(dir_.filePath("missing.url")), "");
}

TEST_F(ShortcutFiles, WriteTheUrlKeepingTheRestAndTheLineEnds)
{
    const struct {
        QByteArray before; // null: no file yet
        QByteArray after;
    } cases[] = {
        {QByteArray(), "[InternetShortcut]\r\nURL=http://new.example/\r\n"},
        {"[InternetShortcut]\nURL=http://old.example/\n", "[InternetShortcut]\nURL=http://new.example/\n"},
        {"[DEFAULT]\r\nBASEURL=http://old.example/\r\n[InternetShortcut]\r\nURL=http://old.example/\r\nIconIndex=1\r\n",
            "[DEFAULT]\r\nBASEURL=http://old.example/\r\n[InternetShortcut]\r\nURL=http://new.example/"
            "\r\nIconIndex=1\r\n"},
        {"[InternetShortcut]\nIconIndex=1\n[Other]\nA=b\n",
            "[InternetShortcut]\nIconIndex=1\nURL=http://new.example/\n[Other]\nA=b\n"},
        {"[DEFAULT]\nBASEURL=x\n", "[DEFAULT]\nBASEURL=x\n[InternetShortcut]\nURL=http://new.example/\n"},
    };
    for (const auto& c : cases) {
        const QString path
            = c.before.isNull() ? dir_.filePath(QStringLiteral("new%1.url").arg(++count_)) : write(c.before);
        ASSERT_TRUE(WriteInternetShortcutUrl(path, "http://new.example/"));
        EXPECT_EQ(read(path), c.after);
        EXPECT_EQ(ReadInternetShortcutUrl(path), "http://new.example/");
    }
}

TEST_F(ShortcutFiles, RefuseAddressesThatWouldAddLines)
{
    const QByteArray original = "[InternetShortcut]\r\nURL=http://kept.example/\r\n";
    for (const QString& url : {QStringLiteral("http://a/\r\n[Other]"), QStringLiteral("http://a/\nX=1"),
             QStringLiteral("http://a/") + QChar(0)}) {
        const QString path = write(original);
        EXPECT_FALSE(WriteInternetShortcutUrl(path, url));
        EXPECT_EQ(read(path), original);
    }
    EXPECT_FALSE(WriteInternetShortcutUrl(dir_.filePath("no-such-folder/x.url"), "http://a/"));
}

TEST_F(ShortcutFiles, DesktopLinksGiveTheirUnescapedUrl)
{
    const struct {
        QByteArray content;
        QString url;
        ShortcutKind kind;
    } cases[] = {
        {"[Desktop Entry]\nType=Link\nName=A\nURL=http://a.example/with\\sblank\\\\x\n",
            "http://a.example/with blank\\x", ShortcutKind::DesktopLink},
        {"# comment\n[Desktop Entry]\nURL=file:///tmp/x\nType=Link\n", "file:///tmp/x", ShortcutKind::DesktopLink},
        {"[Desktop Entry]\nType=Application\nExec=x\nURL=http://no/\n", "", ShortcutKind::None},
        {"[Other]\nType=Link\nURL=http://no/\n", "", ShortcutKind::None},
    };
    for (const auto& c : cases) {
        const QString path = dir_.filePath(QStringLiteral("l%1.desktop").arg(++count_));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();
        EXPECT_EQ(ReadDesktopLinkUrl(path), c.url);
        EXPECT_EQ(ShortcutKindOf(path), c.kind);
        EXPECT_EQ(ShortcutTarget(path), c.url);
    }
    EXPECT_EQ(ShortcutKindOf("/any/Name.URL"), ShortcutKind::InternetShortcut);
    EXPECT_EQ(ShortcutKindOf("/any/notes.txt"), ShortcutKind::None);
}

TEST(DesktopLinkWriting, HostileValuesStayOneLineAndReadBack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("link.desktop"));
    const QString injected = QStringLiteral("\n[Desktop Entry]\nType=Application\nExec=rm -rf ~");
    const struct {
        QString name;
        QString url;
    } cases[] = {
        {QStringLiteral("Plain"), QStringLiteral("http://example.com/")},
        {QStringLiteral(" lead\\back\ttab\r") + injected, QStringLiteral("http://e.com/a\\b")},
        {QStringLiteral("N"), QStringLiteral("http://e.com/") + injected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_TRUE(WriteDesktopLink(file, c.name, c.url));
        QFile in(file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = in.readAll().split('\n');
        EXPECT_EQ(lines.count("[Desktop Entry]"), 1);
        EXPECT_FALSE(lines.contains("Type=Application"));
        EXPECT_EQ(ShortcutKindOf(file), ShortcutKind::DesktopLink);
        EXPECT_EQ(ReadDesktopLinkUrl(file), c.url);
    }
}

} // namespace
