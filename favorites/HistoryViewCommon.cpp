#include "favorites/HistoryViewCommon.h"

#include "platform/inet/UrlHistory.h"
#include "platform/registry/Registry.h"
#include "platform/shell/HistoryFolder.h"

#include <QTimer>

#include <algorithm>

QString HistoryClassName()
{
    try {
        TRegistry registry(HKEY_CLASSES_ROOT);
        if (registry.OpenKeyReadOnly(QStringLiteral("CLSID\\{FF393560-C2A7-11CF-BFF4-444553540000}"))
            && registry.ValueExists(QString())) {
            const QString name = registry.ReadString(QString());
            if (!name.isEmpty())
                return name;
        }
    } catch (const ERegistryException&) {
        // An unreadable hive reads as the fallback.
    }
    return QStringLiteral("History");
}

HistoryWatch::HistoryWatch(int settleMs, QObject* parent)
    : QObject(parent), generation_(UrlHistoryGeneration()), othersChanges_(HistoryOthersChangeCount()),
      day_(HistoryNow().toLocalTime().date()), settle_(new QTimer(this)), midnight_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(settleMs);
    connect(settle_, &QTimer::timeout, this, &HistoryWatch::Changed);
    midnight_->setSingleShot(true);
    connect(midnight_, &QTimer::timeout, this, [this] {
        settle_->start();
        armMidnight();
    });
    listener_ = AddUrlHistoryListener([this](TUrlHistoryChange) { settle_->start(); });
    armMidnight();
}

HistoryWatch::~HistoryWatch() { RemoveUrlHistoryListener(listener_); }

bool HistoryWatch::Stale() const
{
    return generation_ != UrlHistoryGeneration() || day_ != HistoryNow().toLocalTime().date()
        || othersChanges_ != HistoryOthersChangeCount();
}

void HistoryWatch::Reset()
{
    generation_ = UrlHistoryGeneration();
    othersChanges_ = HistoryOthersChangeCount();
    day_ = HistoryNow().toLocalTime().date();
}

void HistoryWatch::armMidnight()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime next(now.date().addDays(1), QTime(0, 0));
    // A second past midnight, so the new day has surely begun; at least a
    // minute, so a clock set back does not make it spin.
    midnight_->start(int(std::clamp<qint64>(now.msecsTo(next) + 1000, 60000, 24 * 3600 * 1000)));
}
