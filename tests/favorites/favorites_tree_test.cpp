// The favorites tree against a fixture folder: the nodes it builds, what a
// double click does to each kind, and how it follows the disk.
#include "favorites/FavoritesTree.h"

#include "FavoritesFixture.h"
#include "ScriptedDialogs.h"
#include "favorites/ShellContextMenu.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/SystemImageList.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace {

class FavoritesTreeTest : public FavoritesFixture {
protected:
    TFavoritesTree& Tree()
    {
        if (!tree) {
            tree = new TFavoritesTree(&form);
            tree->Sextant = browser;
        }
        return *tree;
    }

    static QStringList Texts(const QTreeWidgetItem* node)
    {
        QStringList texts;
        for (int i = 0; i < node->childCount(); ++i)
            texts.append(node->child(i)->text(0));
        return texts;
    }

    static QTreeWidgetItem* Child(const QTreeWidgetItem* node, const QString& text)
    {
        for (int i = 0; i < node->childCount(); ++i) {
            if (node->child(i)->text(0) == text)
                return node->child(i);
        }
        return nullptr;
    }

    void DoubleClick(QTreeWidgetItem* node)
    {
        form.show();
        Tree().scrollToItem(node);
        const QPoint centre = Tree().visualItemRect(node).center();
        QTest::mouseDClick(Tree().viewport(), Qt::LeftButton, {}, centre);
    }

    TFavoritesTree* tree = nullptr;
};

TEST_F(FavoritesTreeTest, BuildsToolsThenFolderThenShortcutsWithTheirRealPaths)
{
    std::vector<std::pair<QString, TNodeType>> added;
    // Built again so that the handler sees every node.
    Tree().OnNodeAdded = [&](QObject*, QTreeWidgetItem* node, TNodeType kind) {
        added.emplace_back(node->text(0), kind);
        EXPECT_FALSE(kind == ntItem && Tree().GetNodePath(node).isEmpty());
    };
    Tree().RebuildTree();

    ASSERT_EQ(Tree().topLevelItemCount(), 2);
    EXPECT_EQ(Tree().ToolsNode()->text(0), "Tools");
    EXPECT_EQ(Texts(Tree().ToolsNode()),
        QStringList({"Organize favorites", "Add To favorites", "Import favorites", "Export favorites"}));
    EXPECT_EQ(Tree().FavoritesNode()->text(0), "Favorites");
    EXPECT_EQ(Tree().FavoritesIndex(), 5);
    EXPECT_EQ(Texts(Tree().FavoritesNode()), QStringList({"Links", "Work", "Broken", "News", "news"}));
    EXPECT_EQ(added.size(), 11u);
    EXPECT_EQ(added.front(), std::make_pair(QStringLiteral("Tools"), ntTools));
    EXPECT_EQ(added.back(), std::make_pair(QStringLiteral("news"), ntItem));

    const QTreeWidgetItem* favoritesNode = Tree().FavoritesNode();
    EXPECT_EQ(Tree().GetNodePath(favoritesNode), favorites + "/");
    EXPECT_EQ(Tree().GetNodePath(Child(favoritesNode, "News")), favorites + "/News.url");
    EXPECT_EQ(Tree().GetNodePath(Child(favoritesNode, "news")), favorites + "/news.url");
    EXPECT_EQ(Tree().GetNodePath(Child(favoritesNode, "Work")), favorites + "/Work/");
    EXPECT_EQ(Tree().GetNodePath(Tree().ToolsNode()->child(0)), QString());
    EXPECT_EQ(Tree().NodeType(Child(favoritesNode, "Work")), ntEmptyFolder);

    const int folderIcon = SystemImageList::instance().indexOfFolder();
    EXPECT_EQ(Tree().FolderIconIndex(), folderIcon);
    for (const QTreeWidgetItem* node : {Tree().ToolsNode(), Tree().ToolsNode()->child(3), Tree().FavoritesNode()})
        EXPECT_EQ(Tree().NodeIconIndex(node), folderIcon) << node->text(0).toStdString();
    EXPECT_GT(Tree().NodeIconIndex(Child(favoritesNode, "News")), 0);
}

