// The main window's favorites tabs: both views show the profile's favorites
// folder and open a chosen shortcut in the main browser; the rebuild button
// picks up what was added meanwhile.
#include "app/unitZarnWeb.h"
#include "browserhost/Sextant.h"
#include "favorites/FavoritesListView.h"
#include "favorites/FavoritesTree.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Application.h"

#include "FakeWebBrowser.h"
#include "TempHome.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

void writeShortcut(const QString& path, const QByteArray& url)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[InternetShortcut]\r\nURL=" + url + "\r\n");
}

QStringList navigations(const FakeWebBrowser& control)
{
    QStringList urls;
    for (const auto& call : control.callsOf("Navigate2"))
        urls.append(QString::fromStdU16String(call.args[0].toWideString()));
    return urls;
}

TEST(MainWindowFavorites, BothTabsOpenShortcutsInTheMainBrowser)
{
    TempHome home;
    FakeWebBrowserFactory factory;
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    writeShortcut(favorites + "/Docs.url", "https://docs.example/");
    writeShortcut(favorites + "/docs.url", "https://lower.example/");
    TfrmMain window;
    SetApplicationMainForm(&window);
    FakeWebBrowser* main = nullptr;
    for (FakeWebBrowser* control : factory.created) {
        if (control->window()->parentWidget() == window.Sextant1)
            main = control;
    }
    ASSERT_NE(main, nullptr);
    main->calls.clear();

    EXPECT_EQ(window.PageCtrl->widget(1), window.FavoritesListView1);
    EXPECT_EQ(window.PageCtrl->widget(2), window.FavoritesTree1);
    TFavoritesTree& tree = *window.FavoritesTree1;
    ASSERT_EQ(tree.FavoritesNode()->childCount(), 3); // Links, Docs, docs
    tree.OpenNode(tree.FavoritesNode()->child(2));
    TFavoritesListView& list = *window.FavoritesListView1;
    ASSERT_EQ(list.ItemNames(), QStringList({"Links", "Docs", "docs"}));
    list.setCurrentIndex(list.model()->index(1, 0));
    list.OpenFocusedItem();
    EXPECT_EQ(navigations(*main), QStringList({"https://lower.example/", "https://docs.example/"}));

    writeShortcut(favorites + "/Added.url", "https://added.example/");
    for (int tab : {1, 2}) {
        window.PageCtrl->setCurrentIndex(tab);
        window.sbRebuildView->click();
    }
    EXPECT_EQ(list.ItemNames(), QStringList({"Links", "Added", "Docs", "docs"}));
    EXPECT_EQ(tree.FavoritesNode()->childCount(), 4);
    SetApplicationMainForm(nullptr);
}

TEST(MainWindowFavorites, OrganizeNodeShowsTheOrganizeDialogOnTheFavoritesFolder)
{
    TempHome home;
    FakeWebBrowserFactory factory;
    writeShortcut(SpecialFolderPath(CSIDL_FAVORITES) + "/Docs.url", "https://docs.example/");
    TfrmMain window;
    QStringList shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        const auto* folders = dialog->findChild<QTreeWidget*>("tvFavorites");
        for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(folders)); folders && *it; ++it)
            shown.append((*it)->text(0));
        dialog->reject();
    });
    closer.start(10);
    TFavoritesTree& tree = *window.FavoritesTree1;
    tree.OpenNode(tree.ToolsNode()->child(0));
    EXPECT_TRUE(shown.contains("Docs")) << shown.join(",").toStdString();
}

} // namespace
