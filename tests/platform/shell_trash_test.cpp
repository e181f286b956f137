// Deleting into the freedesktop trash.
#include "platform/shell/Trash.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("content");
}

QString infoText(const TempHome& home, const QString& name)
{
    QFile file(home.path(".local/share/Trash/info/" + name + ".trashinfo"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(Trash, KeepsEachItemUnderAFreeNameWithWhereItCameFrom)
{
    TempHome home;
    QDir().mkpath(home.path("docs/sub dir"));
    QDir().mkpath(home.path("other"));
    writeFile(home.path("docs/a b%.txt"));
    writeFile(home.path("other/a b%.txt"));
    writeFile(home.path("docs/sub dir/inner"));
    const struct {
        QString path;
        QString trashedAs;
        QString encodedPath;
    } cases[] = {
        {home.path("docs/a b%.txt"), "a b%.txt", "/docs/a%20b%25.txt"},
        {home.path("other/a b%.txt"), "a b%.2.txt", "/other/a%20b%25.txt"},
        {home.path("docs/sub dir"), "sub dir", "/docs/sub%20dir"},
    };
    EXPECT_EQ(TrashFolder(), home.path(".local/share/Trash"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QString error;
        ASSERT_TRUE(MoveToTrash(c.path, &error)) << error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(c.path));
        EXPECT_TRUE(QFileInfo::exists(home.path(".local/share/Trash/files/" + c.trashedAs)));
        const QString info = infoText(home, c.trashedAs);
        EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=")) << info.toStdString();
        EXPECT_TRUE(info.contains("Path=" + QUrl::toPercentEncoding(home.path(), "/") + c.encodedPath + "\n"))
            << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression("\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")));
    }
    EXPECT_TRUE(QFileInfo::exists(home.path(".local/share/Trash/files/sub dir/inner")));
}

TEST(Trash, FailsClearlyAndLeavesTheFileAndNoInfo)
{
    TempHome home;
    QString error;
    EXPECT_FALSE(MoveToTrash(home.path("missing.txt"), &error));
    EXPECT_TRUE(error.contains("missing.txt")) << error.toStdString();

    // A trash whose files folder cannot be made.
    QDir().mkpath(home.path(".local/share/Trash"));
    writeFile(home.path(".local/share/Trash/files"));
    writeFile(home.path("kept.txt"));
    EXPECT_FALSE(MoveToTrash(home.path("kept.txt"), &error));
    EXPECT_TRUE(error.contains("trash")) << error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(home.path("kept.txt")));
    EXPECT_FALSE(QFileInfo::exists(home.path(".local/share/Trash/info/kept.txt.trashinfo")));
}

} // namespace