TEST_F(FavoritesTreeTest, OptionsChooseTheNodesBuilt)
{
    const struct {
        TFavoriteOptions options;
        QStringList topLevel;
        QStringList tools;
        QStringList favorites;
        int favoritesIndex;
    } cases[] = {
        {AllFavoriteOptions & ~TFavoriteOptions(foShowItems), {"Tools", "Favorites"},
            {"Organize favorites", "Add To favorites", "Import favorites", "Export favorites"}, {"Links", "Work"}, 5},
        {AllFavoriteOptions & ~TFavoriteOptions(foShowRoot), {"Favorites"}, {},
            {"Links", "Work", "Broken", "News", "news"}, 0},
        {TFavoriteOptions(foShowRoot | foShowAdd | foShowExport), {"Tools", "Favorites"},
            {"Add To favorites", "Export favorites"}, {"Links", "Work"}, 3},
        {TFavoriteOptions(foShowItems), {"Favorites"}, {}, {"Links", "Work", "Broken", "News", "news"}, 0},
    };
    for (const auto& c : cases) {
        Tree().SetOptions(c.options);
        QStringList topLevel;
        for (int i = 0; i < Tree().topLevelItemCount(); ++i)
            topLevel.append(Tree().topLevelItem(i)->text(0));
        EXPECT_EQ(topLevel, c.topLevel);
        EXPECT_EQ(Tree().ToolsNode() ? Texts(Tree().ToolsNode()) : QStringList(), c.tools);
        EXPECT_EQ(Texts(Tree().FavoritesNode()), c.favorites);
        EXPECT_EQ(Tree().FavoritesIndex(), c.favoritesIndex);
        EXPECT_EQ(Tree().NodeIconIndex(Tree().FavoritesNode()), SystemImageList::instance().indexOfFolder());
    }
}

TEST_F(FavoritesTreeTest, DoubleClickedShortcutOpensItsOwnAddress)
{
    const struct {
        const char* node;
        QString navigated;
        QStringList opened;
    } cases[] = {
        {"News", "https://news.example/", {"https://news.example/"}},
        {"news", "https://other.example/", {"https://other.example/"}},
        // An unreadable shortcut is passed on empty; the browser opens nothing.
        {"Broken", "", {}},
    };
    for (const auto& c : cases) {
        control->calls.clear();
        QStringList navigated;
        Tree().OnNavigate = [&](QObject* sender, const QString& url) {
            EXPECT_EQ(sender, &Tree());
            navigated.append(url);
        };
        bool missing = false;
        Tree().OnNodeMissing = [&](QObject*, QTreeWidgetItem*, TNodeType) { missing = true; };
        DoubleClick(Child(Tree().FavoritesNode(), c.node));
        EXPECT_EQ(navigated, QStringList{c.navigated}) << c.node;
        EXPECT_EQ(Opened(), c.opened) << c.node;
        EXPECT_FALSE(missing) << c.node;
        EXPECT_NE(Child(Tree().FavoritesNode(), c.node), nullptr) << c.node;
    }
}

TEST_F(FavoritesTreeTest, GoneShortcutOrFolderIsReportedThenRemoved)
{
    Tree();
    ASSERT_TRUE(QFile::remove(favorites + "/News.url"));
    ASSERT_TRUE(QDir(favorites + "/Work").removeRecursively());
    const std::pair<const char*, TNodeType> cases[] = {{"News", ntItem}, {"Work", ntEmptyFolder}};
    for (const auto& [name, kind] : cases) {
        std::vector<std::pair<QString, TNodeType>> reported;
        Tree().OnNodeMissing = [&](QObject*, QTreeWidgetItem* node, TNodeType nodeKind) {
            reported.emplace_back(node->text(0), nodeKind);
        };
        Tree().OnNavigate = [](QObject*, const QString&) { ADD_FAILURE() << "a gone shortcut opened"; };
        QTreeWidgetItem* node = Child(Tree().FavoritesNode(), name);
        ASSERT_NE(node, nullptr) << name;
        Tree().OpenNode(node);
        ASSERT_EQ(reported.size(), 1u) << name;
        EXPECT_EQ(reported[0], std::make_pair(QString::fromLatin1(name), kind));
        EXPECT_EQ(Child(Tree().FavoritesNode(), name), nullptr) << name;
    }
    // The shortcut that differs only in case is still there and opens.
    Tree().OnNavigate = nullptr;
    Tree().OpenNode(Child(Tree().FavoritesNode(), "news"));
    EXPECT_EQ(Opened(), QStringList{"https://other.example/"});
}

