// The favorites list view against a fixture folder: what it lists, how it
// moves between levels, what opening an item hands on, finding by typed
// text, and how it copes with a folder that is missing or changes.
#include "favorites/FavoritesListView.h"

#include "FavoritesFixture.h"

#include <QHeaderView>
#include <QTest>

namespace {

class FavoritesListViewTest : public FavoritesFixture {
protected:
    TFavoritesListView& View()
    {
        if (!view) {
            view = new TFavoritesListView(&form);
            view->Sextant = browser;
        }
        return *view;
    }

    void Focus(const QString& name)
    {
        const int row = View().ItemNames().indexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        View().setCurrentIndex(View().model()->index(row, 0));
    }

    QString FocusedName() { return View().currentIndex().data().toString(); }

    void Press(Qt::Key key) { QTest::keyClick(&View(), key); }

    TFavoritesListView* view = nullptr;
};

const QStringList kTopLevel{"Links", "Work", "Broken", "News", "news", "notes.txt"};

TEST_F(FavoritesListViewTest, ListsTheFolderInTheShellsOrderUnderItsName)
{
    EXPECT_EQ(View().ItemNames(), kTopLevel);
    EXPECT_EQ(View().model()->headerData(0, Qt::Horizontal).toString(), "Favorites");
    EXPECT_EQ(View().CurrentFolderPath(), favorites);
    EXPECT_EQ(FocusedName(), "Links");
    EXPECT_EQ(View().LevelsEntered(), 0);
    EXPECT_EQ(View().columnWidth(0), View().width() - 4);
    // Icons are there when the rows are drawn.
    EXPECT_FALSE(View().model()->index(3, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
}

TEST_F(FavoritesListViewTest, EntersFoldersAndGoesBackUpByKey)
{
    Focus("Work");
    Press(Qt::Key_Return);
    EXPECT_EQ(View().ItemNames(), QStringList({"Old", "Plan"}));
    EXPECT_EQ(View().LevelsEntered(), 1);
    Press(Qt::Key_Return);
    EXPECT_EQ(View().ItemNames(), QStringList());
    EXPECT_EQ(View().LevelsEntered(), 2);
    for (Qt::Key up : {Qt::Key_Backspace, Qt::Key_Escape}) {
        Press(up);
        EXPECT_EQ(View().LevelsEntered(), up == Qt::Key_Backspace ? 1 : 0);
    }
    EXPECT_EQ(View().ItemNames(), kTopLevel);
    // At the top there is nowhere to go: a beep, and the list stays.
    EXPECT_FALSE(View().GoUp());
    Press(Qt::Key_Home);
    EXPECT_EQ(View().ItemNames(), kTopLevel);
    EXPECT_EQ(View().LevelsEntered(), 0);
}

TEST_F(FavoritesListViewTest, OpenedShortcutHandsOnItsOwnAddress)
{
    const struct {
        const char* item;
        TResolveUrl resolve;
        QString url;
    } cases[] = {
        {"News", IntShCut, "https://news.example/"},
        {"news", IntShCut, "https://other.example/"},
        {"news", IniFile, "https://other.example/"},
        {"Broken", IntShCut, ""},
        {"Broken", IniFile, ""},
    };
    for (const auto& c : cases) {
        View().ResolveUrl = c.resolve;
        QStringList selected;
        View().OnURLSelected = [&](QObject* sender, QString url) {
            EXPECT_EQ(sender, &View());
            selected.append(url);
        };
        Focus(c.item);
        View().OpenFocusedItem();
        EXPECT_EQ(selected, QStringList{c.url}) << c.item;
    }
    EXPECT_TRUE(Opened().isEmpty());

    // Unhandled, the address goes to the browser.
    View().OnURLSelected = nullptr;
    Focus("news");
    form.show();
    QTest::mouseDClick(View().viewport(), Qt::LeftButton, {}, View().visualRect(View().currentIndex()).center());
    EXPECT_EQ(Opened(), QStringList{"https://other.example/"});
}

TEST_F(FavoritesListViewTest, TypedTextFindsTheNextNameStartingWithIt)
{
    form.show();
    Focus("Links");
    QTest::keyClicks(&View(), "ne");
    EXPECT_EQ(FocusedName(), "News");

    // From the last item the search goes on from the first only when asked.
    const QAbstractItemModel& model = *View().model();
    const QModelIndex last = model.index(kTopLevel.size() - 1, 0);
    const struct {
        QString text;
        Qt::MatchFlags flags;
        int row;
    } cases[] = {
        {"NOTES", Qt::MatchStartsWith, 5},
        {"wo", Qt::MatchStartsWith, -1},
        {"wo", Qt::MatchStartsWith | Qt::MatchWrap, 1},
        {"zz", Qt::MatchStartsWith | Qt::MatchWrap, -1},
    };
    for (const auto& c : cases) {
        const QModelIndexList found = model.match(last, Qt::DisplayRole, c.text, 1, c.flags);
        EXPECT_EQ(found.isEmpty() ? -1 : found[0].row(), c.row) << c.text.toStdString();
    }
}

TEST_F(FavoritesListViewTest, MissingFavoritesFolderIsMadeAgainWithoutAnError)
{
    ASSERT_TRUE(QDir(favorites).removeRecursively());
    EXPECT_NO_THROW(View());
    EXPECT_EQ(View().ItemNames(), QStringList{"Links"});
    EXPECT_TRUE(QFileInfo(favorites).isDir());
}

TEST_F(FavoritesListViewTest, FavoritesFolderThatCannotBeMadeGivesAnEmptyList)
{
    ASSERT_TRUE(QDir(favorites).removeRecursively());
    WriteFavoriteFile(favorites, "a file where the folder belongs");
    EXPECT_NO_THROW(View());
    EXPECT_TRUE(View().ItemNames().isEmpty());
    EXPECT_FALSE(View().GoUp());
    EXPECT_NO_THROW(View().OpenFocusedItem());
}

TEST_F(FavoritesListViewTest, FollowsChangesOnDiskAndTheFolderShownGoing)
{
    Focus("Work");
    View().OpenFocusedItem();
    WriteFavoriteFile(favorites + "/Work/Added.url", ShortcutText("https://added.example/"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return View().ItemNames() == QStringList({"Old", "Added", "Plan"}); }));

    ASSERT_TRUE(QDir(favorites + "/Work").removeRecursively());
    EXPECT_TRUE(QTest::qWaitFor([&] { return View().CurrentFolderPath() == favorites; }));
    EXPECT_EQ(View().LevelsEntered(), 0);
    EXPECT_FALSE(View().ItemNames().contains("Work"));
}

TEST_F(FavoritesListViewTest, RenamedShortcutStaysAShortcutInsideItsFolder)
{
    const struct {
        const char* item;
        QString title;
        QString file;
    } cases[] = {
        {"News", "Daily news", "Daily news.url"},
        // Separators are no way out of the folder.
        {"news", "../../Escaped", "_.._Escaped.url"},
    };
    for (const auto& c : cases) {
        Focus(c.item);
        ASSERT_TRUE(View().model()->setData(View().currentIndex(), c.title)) << c.item;
        EXPECT_TRUE(QFileInfo::exists(favorites + "/" + c.file)) << c.file.toStdString();
    }
    // A name that is taken is refused.
    Focus("_.._Escaped");
    EXPECT_FALSE(View().model()->setData(View().currentIndex(), "Daily news"));
    EXPECT_EQ(View().ItemNames(), QStringList({"Links", "Work", "_.._Escaped", "Broken", "Daily news", "notes.txt"}));
}

} // namespace
