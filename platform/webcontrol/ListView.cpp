#include "platform/webcontrol/ListView.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <limits>

namespace {

QModelIndex itemIndex(const QAbstractItemView* view, int item)
{
    return view->model() ? view->model()->index(item, 0, view->rootIndex()) : QModelIndex();
}

int itemCount(const QAbstractItemView* view) { return view->model() ? view->model()->rowCount(view->rootIndex()) : 0; }

bool overlaps(int a0, int a1, int b0, int b1) { return a0 < b1 && b0 < a1; }

// Distance from `from` to `to` in the direction, or -1 when `to` does not lie
// that way. Items in the same row (column) come first; among them the nearest.
long long directionalDistance(const QRect& from, const QRect& to, unsigned direction)
{
    const QPoint d = to.center() - from.center();
    switch (direction) {
    case LVNI_TOLEFT:
        return d.x() < 0 && overlaps(from.top(), from.bottom() + 1, to.top(), to.bottom() + 1) ? -d.x() : -1;
    case LVNI_TORIGHT:
        return d.x() > 0 && overlaps(from.top(), from.bottom() + 1, to.top(), to.bottom() + 1) ? d.x() : -1;
    case LVNI_ABOVE:
        return d.y() < 0 && overlaps(from.left(), from.right() + 1, to.left(), to.right() + 1) ? -d.y() : -1;
    case LVNI_BELOW:
        return d.y() > 0 && overlaps(from.left(), from.right() + 1, to.left(), to.right() + 1) ? d.y() : -1;
    }
    return -1;
}

int nearestInDirection(const QAbstractItemView* view, int start, unsigned direction)
{
    const QRect from = view->visualRect(itemIndex(view, start));
    int best = -1;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (int i = 0; i < itemCount(view); ++i) {
        if (i == start)
            continue;
        const long long distance = directionalDistance(from, view->visualRect(itemIndex(view, i)), direction);
        if (distance >= 0 && distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace

unsigned ListView_GetItemState(const QAbstractItemView* view, int item, unsigned mask)
{
    const QModelIndex index = itemIndex(view, item);
    unsigned state = 0;
    if (index.isValid() && view->selectionModel()) {
        if (view->selectionModel()->currentIndex() == index)
            state |= LVIS_FOCUSED;
        if (view->selectionModel()->isSelected(index))
            state |= LVIS_SELECTED;
    }
    return state & mask;
}

int ListView_GetNextItem(const QAbstractItemView* view, int start, unsigned flags)
{
    const unsigned direction = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
    if (direction)
        return start >= 0 && start < itemCount(view) ? nearestInDirection(view, start, direction) : -1;
    const unsigned wanted = flags & (LVNI_FOCUSED | LVNI_SELECTED);
    for (int i = start + 1; i < itemCount(view); ++i) {
        if (ListView_GetItemState(view, i, wanted) == wanted)
            return i;
    }
    return -1;
}

void ListView_SetItemState(QAbstractItemView* view, int item, unsigned state, unsigned mask)
{
    const QModelIndex index = itemIndex(view, item);
    QItemSelectionModel* selection = view->selectionModel();
    if (!index.isValid() || !selection)
        return;
    if (mask & LVIS_SELECTED)
        selection->select(index, state & LVIS_SELECTED ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    if (mask & LVIS_FOCUSED) {
        if (state & LVIS_FOCUSED)
            selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        else if (selection->currentIndex() == index)
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void ListView_EnsureVisible(QAbstractItemView* view, int item)
{
    const QModelIndex index = itemIndex(view, item);
    if (index.isValid())
        view->scrollTo(index);
}
