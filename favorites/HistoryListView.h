#pragma once
// THistoryListView: the browsing history as a one-column list that browses
// the history folder (platform/shell/HistoryFolder.h) level by level: time
// groups, their sites, the sites' pages. Double click or Enter enters a
// group or site, or hands a page's address to OnURLSelected (or opens it in
// Sextant); Backspace goes up one level, with a beep at the top; typing
// selects the first name from the focused row on that begins with the text.
// Beside the groups by date it lists every site ("By Site") or the pages by
// visit count ("Most Visited"), chosen from its context menu. It follows
// new visits and a cleared history (once per burst) and the day's change.
// A history that cannot be read shows an empty list.
#include "favorites/ShellListView.h"

class HistoryWatch;
class QActionGroup;
class QMenu;

enum THistoryViewMode { hvmByDate, hvmBySite, hvmMostVisited };

class THistoryListView : public TShellListView {
    Q_OBJECT
public:
    explicit THistoryListView(QWidget* parent = nullptr);

    // Shows the top level of the current mode again; never raises (a
    // history that cannot be read leaves the list empty).
    void Reload();
    THistoryViewMode ViewMode() const { return mode_; }
    // Shows the mode's top level.
    void SetViewMode(THistoryViewMode mode);

protected:
    unsigned EnumFlags() const override;
    QString AddressOf(LPCITEMIDLIST item) const override;
    bool IsUpKey(int key) const override;
    void Recover() override;
    void FolderShown() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    THistoryViewMode mode_ = hvmByDate;
    HistoryWatch* watch_;
    QMenu* modeMenu_;
    QActionGroup* modes_;
};