TEST_F(FavoritesTreeTest, FolderIsReadOnFirstDoubleClickOnly)
{
    QTreeWidgetItem* work = Child(Tree().FavoritesNode(), "Work");
    DoubleClick(work);
    EXPECT_EQ(Tree().NodeType(work), ntFolder);
    EXPECT_TRUE(work->isExpanded());
    EXPECT_EQ(Texts(work), QStringList({"Old", "Plan"}));
    EXPECT_EQ(Tree().GetNodePath(Child(work, "Plan")), favorites + "/Work/Plan.url");
    DoubleClick(work);
    EXPECT_EQ(Texts(work), QStringList({"Old", "Plan"}));
    Tree().OpenNode(Child(work, "Plan"));
    EXPECT_EQ(Opened(), QStringList{"https://plan.example/"});
}

TEST_F(FavoritesTreeTest, ImportAndExportNodesRunTheirCommandsOrGiveAHint)
{
    ScriptedDialogs dialogs;
    QTreeWidgetItem* importNode = Tree().ToolsNode()->child(2);
    QTreeWidgetItem* exportNode = Tree().ToolsNode()->child(3);
    Tree().OpenNode(importNode);
    Tree().OpenNode(exportNode);
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Calls()[0].Caption, "Hint");
    EXPECT_EQ(dialogs.Calls()[0].Text,
        "Please assign a TImportFavorites component to use this feature\r\nor set Options.foshowImport to False.");
    EXPECT_EQ(dialogs.Calls()[1].Text,
        "Please assign a TExportFavorites component to use this feature\r\nor set Options.foshowExport to False.");

    // An import adds favorites; the tree is rebuilt to show them.
    int exports = 0;
    Tree().ImportFavorites
        = [&] { WriteFavoriteFile(favorites + "/Imported/From.url", ShortcutText("https://from.example/")); };
    Tree().ExportFavorites = [&] { ++exports; };
    Tree().OpenNode(Tree().ToolsNode()->child(3));
    Tree().OpenNode(Tree().ToolsNode()->child(2));
    EXPECT_EQ(exports, 1);
    EXPECT_TRUE(Texts(Tree().FavoritesNode()).contains("Imported"));
    EXPECT_EQ(dialogs.Calls().size(), 2u);
}

TEST_F(FavoritesTreeTest, ChangesOnDiskShowUp)
{
    QTreeWidgetItem* work = Child(Tree().FavoritesNode(), "Work");
    Tree().OpenNode(work);
    WriteFavoriteFile(favorites + "/Added.url", ShortcutText("https://added.example/"));
    WriteFavoriteFile(favorites + "/Work/Deeper.url", ShortcutText("https://deeper.example/"));
    ASSERT_TRUE(QFile::remove(favorites + "/Broken.url"));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        QTreeWidgetItem* workNow = Child(Tree().FavoritesNode(), "Work");
        return Texts(Tree().FavoritesNode()) == QStringList({"Links", "Work", "Added", "News", "news"}) && workNow
            && workNow->isExpanded() && Texts(workNow) == QStringList({"Old", "Deeper", "Plan"});
    }));
}

