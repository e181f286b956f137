// The main window's menus as built from their entries: every item a user can
// choose is bound to a handler by its command id, and an item still to come
// is shown disabled, so that no enabled item does nothing.
#include "TempHome.h"
#include "app/MainMenus.h"
#include "app/unitZarnWeb.h"

#include "FakeWebBrowser.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include <set>

namespace {

struct Item {
    QString path;
    const TMenuEntry* entry;
};

void collect(const std::vector<TMenuEntry>& entries, const QString& path, std::vector<Item>& items)
{
    for (const TMenuEntry& entry : entries) {
        if (entry.caption == QLatin1String("-"))
            continue;
        const QString itemPath = path.isEmpty() ? entry.caption : path + QLatin1String(" > ") + entry.caption;
        if (entry.items.empty())
            items.push_back({itemPath, &entry});
        else
            collect(entry.items, itemPath, items);
    }
}

std::vector<Item> allItems()
{
    std::vector<Item> items;
    collect(MainMenuEntries(), {}, items);
    collect(LinksBarPopupEntries(), QStringLiteral("Links bar pop-up"), items);
    return items;
}

class MainMenus : public ::testing::Test {
protected:
    TempHome home;
    FakeWebBrowserFactory factory;
    TfrmMain window;
};

TEST_F(MainMenus, EveryItemHasAHandlerUnlessItIsStillToCome)
{
    QStringList unbound, withoutId, toComeButEnabled, toComeButHandled;
    std::set<TMenuCommand> seen;
    for (const Item& item : allItems()) {
        const TMenuCommand command = item.entry->command;
        if (command == TMenuCommand::None || !seen.insert(command).second) {
            withoutId << item.path;
            continue;
        }
        QAction* action = window.MenuItem(command);
        ASSERT_TRUE(action) << item.path.toStdString();
        EXPECT_EQ(action->text(), item.entry->caption);
        if (!item.entry->toCome) {
            if (!window.HandlesMenuCommand(command))
                unbound << item.path;
        } else {
            if (action->isEnabled())
                toComeButEnabled << item.path;
            if (window.HandlesMenuCommand(command))
                toComeButHandled << item.path;
        }
    }
    EXPECT_TRUE(withoutId.isEmpty()) << "items without an id of their own:\n" << withoutId.join('\n').toStdString();
    EXPECT_TRUE(unbound.isEmpty()) << "items that do nothing when chosen:\n" << unbound.join('\n').toStdString();
    EXPECT_TRUE(toComeButEnabled.isEmpty()) << "items to come a user can choose:\n"
                                            << toComeButEnabled.join('\n').toStdString();
    EXPECT_TRUE(toComeButHandled.isEmpty()) << "items that work but are still shown as to come:\n"
                                            << toComeButHandled.join('\n').toStdString();
}

TEST_F(MainMenus, ChoosingAnItemRunsTheHandlerBoundToItsIdLast)
{
    QStringList ran;
    window.OnMenuCommand(TMenuCommand::GetCookiesPath, [&] { ran << "first"; });
    window.OnMenuCommand(TMenuCommand::GetCookiesPath, [&] { ran << "second"; });
    window.MenuItem(TMenuCommand::GetCookiesPath)->trigger();
    EXPECT_EQ(ran, QStringList{"second"});
    EXPECT_EQ(window.MenuItem(TMenuCommand::ToolsMenu)->menu()->title(), "&Tools");
}

} // namespace
