// The organize-favorites tool: the dialog over the profile's favorites
// folder, with the names the user types made safe as added favorites are.
#include "tools/OrganizeFavorites.h"

#include "ScriptedDialogs.h"
#include "TempHome.h"
#include "platform/shell/OrganizeFavoritesDialog.h"
#include "platform/shell/SpecialFolders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(OrganizeFavoritesTool, OpensOverTheFavoritesFolderAndMakesTypedNamesSafe)
{
    TempHome home;
    ScriptedDialogs dialogs;
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    QFile shortcut(favorites + "/Zarn.url");
    ASSERT_TRUE(shortcut.open(QIODevice::WriteOnly));
    shortcut.write("[InternetShortcut]\r\nURL=http://a.test/\r\n");
    shortcut.close();

    bool driven = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<TOrganizeFavoritesDialog*>(window);
            if (!dialog || !dialog->isVisible())
                continue;
            driven = dialog->SelectPath(favorites + "/Zarn.url");
            dialogs.AnswerText("../../../evil");
            dialog->findChild<QPushButton*>("btnRename")->click();
            dialog->SelectPath(favorites + "/Links");
            dialogs.AnswerText("..");
            dialog->findChild<QPushButton*>("btnCreateFolder")->click();
            dialog->findChild<QPushButton*>("btnClose")->click();
        }
    });
    ShowOrganizeFavorites(nullptr);

    ASSERT_TRUE(driven);
    EXPECT_EQ(QDir(favorites).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
        (QStringList{"Links", "_.._.._evil.url"}));
    EXPECT_EQ(QDir(favorites + "/Links").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Favorite"});
    EXPECT_EQ(QDir(home.path()).entryList(QStringList{"evil*"}), QStringList{});
}

} // namespace