TEST_F(FavoritesTreeTest, ToolsCommandsAddOrganizeAndExpand)
{
    ScriptedDialogs dialogs;
    control->locationURL = u"https://added.example/page";
    control->locationName = u"Added page";
    dialogs.Accept();
    Tree().OpenNode(Tree().ToolsNode()->child(1));
    EXPECT_EQ(dialogs.Last().Caption, "Add Favorite");
    ASSERT_TRUE(Texts(Tree().FavoritesNode()).contains("Added page"));
    Tree().OpenNode(Child(Tree().FavoritesNode(), "Added page"));
    EXPECT_EQ(Opened(), QStringList{"https://added.example/page"});

    QStringList organized;
    Tree().OnOrganizeDialog = [&](QWidget* owner, const QString& folder) {
        EXPECT_EQ(owner, Tree().window());
        organized.append(folder);
        ASSERT_TRUE(QFile::remove(favorites + "/Broken.url"));
    };
    Tree().OpenNode(Tree().ToolsNode()->child(0));
    EXPECT_EQ(organized, QStringList{favorites + "/"});
    EXPECT_FALSE(Texts(Tree().FavoritesNode()).contains("Broken"));

    // Without a dialog the folder goes to the desktop's file manager.
    struct RecordingLauncher final : IProgramLauncher {
        bool startDetached(const QString&, const QStringList&) override { return false; }
        bool openWithDesktop(const QUrl& url) override
        {
            opened.append(url);
            return true;
        }
        QList<QUrl> opened;
    } launcher;
    SetProgramLauncher(&launcher);
    Tree().OnOrganizeDialog = nullptr;
    Tree().OrganizeFavorites();
    SetProgramLauncher(nullptr);
    EXPECT_EQ(launcher.opened, QList<QUrl>{QUrl::fromLocalFile(favorites + "/")});

    Tree().ToolsNode()->setExpanded(false);
    Tree().OpenNode(Tree().ToolsNode());
    EXPECT_TRUE(Tree().ToolsNode()->isExpanded());
}

TEST_F(FavoritesTreeTest, RightClickShowsTheItemsShellMenuOrTheOwnMenu)
{
    form.show();
    QStringList shellMenus;
    SetContextMenuTracker([&](QMenu& menu, const QPoint&) {
        QStringList texts;
        for (const QAction* action : menu.actions())
            texts.append(action->text());
        shellMenus.append(texts.join(QLatin1Char(',')));
        return nullptr;
    });
    QTreeWidgetItem* news = Child(Tree().FavoritesNode(), "news");
    Tree().setCurrentItem(news);
    const QPoint onNews = Tree().visualItemRect(news).center();
    QContextMenuEvent byMouse(QContextMenuEvent::Mouse, onNews, Tree().viewport()->mapToGlobal(onNews));
    QApplication::sendEvent(Tree().viewport(), &byMouse);
    ASSERT_EQ(shellMenus.size(), 1);
    EXPECT_TRUE(shellMenus[0].contains("Open")) << shellMenus[0].toStdString();
    // The command nodes have no file: no menu.
    const QPoint onTools = Tree().visualItemRect(Tree().ToolsNode()->child(0)).center();
    QContextMenuEvent onCommand(QContextMenuEvent::Mouse, onTools, Tree().viewport()->mapToGlobal(onTools));
    QApplication::sendEvent(Tree().viewport(), &onCommand);
    EXPECT_EQ(shellMenus.size(), 1);
    SetContextMenuTracker(nullptr);

    // The own menu pops up at the focused node's centre for the menu key.
    QMenu own;
    own.addAction("Mine");
    QPoint shownAt;
    QObject::connect(&own, &QMenu::aboutToShow, [&] {
        QTimer::singleShot(0, &own, [&] {
            shownAt = own.pos();
            own.close();
        });
    });
    Tree().PopupMenuMode = pmm_PopupMenu;
    Tree().PopupMenu = &own;
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(Tree().viewport(), &byKey);
    EXPECT_EQ(shownAt, Tree().viewport()->mapToGlobal(onNews));
    EXPECT_EQ(Tree().currentItem(), news);
}

} // namespace
