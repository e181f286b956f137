#include "favorites/HistoryListView.h"

#include "favorites/FavoritesViewCommon.h"
#include "favorites/HistoryViewCommon.h"
#include "favorites/ShellListModel.h"
#include "platform/shell/HistoryFolder.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/SpecialFolders.h"
#include "tools/ShellItems.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>

#include <exception>

namespace {
// A burst of visits (a page and its frames, a redirect chain) is one change.
constexpr int kSettleMs = 300;
} // namespace

THistoryListView::THistoryListView(QWidget* parent)
    : TShellListView(parent), watch_(new HistoryWatch(kSettleMs, this)), modeMenu_(new QMenu(this)),
      modes_(new QActionGroup(this))
{
    SetCaption(HistoryClassName());
    ListModel()->tip = [this](int row) {
        QString tip;
        if (CurrentFolder()) {
            const LPCITEMIDLIST item = ItemAt(row);
            std::shared_ptr<IShellObject> object;
            if (SUCCEEDED(CurrentFolder()->GetUIObjectOf(this, 1, &item, IID_IQueryInfo, object)))
                if (auto info = std::dynamic_pointer_cast<IQueryInfo>(object))
                    info->GetInfoTip(0, tip);
        }
        return tip;
    };
    modeMenu_->setObjectName(QStringLiteral("HistoryViewModes"));
    const struct {
        THistoryViewMode mode;
        const char* caption;
    } modes[] = {{hvmByDate, "By &Date"}, {hvmBySite, "By &Site"}, {hvmMostVisited, "&Most Visited"}};
    for (const auto& m : modes) {
        QAction* item = modeMenu_->addAction(QString::fromLatin1(m.caption));
        item->setCheckable(true);
        item->setChecked(m.mode == mode_);
        item->setData(int(m.mode));
        modes_->addAction(item);
        const THistoryViewMode mode = m.mode;
        connect(item, &QAction::triggered, this, [this, mode] { SetViewMode(mode); });
    }
    connect(watch_, &HistoryWatch::Changed, this, [this] {
        if (watch_->Stale())
            RefreshShown();
    });
    Reload();
}

void THistoryListView::SetViewMode(THistoryViewMode mode)
{
    mode_ = mode;
    for (QAction* item : modes_->actions())
        item->setChecked(item->data().toInt() == int(mode));
    Reload();
}

void THistoryListView::Reload()
{
    try {
        UniquePidl top;
        const HRESULT result = SHGetSpecialFolderLocation(this, CSIDL_HISTORY, top);
        if (FAILED(result))
            throw EOleSysError(QStringLiteral("The history folder cannot be found."), result);
        if (mode_ != hvmByDate) {
            const UniquePidl view
                = HistoryViewItem(mode_ == hvmBySite ? QStringLiteral("site") : QStringLiteral("visits"));
            top = JoinLists(top.get(), view.get());
        }
        ShowTopList(top.get());
    } catch (const std::exception&) {
        // The store could not be read (the namespace logged why): an empty
        // list until it can.
        ShowNothing();
    }
    watch_->Reset();
}

unsigned THistoryListView::EnumFlags() const { return SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN; }

QString THistoryListView::AddressOf(LPCITEMIDLIST item) const { return GetInfoTipUrl(*CurrentFolder(), item); }

bool THistoryListView::IsUpKey(int key) const { return key == Qt::Key_Backspace; }

void THistoryListView::Recover() { Reload(); }

void THistoryListView::FolderShown() { watch_->Reset(); }

void THistoryListView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint point;
    if (event->reason() == QContextMenuEvent::Keyboard && !currentIndex().isValid())
        point = viewport()->mapToGlobal(QPoint(0, 0));
    else if (!ContextMenuPoint(*this, *event, point))
        return;
    modeMenu_->popup(point);
}
