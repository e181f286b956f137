// The lazily filled shell menu on a fixture folder: what the top level and
// an opened folder hold, where the top menu goes in a menu bar, a rebuild
// asked for inside a click, and a folder changed on disk.
#include "favorites/ShellMenu.h"

#include "FavoritesFixture.h"
#include "favorites/ItemCaptions.h"
#include "platform/shell/ShellFolder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>

namespace {

class RecordingMenu : public TShellMenu {
public:
    using TShellMenu::TShellMenu;
    QStringList chosen;
    bool rebuildInClick = false;
    std::vector<HRESULT> failures;

protected:
    void AddCommandItems(QMenu* top) override
    {
        AddCommand(top, QStringLiteral("Command"), [this] { RebuildMenu(); });
        top->addSeparator();
    }
    void ItemChosen(QAction* item, const TShellMenuRecord& record) override
    {
        chosen << item->text() + QLatin1Char('|') + SHGetPathFromIDList(record.Absolute.get());
        if (rebuildInClick)
            RebuildMenu();
    }
    void ShellFailure(TShellMenuFailure, HRESULT result) override { failures.push_back(result); }
};

QStringList Captions(const QMenu* menu)
{
    QStringList captions;
    for (const QAction* item : menu->actions()) {
        if (item->isVisible())
            captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    return captions;
}

QAction* Entry(const QMenu* menu, const QString& caption)
{
    for (QAction* item : menu->actions()) {
        if (item->text() == caption)
            return item;
    }
    return nullptr;
}

void Open(QMenu* menu) { QMetaObject::invokeMethod(menu, "aboutToShow"); }

class ShellMenuTest : public FavoritesFixture {
protected:
    ShellMenuTest()
    {
        QDir().mkpath(favorites + QStringLiteral("/Empty"));
        EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, root), S_OK);
    }
    UniquePidl root;
    RecordingMenu menu;
};

TEST_F(ShellMenuTest, ListsTheTopLevelAndFillsAFolderWhenItFirstOpens)
{
    QMenu* top = menu.CreateTopMenu(nullptr, 1, QStringLiteral("Favorites"), root.get());
    EXPECT_EQ(
        Captions(top), QStringList({"Command", "-", "Empty", "Links", "Work", "Broken", "News", "news", "notes.txt"}));
    QMenu* work = Entry(top, "Work")->menu();
    ASSERT_TRUE(work);
    EXPECT_TRUE(Captions(work).isEmpty()) << "filled before it opened";
    EXPECT_FALSE(menu.RecordOf(work->menuAction())->Filled);
    Open(work);
    Open(work); // a second opening adds nothing
    EXPECT_EQ(Captions(work), QStringList({"Old", "Plan"}));
    EXPECT_TRUE(menu.RecordOf(work->menuAction())->Filled);

    QMenu* empty = Entry(top, "Empty")->menu();
    Open(empty);
    EXPECT_EQ(Captions(empty), QStringList{" (empty) "});
    EXPECT_FALSE(empty->actions().constLast()->isEnabled());

    Entry(work, "Plan")->trigger();
    EXPECT_EQ(menu.chosen, QStringList{"Plan|" + favorites + "/Work/Plan.url"});
    EXPECT_FALSE(menu.RecordOf(top->actions().constFirst())) << "a command item has no record";
}

TEST_F(ShellMenuTest, TheTopMenuGoesToItsClampedPositionInTheBar)
{
    struct Case {
        int position;
        int expectedIndex;
    };
    for (const Case c : {Case{7, 5}, Case{6, 5}, Case{1, 0}, Case{0, 0}, Case{-3, 0}, Case{3, 2}}) {
        QMenuBar bar;
        for (const char* caption : {"File", "Edit", "View", "Navigation", "Tools"})
            bar.addMenu(QString::fromLatin1(caption));
        RecordingMenu placed;
        QMenu* top = placed.CreateTopMenu(&bar, c.position, QStringLiteral("Favorites"), root.get());
        EXPECT_EQ(bar.actions().indexOf(top->menuAction()), c.expectedIndex) << "position " << c.position;
    }
}

TEST_F(ShellMenuTest, ARebuildAskedForInsideAClickWaitsUntilTheClickReturned)
{
    QMenu* top = menu.CreateTopMenu(nullptr, 1, QStringLiteral("Favorites"), root.get());
    menu.rebuildInClick = true;
    QPointer<QAction> news = Entry(top, "News");
    news->trigger();
    ASSERT_TRUE(news) << "the clicked entry was deleted under its own click";
    QPointer<QAction> command = top->actions().constFirst();
    command->trigger();
    ASSERT_TRUE(command);
    QTRY_VERIFY(!news);
    EXPECT_TRUE(command) << "a command item is made once and stays";
    EXPECT_EQ(Captions(top).size(), 9);
}

TEST_F(ShellMenuTest, AFolderChangedOnDiskShowsOnTheNextOpening)
{
    QMenu* top = menu.CreateTopMenu(nullptr, 1, QStringLiteral("Favorites"), root.get());
    QMenu* work = Entry(top, "Work")->menu();
    Open(work);
    WriteFavoriteFile(favorites + QStringLiteral("/Q&A.url"), ShortcutText("https://qa.example/"));
    WriteFavoriteFile(favorites + QStringLiteral("/Work/Later.url"), ShortcutText("https://later.example/"));
    QTRY_VERIFY(menu.IsStale());
    Open(top);
    EXPECT_FALSE(menu.IsStale());
    EXPECT_TRUE(Entry(top, "Q&&A")) << Captions(top).join(',').toStdString();
    work = Entry(top, "Work")->menu();
    Open(work);
    EXPECT_EQ(Captions(work), QStringList({"Old", "Later", "Plan"}));
}

TEST_F(ShellMenuTest, AFolderThatCannotBeListedIsReportedAndAddsNothing)
{
    const UniquePidl missing = MakeItem(ITEM_SPECIAL_FOLDER, QByteArray("\xff\x7f", 2));
    QMenu* top = menu.CreateTopMenu(nullptr, 1, QStringLiteral("Nowhere"), missing.get());
    EXPECT_EQ(Captions(top), QStringList({"Command", "-"}));
    EXPECT_EQ(menu.failures.size(), 1u);
}

TEST(ItemCaptions, CutAtCharactersAReaderSeesAndKeepAmpersands)
{
    struct Case {
        QString text;
        int max;
        QString expected;
    };
    const QString sixty = QString(60, QLatin1Char('x'));
    const Case cases[] = {
        {sixty, 50, QString(50, QLatin1Char('x')) + "..."},
        {QString(50, QLatin1Char('y')), 50, QString(50, QLatin1Char('y'))},
        {"A very long page title", 15, "A very long pag..."},
        // "e" + combining acute: one character, never split from its mark
        {QString("abcde\u0301fgh"), 5, QString("abcde\u0301...")},
        // a surrogate pair at the cut
        {QString::fromUtf8("abcd\xF0\x9F\x98\x80xyz"), 5, QString::fromUtf8("abcd\xF0\x9F\x98\x80...")},
        {"short", 0, "short"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutCaption(c.text, c.max), c.expected) << c.text.toStdString();
    EXPECT_EQ(LiteralCaption("Q&A && more"), "Q&&A &&&& more");
}

} // namespace
