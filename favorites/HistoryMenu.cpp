#include "favorites/HistoryMenu.h"

#include "browserhost/Sextant.h"
#include "favorites/HistoryViewCommon.h"
#include "favorites/ItemCaptions.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/SpecialFolders.h"
#include "tools/ShellItems.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

THistoryMenu::THistoryMenu(QObject* parent)
    : TShellMenu(parent), Caption(HistoryClassName()), watch_(new HistoryWatch(0, this))
{
    EnumFlags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
}

QMenu* THistoryMenu::CreateMenu()
{
    UniquePidl history;
    SHGetSpecialFolderLocation(nullptr, CSIDL_HISTORY, history);
    QMenu* top = CreateTopMenu(MainMenu, MenuPosition, Caption, history.get());
    top->setObjectName(QStringLiteral("HistoryMenu1"));
    top->setToolTipsVisible(true);
    // Visits recorded and the day turned since the menu was built show when
    // it next opens: its top items are built again then, never inside a
    // click.
    connect(top, &QMenu::aboutToShow, this, [this] {
        if (watch_->Stale())
            RebuildMenu();
        watch_->Reset();
    });
    watch_->Reset();
    return top;
}

QString THistoryMenu::EntryCaption(IShellFolder& folder, LPCITEMIDLIST relative)
{
    return LiteralCaption(CutCaption(GetDisplayName(folder, relative), MaxCaption));
}

void THistoryMenu::EntryCreated(IShellFolder& folder, TShellMenuRecord& record)
{
    if (auto* menu = qobject_cast<QMenu*>(record.Item->parent()))
        menu->setToolTipsVisible(true);
    if (record.IsFolder)
        return;
    const QString address = GetInfoTipUrl(folder, record.Relative.get());
    record.Item->setToolTip(address);
    record.Item->setStatusTip(address);
}

QString THistoryMenu::EmptyCaption() const { return QStringLiteral(" (Empty) "); }

void THistoryMenu::ItemChosen(QAction* item, const TShellMenuRecord&)
{
    // The item and its menu go with the rebuild: everything needed is taken
    // first, and the rebuild waits until this click has returned.
    const QString address = item->statusTip();
    if (OnURLSelected)
        OnURLSelected(item, address);
    RebuildMenu();
    if (Sextant)
        Sextant->Go(address);
}
