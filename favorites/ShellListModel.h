#pragma once
// The virtual list behind TShellListView: one record per item of the folder
// shown, icons read when a row is first drawn, and finding by typed text.
// Private to the list views.
#include "platform/shell/ItemIdList.h"

#include <QAbstractListModel>
#include <QString>

#include <functional>
#include <vector>

struct ShellListRecord {
    UniquePidl item; // relative to the folder shown
    QString name;
    int icon = -1;
    bool iconRead = false;
};

class ShellListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    std::vector<ShellListRecord> records;
    LPCITEMIDLIST folderList = nullptr; // the folder shown, absolute
    QString caption;
    // The icon shown for a system icon index.
    std::function<int(int system)> iconFor;
    // The tool tip of a row; the name when not set.
    std::function<QString(int row)> tip;
    // Renames the item at the row; false leaves it as it was. Rows are
    // editable only when it is set.
    std::function<bool(int row, const QString& title)> rename;

    void Replace(std::vector<ShellListRecord> replacement, LPCITEMIDLIST folder);

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(records.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Icons are read only for rows that are drawn, the first time they are.
    int iconOf(int row) const;
    // The first item from start on whose name begins with the text, without
    // regard to case; on past the end to the first item only with
    // Qt::MatchWrap. Each item is looked at once at most.
    QModelIndexList match(
        const QModelIndex& start, int role, const QVariant& value, int hits, Qt::MatchFlags flags) const override;
};
