// The process-wide icon list: one index per kind of item, shared by all.
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TEST(SystemImageList, GivesOneIndexPerKindOfItem)
{
    TempHome home;
    SystemImageList& list = SystemImageList::instance();
    writeFile(home.path("page.html"), "<html><body>x</body></html>");
    QDir().mkpath(home.path("plain"));

    const int html = list.indexOfFileType("*.htm");
    EXPECT_GT(html, 0);
    EXPECT_EQ(list.indexOfFileType(".html"), html);
    EXPECT_EQ(list.indexOfFileType("Index.HTM"), html);
    EXPECT_EQ(list.indexOfPath(home.path("page.html")), html);
    EXPECT_NE(list.indexOfFileType("*.png"), html);
    EXPECT_EQ(list.indexOfFileType("no-extension"), 0) << "the generic document";

    const int folder = list.indexOfFolder();
    EXPECT_GT(folder, 0);
    EXPECT_EQ(list.indexOfPath(home.path("plain")), folder);
    const int favorites = list.indexOfSpecialFolder(CSIDL_FAVORITES);
    EXPECT_NE(favorites, folder);
    EXPECT_EQ(list.indexOfPath(SpecialFolderPath(CSIDL_FAVORITES)), favorites);
    EXPECT_GE(list.indexOfSpecialFolder(CSIDL_DRIVES), 0);

    EXPECT_EQ(list.indexOfPath(home.path("missing.html")), -1);
    EXPECT_EQ(list.indexOfPath(""), -1);
    EXPECT_EQ(list.indexOfSpecialFolder(CSIDL_SENDTO), -1);
    EXPECT_EQ(list.indexOfSpecialFolder(3000), -1);
}

TEST(SystemImageList, DrawsSmallAndLargeImages)
{
    SystemImageList& list = SystemImageList::instance();
    const int folder = list.indexOfFolder();
    for (const int index : {0, folder}) {
        EXPECT_FALSE(list.icon(index).isNull()) << index;
        EXPECT_EQ(list.pixmap(index, SystemImageList::ImageSize::Small).size(), QSize(16, 16));
        EXPECT_EQ(list.pixmap(index, SystemImageList::ImageSize::Large).size(), QSize(32, 32));
    }
    EXPECT_TRUE(list.pixmap(list.count(), SystemImageList::ImageSize::Small).isNull());
    EXPECT_TRUE(list.icon(-1).isNull());
}

TEST(SystemImageList, TakesIconsOfItsUsers)
{
    SystemImageList& list = SystemImageList::instance();
    QPixmap red(16, 16);
    red.fill(Qt::red);
    const int before = list.count();
    const int added = list.addIcon(QIcon(red));
    EXPECT_EQ(added, before);
    EXPECT_EQ(list.count(), before + 1);
    EXPECT_EQ(list.pixmap(added, SystemImageList::ImageSize::Small).toImage().pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(list.addIcon(QIcon()), -1);
}

} // namespace
