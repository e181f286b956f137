#pragma once
// The captions of the main window's menus and of the links bar's pop-up
// menu, as data, and the builder that turns them into Qt menus.
#include <QHash>
#include <QString>

#include <vector>

class QAction;
class QMenu;

// One menu item: a caption ("&" marks the accelerator, "-" is a separator)
// and, for a submenu, its items. Check items start checked when
// checkedAtStart; radio items of one submenu form one exclusive group;
// hint carries the item's data (an encoding item's charset name).
struct TMenuEntry {
    enum Kind { Plain, Check, Radio };
    TMenuEntry(const char* caption, std::vector<TMenuEntry> items = {}, Kind kind = Plain, bool checkedAtStart = false,
        const char* hint = "")
        : caption(QString::fromUtf8(caption)), items(std::move(items)), kind(kind), checkedAtStart(checkedAtStart),
          hint(QString::fromUtf8(hint))
    {}

    QString caption;
    std::vector<TMenuEntry> items;
    Kind kind;
    bool checkedAtStart;
    QString hint;
};

// "&File", "&Edit", "&View", "Navigation" and "&Tools" with all their items.
const std::vector<TMenuEntry>& MainMenuEntries();
// The links bar's pop-up menu.
const std::vector<TMenuEntry>& LinksBarPopupEntries();

// Adds entries to menu. Every item is recorded in items under its caption
// path: the captions from the top-level menu down, joined by "|"
// ("&Tools|Cookies|Get Cookies Path").
void BuildMenu(
    QMenu* menu, const std::vector<TMenuEntry>& entries, const QString& path, QHash<QString, QAction*>& items);
