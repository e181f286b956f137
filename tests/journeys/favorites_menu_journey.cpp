// The Favorites menu as a user meets it: it sits after History, lists the
// favorites folder with its sub-folders opening as sub-menus, opens a chosen
// favorite, adds the page on screen, and shows a favorite added elsewhere
// the next time it opens.
#include "Journey.h"
#include "favorites/FavoritesMenu.h"
#include "platform/shell/SpecialFolders.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

namespace {

void WriteShortcut(const QString& path, const QString& url)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
}

QStringList BarCaptions(QMenuBar* bar)
{
    QStringList captions;
    for (const QAction* item : bar->actions())
        captions << item->text();
    return captions;
}

class FavoritesMenu : public Journey {};

TEST_F(FavoritesMenu, OpensAFavoriteFromASubFolderAndFollowsTheFolder)
{
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    WriteShortcut(favorites + "/Work/Plan.url", JourneyPages::Url("/plan.html"));
    WriteShortcut(favorites + "/Q&A.url", JourneyPages::Url("/qa.html"));
    WriteShortcut(favorites + "/" + QString(60, QLatin1Char('L')) + ".url", JourneyPages::Url("/long.html"));
    OpenWindow(JourneyPages::Url("/start.html"));

    const QStringList bar = BarCaptions(Window().menuBar());
    ASSERT_GE(bar.size(), 7);
    EXPECT_EQ(bar.mid(5, 2), QStringList({"History", "Favorites"}));
    QMenu* menu = Window().FavoritesMenu1->TopMenu();
    ASSERT_TRUE(menu);
    QStringList captions;
    for (const QAction* item : menu->actions())
        captions << item->text();
    EXPECT_TRUE(captions.contains("Q&&A")) << captions.join('|').toStdString();
    EXPECT_TRUE(captions.contains(QString(50, QLatin1Char('L')) + "...")) << captions.join('|').toStdString();

    ChooseMenu({"Favorites", "Work", "Plan"});
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/plan.html"), "plan"));
    ChooseMenu({"Favorites", "Q&A"});
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/qa.html"), "qa"));

    // Added by another program while the window is open.
    WriteShortcut(favorites + "/Work/Later.url", JourneyPages::Url("/later.html"));
    ASSERT_TRUE(WaitFor([&] { return Window().FavoritesMenu1->IsStale(); }));
    ChooseMenu({"Favorites", "Work", "Later"});
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/later.html"), "later"));
}

TEST_F(FavoritesMenu, AddToFavoritesStoresThePageAndTheMenuListsIt)
{
    OpenWindow(JourneyPages::Url("/kept.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/kept.html"), "kept"));
    const SeenDialog asked = AnswerDialog("OK", [&] { ChooseMenu({"Favorites", "Add to Favorites"}); });
    ASSERT_TRUE(asked.Shown);
    const QString file = SpecialFolderPath(CSIDL_FAVORITES) + "/kept.url";
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(file); }));
    TypeAddress(JourneyPages::Url("/other.html"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/other.html"), "other"));
    ChooseMenu({"Favorites", "kept"});
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/kept.html"), "kept"));
}

} // namespace
