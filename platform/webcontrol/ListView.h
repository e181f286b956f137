#pragma once
// The list-view operations that the folder-view rules use, over a Qt item
// view: items are the rows of the view's model, "focused" is the current
// index and "selected" the selection.
class QAbstractItemView;

constexpr unsigned LVNI_ALL = 0x0;
constexpr unsigned LVNI_FOCUSED = 0x1;
constexpr unsigned LVNI_SELECTED = 0x2;
constexpr unsigned LVNI_ABOVE = 0x100;
constexpr unsigned LVNI_BELOW = 0x200;
constexpr unsigned LVNI_TOLEFT = 0x400;
constexpr unsigned LVNI_TORIGHT = 0x800;

constexpr unsigned LVIS_FOCUSED = 0x1;
constexpr unsigned LVIS_SELECTED = 0x2;

// The next item after start (-1: from the beginning) that has the state
// flags, or, with a direction flag, the nearest item in that direction by the
// items' on-screen geometry; -1 when there is none.
int ListView_GetNextItem(const QAbstractItemView* view, int start, unsigned flags);
// Sets the state bits in mask to those of state on one item.
void ListView_SetItemState(QAbstractItemView* view, int item, unsigned state, unsigned mask);
unsigned ListView_GetItemState(const QAbstractItemView* view, int item, unsigned mask);
void ListView_EnsureVisible(QAbstractItemView* view, int item);
