// The History menu and the HistoryLV tab after real browsing: pages chosen
// from both open, both follow new visits, midnight and Delete History, and a
// history store that cannot be read at start leaves the window usable.
#include "Journey.h"

#include "favorites/HistoryListView.h"
#include "platform/inet/UrlHistory.h"
#include "platform/shell/HistoryFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

namespace {

class History : public Journey {
protected:
    void TearDown() override
    {
        SetHistoryClock({});
        Journey::TearDown();
    }

    void Visit(const std::string& path, const QString& title)
    {
        TypeAddress(JourneyPages::Url(path));
        Press(Qt::Key_Return);
        ASSERT_TRUE(WaitForPage(JourneyPages::Url(path), title));
    }

    // The visible captions of the History menu's top level, read after it
    // was opened with a click and closed again with Escape.
    QStringList HistoryTopItems()
    {
        QMenuBar* bar = Window().menuBar();
        QAction* top = MenuAction({"History"});
        EXPECT_TRUE(top);
        if (!top)
            return {};
        Click(bar, bar->actionGeometry(top).center());
        EXPECT_TRUE(WaitFor([&] { return top->menu()->isVisible(); }, 5000));
        QStringList captions;
        for (QAction* item : top->menu()->actions())
            if (item->isVisible())
                captions << item->text();
        Press(Qt::Key_Escape);
        WaitFor([&] { return !top->menu()->isVisible(); }, 5000);
        return captions;
    }

    THistoryListView* ShowHistoryTab()
    {
        if (!Window().PanelAcc->isVisible())
            Click(Window().MainToolBar->widgetForAction(Window().ToolBtnAccesories));
        QTabBar* tabs = Window().PageCtrl->tabBar();
        Click(tabs, tabs->tabRect(3).center());
        EXPECT_EQ(Window().PageCtrl->tabText(Window().PageCtrl->currentIndex()), "HistoryLV");
        return Window().HistoryListView1;
    }
};

TEST_F(History, PagesChosenFromTheMenuAndTheListOpen)
{
    OpenWindow();
    ChooseMenu({"Tools", "History Tools", "Delete History"});
    Visit("/alpha.html", "alpha");
    Visit("/beta.html", "beta");
    const QString site = QStringLiteral("127.0.0.1");

    ChooseMenu({"History", "Today", site, "alpha"});
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/alpha.html"), "alpha"));
    // The menu was rebuilt after that click; a second page from it opens too.
    ChooseMenu({"History", "Today", site, "beta"});
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/beta.html"), "beta"));

    THistoryListView* list = ShowHistoryTab();
    ASSERT_TRUE(WaitFor([&] { return list->ItemNames() == QStringList{"Today"}; }));
    Click(list->viewport(), list->visualRect(list->model()->index(0, 0)).center());
    Press(Qt::Key_Return);
    ASSERT_TRUE(list->ItemNames().contains(site));
    Type("12");
    Press(Qt::Key_Return);
    ASSERT_TRUE(list->ItemNames().contains("alpha"));
    // A pause, as a user makes: typed text within the interval adds to the
    // text searched for.
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    Type("al");
    Press(Qt::Key_Return);
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/alpha.html"), "alpha"));
}

TEST_F(History, MenuAndListFollowVisitsMidnightAndDeleteHistory)
{
    OpenWindow();
    ChooseMenu({"Tools", "History Tools", "Delete History"});
    Visit("/gamma.html", "gamma");
    EXPECT_EQ(HistoryTopItems(), QStringList{"Today"});
    THistoryListView* list = ShowHistoryTab();
    ASSERT_TRUE(WaitFor([&] { return list->ItemNames() == QStringList{"Today"}; }));

    // Past midnight what was Today is named by its weekday.
    const QString weekday = QLocale(QLocale::English).standaloneDayName(QDate::currentDate().dayOfWeek());
    SetHistoryClock([] { return QDateTime::currentDateTime().addDays(1); });
    const bool sameWeek = QDate::currentDate().dayOfWeek() != 7;
    EXPECT_EQ(HistoryTopItems(), QStringList{sameWeek ? weekday : QStringLiteral("Last Week")});
    SetHistoryClock({});
    EXPECT_EQ(HistoryTopItems(), QStringList{"Today"});

    ChooseMenu({"Tools", "History Tools", "Delete History"});
    EXPECT_TRUE(WaitFor([&] { return list->ItemNames().isEmpty(); })) << "the list follows the clearing";
    EXPECT_EQ(HistoryTopItems(), QStringList{" (Empty) "});

    Visit("/delta.html", "delta");
    EXPECT_TRUE(WaitFor([&] { return list->ItemNames() == QStringList{"Today"}; })) << "and new visits";
    EXPECT_EQ(HistoryTopItems(), QStringList{"Today"});
}

TEST_F(History, AHistoryThatCannotBeReadAtStartLeavesTheWindowUsable)
{
    const QString file = TUrlHistory::DefaultFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    for (const QString& part : {file, file + "-wal", file + "-shm"})
        QFile::remove(part);
    QFile junk(file);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(8192, 'x'));
    junk.close();

    OpenWindow();
    EXPECT_EQ(HistoryTopItems(), QStringList{" (Empty) "});
    EXPECT_TRUE(ShowHistoryTab()->ItemNames().isEmpty());
    Visit("/epsilon.html", "epsilon");
    CloseWindow();
    QFile::remove(file);
}

} // namespace
