#pragma once
// What the history menu and list view share: their caption, and a watch on
// the history that tells when what they show may have changed.
#include <QDate>
#include <QObject>
#include <QString>

class QTimer;

// The history folder's class name: the default value of the classes root's
// CLSID\{FF393560-C2A7-11CF-BFF4-444553540000}, or "History" when it cannot
// be read.
QString HistoryClassName();

// Tells once per burst of history changes (visits recorded, removed,
// cleared) and once at each local midnight, when "Today" becomes a
// weekday's name.
class HistoryWatch : public QObject {
    Q_OBJECT
public:
    // settleMs: how long after the last change of a burst Changed comes.
    explicit HistoryWatch(int settleMs, QObject* parent = nullptr);
    ~HistoryWatch() override;

    // Whether the history (here or in another process) or the day changed
    // since the last Reset.
    bool Stale() const;
    // What is shown is current as of now.
    void Reset();

signals:
    // The history or the day changed; raised after a burst settled.
    void Changed();

private:
    void armMidnight();

    int listener_;
    quint64 generation_;
    qint64 othersChanges_;
    QDate day_;
    QTimer* settle_;
    QTimer* midnight_;
};
